#include "net/HttpClient.h"

#include <algorithm>
#include <thread>

#include "platform/SocketErrors.h"

namespace quorvel::net {

namespace {

using Clock = std::chrono::steady_clock;
using Kind = sockets::IoResult::Kind;

// The longest a wait step lasts, and so the longest the windows go without a turn.
constexpr auto kTurn = std::chrono::milliseconds(2);

}  // namespace

THttpClient::THttpClient(std::shared_ptr<HostResolver> resolver, SocketFactory sockets)
    : resolver_(resolver ? std::move(resolver) : std::make_shared<SystemResolver>()),
      sockets_(sockets ? std::move(sockets) : SocketFactory(&sockets::MakeTcpSocket)) {}

THttpClient::~THttpClient() {
    CloseSocket();
}

void THttpClient::Get(const std::string& url) {
    // A handler run by the pump must not start a second request over the running one.
    if (inGet_) throw HttpError("Already connected");
    inGet_ = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inGet_};

    kind_ = kRequestGet;
    outcome_ = Outcome::None;
    // Cleared once per Get, not per cycle: a Cancel during a redirection ends the whole Get.
    abort_ = false;
    lastPump_ = Clock::now();
    deadline_ = lastPump_ + limits_.timeout;

    std::string current = url;
    std::string sendCookie;
    int cycles = 0;
    try {
        do {
            if (++cycles > limits_.maxCycles) {
                outcome_ = Outcome::TooManyCycles;
                return;
            }
            RunCycle(current, sendCookie);
        } while (status_ >= 299 && status_ <= 399);
    } catch (const Bounded& bounded) {
        CloseSocket();
        outcome_ = bounded.outcome;
    }
}

void THttpClient::RunCycle(std::string& url, std::string& sendCookie) {
    ParseUrl(url, target_);
    url = target_.url;
    const std::string request = BuildGetRequest(target_, sendCookie);
    // Each reply stands alone: a redirection's body and headers are not kept.
    status_ = 0;
    header_.clear();
    location_.clear();
    cookie_.clear();
    contentLength_ = -1;
    body_.clear();

    struct Closer {
        THttpClient& client;
        ~Closer() { client.CloseSocket(); }
    } closer{*this};
    Connect();
    Send(request);
    ReadHeaders();
    ReadBody();
    CloseSocket();

    if (status_ <= 298) {
        outcome_ = Outcome::Success;
        if (OnSuccess) OnSuccess(kind_);
    } else if (status_ >= 300 && status_ <= 302) {
        url = location_;
    } else if (status_ >= 400) {
        outcome_ = Outcome::Failure;
        if (OnFailure) OnFailure(kind_);
    }

    if (status_ >= 300 && status_ <= 398) {
        sendCookie = cookie_;
        if (url.find('/') == std::string::npos) {
            // A bare name is relative to the host just asked (and its port).
            std::string base = "http://" + target_.host;
            if (target_.port != 80) base += ":" + std::to_string(target_.port);
            url = base + "/" + url;
        }
    }
}

// Between two waits, whether data came or not: a Cancel ends the Get, the windows get their
// turn, and the deadline holds however fast or slowly the server sends.
void THttpClient::Step(const char* abortText) {
    if (abort_) throw HttpError(abortText);
    if (Clock::now() >= deadline_) throw Bounded{Outcome::TimedOut};
    if (!pump_ || Clock::now() - lastPump_ < kTurn) return;
    lastPump_ = Clock::now();
    pump_();
    if (abort_) throw HttpError(abortText);
    if (Clock::now() >= deadline_) throw Bounded{Outcome::TimedOut};
}

std::chrono::milliseconds THttpClient::StepWait() const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    return std::clamp(left, std::chrono::milliseconds(0), std::chrono::milliseconds(kTurn));
}

