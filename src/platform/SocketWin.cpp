#ifdef _WIN32

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>

#include "platform/Socket.h"
#include "platform/SocketErrors.h"

namespace quorvel::sockets {

namespace {

using Kind = IoResult::Kind;

IoResult Failure(int code) {
    return {Kind::Failed, 0, code};
}

timeval ToTimeval(std::chrono::milliseconds wait) {
    const long long ms = std::clamp<long long>(wait.count(), 0, 1000);
    timeval tv{};
    tv.tv_sec = static_cast<long>(ms / 1000);
    tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
    return tv;
}

int ChunkSize(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

class TcpSocket final : public StreamSocket {
  public:
    ~TcpSocket() override { Close(); }

    IoResult Connect(std::uint32_t address, std::uint16_t port) override {
        Close();
        EnsureSocketsReady();
        socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (socket_ == INVALID_SOCKET) return Failure(WSAGetLastError());
        u_long nonBlocking = 1;
        if (ioctlsocket(socket_, FIONBIO, &nonBlocking) != 0) {
            const int code = WSAGetLastError();
            Close();
            return Failure(code);
        }
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        peer.sin_addr.s_addr = address;
        if (connect(socket_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
            return {Kind::Done, 0, 0};
        const int code = WSAGetLastError();
        if (code == WSAEWOULDBLOCK || code == WSAEINPROGRESS || code == WSAEINTR) return {};
        return Failure(code);
    }

    IoResult AwaitConnected(std::chrono::milliseconds wait) override {
        if (socket_ == INVALID_SOCKET) return Failure(WSAENOTSOCK);
        // select, not WSAPoll: older WSAPoll never reports a refused connection.
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket_, &writable);
        FD_SET(socket_, &failed);
        timeval tv = ToTimeval(wait);
        const int rc = select(0, nullptr, &writable, &failed, &tv);
        if (rc < 0) return Failure(WSAGetLastError());
        if (rc == 0) return {};
        if (FD_ISSET(socket_, &failed)) {
            int error = 0;
            int length = sizeof error;
            getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
            return Failure(error != 0 ? error : WSAECONNREFUSED);
        }
        return {Kind::Done, 0, 0};
    }

    IoResult Send(const char* data, std::size_t size, std::chrono::milliseconds wait) override {
        if (socket_ == INVALID_SOCKET) return Failure(WSAENOTSOCK);
        const int n = send(socket_, data, ChunkSize(size), 0);
        if (n >= 0) return {Kind::Done, static_cast<std::size_t>(n), 0};
        const int code = WSAGetLastError();
        if (code == WSAEINTR) return {};
        if (code != WSAEWOULDBLOCK) return Failure(code);
        if (WaitFor(false, wait) < 0) return Failure(WSAGetLastError());
        return {};
    }

    IoResult Receive(char* buffer, std::size_t size, std::chrono::milliseconds wait) override {
        if (socket_ == INVALID_SOCKET) return Failure(WSAENOTSOCK);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const int n = recv(socket_, buffer, ChunkSize(size), 0);
            if (n > 0) return {Kind::Done, static_cast<std::size_t>(n), 0};
            if (n == 0) return {Kind::Closed, 0, 0};
            const int code = WSAGetLastError();
            if (code == WSAEINTR) return {};
            if (code != WSAEWOULDBLOCK) return Failure(code);
            if (attempt == 1) break;
            // Nothing yet: wait once, then try again so data that arrives within the wait is
            // taken in this call.
            const int rc = WaitFor(true, wait);
            if (rc < 0) return Failure(WSAGetLastError());
            if (rc == 0) return {};
        }
        return {};
    }

    void Close() override {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

  private:
    int WaitFor(bool reading, std::chrono::milliseconds wait) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket_, &set);
        timeval tv = ToTimeval(wait);
        return reading ? select(0, &set, nullptr, nullptr, &tv)
                       : select(0, nullptr, &set, nullptr, &tv);
    }

    SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace

std::unique_ptr<StreamSocket> MakeTcpSocket() {
    return std::make_unique<TcpSocket>();
}

void EnsureSocketsReady() {
    // Started once for the life of the process; the system cleans up at exit.
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

}  // namespace quorvel::sockets

#endif  // _WIN32
