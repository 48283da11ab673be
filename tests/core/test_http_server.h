#pragma once

// A scripted HTTP server on 127.0.0.1 for the client's tests.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httptest {

using namespace std::chrono_literals;

inline void SendAll(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

// A server on 127.0.0.1 that serves a fixed number of connections, each by `reply`, then closes
// its listener. It gives up by itself after `life`, so a broken client cannot hang the test.
class LoopbackServer {
  public:
    using Reply = std::function<void(int fd, int index, const std::string& request)>;

    LoopbackServer(int connections, Reply reply, std::chrono::milliseconds life = 5s)
        : reply_(std::move(reply)) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        const int one = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
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
            if (poll(&entry, 1, 20) <= 0) continue;
            const int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0) continue;
            const std::string request = ReadRequest(fd, end);
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            reply_(fd, index, request);
            close(fd);
            ++index;
        }
        close(listener_);
    }

    static std::string ReadRequest(int fd, std::chrono::steady_clock::time_point end) {
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 8192 &&
               std::chrono::steady_clock::now() < end) {
            pollfd entry{fd, POLLIN, 0};
            if (poll(&entry, 1, 20) <= 0) continue;
            char chunk[1024];
            const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            request.append(chunk, static_cast<std::size_t>(n));
        }
        return request;
    }

    Reply reply_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

inline LoopbackServer::Reply Fixed(std::string text) {
    return [text = std::move(text)](int fd, int, const std::string&) { SendAll(fd, text); };
}

// Waits until the client has gone (it closed its side) or `limit` passes.
inline void AwaitPeerClose(int fd, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 20) > 0) {
            char chunk[256];
            if (recv(fd, chunk, sizeof chunk, 0) <= 0) return;
        }
    }
}

}  // namespace httptest
