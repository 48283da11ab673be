#ifndef _WIN32

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/Socket.h"
#include "platform/SocketErrors.h"

namespace quorvel::sockets {

namespace {

using Kind = IoResult::Kind;

constexpr int kNotASocket = 10038;

IoResult Failure(int code) {
    return {Kind::Failed, 0, code};
}

int WaitMs(std::chrono::milliseconds wait) {
    return static_cast<int>(std::clamp<long long>(wait.count(), 0, 1000));
}

class TcpSocket final : public StreamSocket {
  public:
    ~TcpSocket() override { Close(); }

    IoResult Connect(std::uint32_t address, std::uint16_t port) override {
        Close();
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd_ < 0) return Failure(socketerr::LastError());
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(port);
        peer.sin_addr.s_addr = address;
        if (connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
            return {Kind::Done, 0, 0};
        if (errno == EINPROGRESS || errno == EINTR) return {};
        return Failure(socketerr::LastError());
    }

    IoResult AwaitConnected(std::chrono::milliseconds wait) override {
        if (fd_ < 0) return Failure(kNotASocket);
        short revents = 0;
        const int rc = PollFor(POLLOUT, wait, revents);
        if (rc < 0) return errno == EINTR ? IoResult{} : Failure(socketerr::LastError());
        if (rc == 0) return {};
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            return Failure(socketerr::LastError());
        if (error != 0) return Failure(socketerr::FromErrno(error));
        return {Kind::Done, 0, 0};
    }

    IoResult Send(const char* data, std::size_t size, std::chrono::milliseconds wait) override {
        if (fd_ < 0) return Failure(kNotASocket);
        const ssize_t n = send(fd_, data, size, MSG_NOSIGNAL);
        if (n >= 0) return {Kind::Done, static_cast<std::size_t>(n), 0};
        if (errno == EINTR) return {};
        if (errno != EAGAIN && errno != EWOULDBLOCK) return Failure(socketerr::LastError());
        short revents = 0;
        if (PollFor(POLLOUT, wait, revents) < 0 && errno != EINTR)
            return Failure(socketerr::LastError());
        return {};
    }

    IoResult Receive(char* buffer, std::size_t size, std::chrono::milliseconds wait) override {
        if (fd_ < 0) return Failure(kNotASocket);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const ssize_t n = recv(fd_, buffer, size, 0);
            if (n > 0) return {Kind::Done, static_cast<std::size_t>(n), 0};
            if (n == 0) return {Kind::Closed, 0, 0};
            if (errno == EINTR) return {};
            if (errno != EAGAIN && errno != EWOULDBLOCK) return Failure(socketerr::LastError());
            if (attempt == 1) break;
            // Nothing yet: wait once, then try again so data that arrives within the wait is
            // taken in this call.
            short revents = 0;
            const int rc = PollFor(POLLIN, wait, revents);
            if (rc < 0 && errno != EINTR) return Failure(socketerr::LastError());
            if (rc <= 0) return {};
        }
        return {};
    }

    void Close() override {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

  private:
    int PollFor(short events, std::chrono::milliseconds wait, short& revents) {
        pollfd entry{fd_, events, 0};
        const int rc = poll(&entry, 1, WaitMs(wait));
        revents = entry.revents;
        return rc;
    }

    int fd_ = -1;
};

}  // namespace

std::unique_ptr<StreamSocket> MakeTcpSocket() {
    return std::make_unique<TcpSocket>();
}

void EnsureSocketsReady() {}

}  // namespace quorvel::sockets

#endif  // !_WIN32