std::uint32_t THttpClient::ResolveHost() {
    std::uint32_t address = 0;
    if (ParseDottedIPv4(target_.host, address)) return address;
    std::unique_ptr<HostLookup> lookup = resolver_->Begin(target_.host);
    for (;;) {
        const HostLookup::State state = lookup->Poll(address);
        if (state == HostLookup::State::Found) return address;
        if (state == HostLookup::State::Failed) throw HttpError("Null Remote Address");
        Step("Host Lookup Canceled");
        std::this_thread::sleep_for(StepWait());
    }
}

void THttpClient::Connect() {
    if (connected_ || socket_) throw HttpError("Already connected");
    const std::uint32_t address = ResolveHost();
    socket_ = sockets_();
    sockets::IoResult result = socket_->Connect(address, target_.port);
    while (result.kind == Kind::Idle) {
        Step("Connection Canceled");
        result = socket_->AwaitConnected(StepWait());
    }
    if (result.kind != Kind::Done) throw HttpError("Connection Failed");
    connected_ = true;
    pending_.clear();
    ended_ = false;
}

void THttpClient::Send(const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const sockets::IoResult result =
            socket_->Send(data.data() + sent, data.size() - sent, StepWait());
        if (result.kind == Kind::Failed) throw HttpError(socketerr::ErrorText(result.error));
        if (result.kind == Kind::Done) sent += result.count;
        if (sent < data.size()) Step("Connection Canceled");
    }
}

bool THttpClient::FillSome(const char* abortText) {
    for (;;) {
        Step(abortText);
        char chunk[4096];
        const sockets::IoResult result = socket_->Receive(chunk, sizeof chunk, StepWait());
        switch (result.kind) {
            case Kind::Done:
                pending_.append(chunk, std::min(result.count, sizeof chunk));
                return true;
            case Kind::Closed:
                ended_ = true;
                return false;
            case Kind::Failed:
                throw HttpError(socketerr::ErrorText(result.error));
            case Kind::Idle:
                break;
        }
    }
}

bool THttpClient::ReadLine(std::string& line) {
    for (;;) {
        const std::size_t lf = pending_.find('\n');
        if (lf != std::string::npos) {
            line = pending_.substr(0, lf + 1);
            pending_.erase(0, lf + 1);
            return true;
        }
        if (ended_) {
            line = std::move(pending_);
            pending_.clear();
            return !line.empty();
        }
        if (pending_.size() > limits_.maxHeader) throw Bounded{Outcome::TooLarge};
        FillSome("Socket readln aborted");
    }
}

void THttpClient::AddHeaderLine(const std::string& line) {
    if (line.size() > limits_.maxHeader - std::min(header_.size(), limits_.maxHeader))
        throw Bounded{Outcome::TooLarge};
    header_ += line;
}

void THttpClient::ReadHeaders() {
    std::string line;
    if (!ReadLine(line)) return;
    AddHeaderLine(line);
    status_ = ParseStatusLine(line);
    while (ReadLine(line)) {
        if (line == "\n" || line == "\r\n") break;
        AddHeaderLine(line);
        HeaderField field;
        if (!ParseHeaderLine(line, field)) continue;
        if (field.name == "LOCATION")
            location_ = field.value;
        else if (field.name == "SET-COOKIE")
            cookie_ = field.value;
        else if (field.name == "CONTENT-LENGTH")
            contentLength_ = ParseContentLength(field.value);
    }
}

void THttpClient::ReadBody() {
    for (;;) {
        // The body never holds more than the limit, even for the reply that overruns it.
        const std::size_t room = limits_.maxBody - std::min(body_.size(), limits_.maxBody);
        if (pending_.size() > room) {
            body_.append(pending_, 0, room);
            pending_.clear();
            throw Bounded{Outcome::TooLarge};
        }
        body_ += pending_;
        pending_.clear();
        if (ended_) return;
        FillSome("Socket capture aborted");
    }
}

void THttpClient::CloseSocket() {
    if (socket_) socket_->Close();
    socket_.reset();
    connected_ = false;
}

}  // namespace quorvel::net
