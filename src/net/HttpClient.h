#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/HostResolver.h"
#include "net/HttpError.h"
#include "net/HttpReply.h"
#include "net/HttpUrl.h"
#include "platform/Socket.h"

namespace quorvel::net {

inline constexpr int kRequestGet = 0;

// An HTTP/1.0 client: one GET per call on its own connection, redirections followed. Get returns
// only when the request is over; while it waits, and while data streams in, it calls the pump
// (the window's event handling) every ~2 ms, so the caller's windows stay usable. Failures to
// find or reach the host raise HttpError; a reply with an error status is no error.
class THttpClient {
  public:
    using Notify = std::function<void(int kind)>;
    using Pump = std::function<void()>;
    using SocketFactory = std::function<std::unique_ptr<sockets::StreamSocket>()>;

    // How a Get ended. The bounds keep a stalling or hostile server from holding the client.
    enum class Outcome { None, Success, Failure, TimedOut, TooManyCycles, TooLarge };

    struct Limits {
        std::chrono::milliseconds timeout{20000};  // for the whole Get, redirections included
        int maxCycles = 10;                        // request cycles of one Get
        std::size_t maxBody = 64 * 1024;
        std::size_t maxHeader = 64 * 1024;
    };

    // Without a resolver the system's asynchronous lookup is used, without a socket factory the
    // system's TCP sockets.
    explicit THttpClient(std::shared_ptr<HostResolver> resolver = nullptr,
                         SocketFactory sockets = nullptr);
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    // Raises HttpError with the texts of the failure table. A bound that is hit ends Get without
    // error and without a notification; LastOutcome tells which.
    void Get(const std::string& url);
    // Makes a Get in progress end with its cancel error at its next wait step (within ~2 ms). A
    // later Get is not affected.
    void Cancel() { abort_ = true; }

    Notify OnSuccess;  // final status 298 or less (0 included)
    Notify OnFailure;  // final status 400 or more

    void SetPump(Pump pump) { pump_ = std::move(pump); }
    void SetLimits(const Limits& limits) { limits_ = limits; }
    const Limits& GetLimits() const { return limits_; }

    const std::string& Body() const { return body_; }
    int Status() const { return status_; }
    const std::string& HeaderText() const { return header_; }
    const std::string& Location() const { return location_; }
    const std::string& Cookie() const { return cookie_; }
    long long ContentLength() const { return contentLength_; }
    const std::string& URL() const { return target_.url; }
    const std::string& Host() const { return target_.host; }
    std::uint16_t Port() const { return target_.port; }
    const std::string& Path() const { return target_.path; }
    int RequestKind() const { return kind_; }
    bool Connected() const { return connected_; }
    Outcome LastOutcome() const { return outcome_; }

  private:
    struct Bounded {
        Outcome outcome;
    };

    void RunCycle(std::string& url, std::string& sendCookie);
    void Connect();
    std::uint32_t ResolveHost();
    void Send(const std::string& data);
    void ReadHeaders();
    void AddHeaderLine(const std::string& line);
    void ReadBody();
    bool ReadLine(std::string& line);
    bool FillSome(const char* abortText);
    void Step(const char* abortText);
    std::chrono::milliseconds StepWait() const;
    void CloseSocket();

    std::shared_ptr<HostResolver> resolver_;
    SocketFactory sockets_;
    Pump pump_;
    Limits limits_;
    std::chrono::steady_clock::time_point deadline_{};
    std::chrono::steady_clock::time_point lastPump_{};

    HttpTarget target_;
    int kind_ = kRequestGet;
    int status_ = 0;
    std::string header_;
    std::string location_;
    std::string cookie_;
    long long contentLength_ = -1;
    std::string body_;
    std::string pending_;  // received but not yet consumed
    bool ended_ = false;   // the server closed its side

    bool abort_ = false;
    bool connected_ = false;
    bool inGet_ = false;
    std::unique_ptr<sockets::StreamSocket> socket_;
    Outcome outcome_ = Outcome::None;
};

}  // namespace quorvel::net
