#pragma once

// A scripted HTTP server on 127.0.0.1 for the client's tests.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/HttpError.h"

namespace httptest {

using namespace std::chrono_literals;

#ifdef _WIN32
using SocketFd = SOCKET;
inline constexpr int kNoSignal = 0;
inline void CloseSocket(SocketFd fd) {
    closesocket(fd);
}
inline int PollOne(pollfd& entry, int milliseconds) {
    return WSAPoll(&entry, 1, milliseconds);
}
// Winsock must be started once in each process before any socket is made.
inline void StartSockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}
#else
using SocketFd = int;
inline constexpr int kNoSignal = MSG_NOSIGNAL;
inline void CloseSocket(SocketFd fd) {
    close(fd);
}
inline int PollOne(pollfd& entry, int milliseconds) {
    return poll(&entry, 1, milliseconds);
}
inline void StartSockets() {}
#endif

// Sends a piece of `text`; what send returns.
inline long SendSome(SocketFd fd, const char* data, std::size_t size) {
    return send(fd, data, static_cast<int>(size), kNoSignal);
}

inline void SendAll(SocketFd fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const long n = SendSome(fd, text.data() + sent, text.size() - sent);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

// A server on 127.0.0.1 that serves a fixed number of connections, each by `reply`, then closes
// its listener. It gives up by itself after `life`, so a broken client cannot hang the test.
class LoopbackServer {
  public:
    using Reply = std::function<void(SocketFd fd, int index, const std::string& request)>;

    LoopbackServer(int connections, Reply reply, std::chrono::milliseconds life = 5s)
        : reply_(std::move(reply)) {
        StartSockets();
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&one),
                   sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 16);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, connections, life] { Serve(connections, life); });
    }
    ~LoopbackServer() { Join(); }

    std::uint16_t port() const { return port_; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    std::vector<std::string> requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    void Serve(int connections, std::chrono::milliseconds life) {
        const auto end = std::chrono::steady_clock::now() + life;
        for (int index = 0; index < connections && std::chrono::steady_clock::now() < end;) {
            pollfd entry{listener_, POLLIN, 0};
            if (PollOne(entry, 20) <= 0) continue;
            const SocketFd fd = accept(listener_, nullptr, nullptr);
            if (fd == static_cast<SocketFd>(-1)) continue;
            const std::string request = ReadRequest(fd, end);
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            reply_(fd, index, request);
            CloseSocket(fd);
            ++index;
        }
        CloseSocket(listener_);
    }

    static std::string ReadRequest(SocketFd fd, std::chrono::steady_clock::time_point end) {
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 8192 &&
               std::chrono::steady_clock::now() < end) {
            pollfd entry{fd, POLLIN, 0};
            if (PollOne(entry, 20) <= 0) continue;
            char chunk[1024];
            const long n = recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            request.append(chunk, static_cast<std::size_t>(n));
        }
        return request;
    }

    Reply reply_;
    SocketFd listener_ = static_cast<SocketFd>(-1);
    std::uint16_t port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

inline LoopbackServer::Reply Fixed(std::string text) {
    return [text = std::move(text)](SocketFd fd, int, const std::string&) { SendAll(fd, text); };
}

// Waits until the client has gone (it closed its side) or `limit` passes.
inline void AwaitPeerClose(SocketFd fd, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        pollfd entry{fd, POLLIN, 0};
        if (PollOne(entry, 20) > 0) {
            char chunk[256];
            if (recv(fd, chunk, sizeof chunk, 0) <= 0) return;
        }
    }
}

// The text of the HTTP error `action` raises; empty when it raises none.
inline std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const quorvel::net::HttpError& error) {
        return error.what();
    }
    return "";
}

}  // namespace httptest
