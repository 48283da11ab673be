#include "net/HttpClient.h"

#include <algorithm>
#include <cctype>
#include <thread>

#include "platform/SocketErrors.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace quorvel::net {

namespace {

constexpr auto kTurn = std::chrono::milliseconds(2);

#ifdef _WIN32
using Handle = SOCKET;
constexpr std::intptr_t kNoSocket = static_cast<std::intptr_t>(INVALID_SOCKET);

void EnsureWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}
Handle ToHandle(std::intptr_t s) {
    return static_cast<Handle>(s);
}
bool InProgress(int code) {
    return code == WSAEWOULDBLOCK || code == WSAEINPROGRESS;
}
bool WouldBlock(int code) {
    return code == WSAEWOULDBLOCK;
}
bool Interrupted(int code) {
    return code == WSAEINTR;
}
int PollOne(Handle s, short events, short& revents) {
    WSAPOLLFD entry{s, events, 0};
    const int rc = WSAPoll(&entry, 1, static_cast<int>(kTurn.count()));
    revents = entry.revents;
    return rc;
}
void CloseHandle_(Handle s) {
    closesocket(s);
}
constexpr int kSendFlags = 0;
#else
using Handle = int;
constexpr std::intptr_t kNoSocket = -1;

void EnsureWinsock() {}
Handle ToHandle(std::intptr_t s) {
    return static_cast<Handle>(s);
}
bool InProgress(int code) {
    return code == 10036 || code == 10035;
}
bool WouldBlock(int code) {
    return code == socketerr::kWouldBlock;
}
bool Interrupted(int code) {
    return code == 10004;
}
int PollOne(Handle s, short events, short& revents) {
    pollfd entry{s, events, 0};
    const int rc = poll(&entry, 1, static_cast<int>(kTurn.count()));
    revents = entry.revents;
    return rc;
}
void CloseHandle_(Handle s) {
    close(s);
}
constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

std::string TrimLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string TrimSpaces(const std::string& text) {
    std::size_t start = 0;
    std::size_t end = text.size();
    while (start < end && (text[start] == ' ' || text[start] == '\t')) ++start;
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return text.substr(start, end - start);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

int ParseStatusLine(const std::string& rawLine) {
    const std::string line = TrimLineEnd(rawLine);
    std::size_t pos = line.find_first_not_of(' ');
    if (pos == std::string::npos) return 0;
    pos = line.find(' ', pos);
    if (pos == std::string::npos) return 0;
    pos = line.find_first_not_of(' ', pos);
    if (pos == std::string::npos) return 0;
    const std::size_t end = line.find(' ', pos);
    const std::string word = line.substr(pos, end == std::string::npos ? end : end - pos);

    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    if (i == word.size()) return 0;
    long value = 0;
    for (; i < word.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(word[i]))) return 0;
        value = value * 10 + (word[i] - '0');
        if (value > 32768) return 0;
    }
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return 0;
    return static_cast<int>(value);
}

THttpClient::THttpClient(std::shared_ptr<HostResolver> resolver)
    : resolver_(resolver ? std::move(resolver) : std::make_shared<SystemResolver>()) {
    socket_ = kNoSocket;
}

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
    deadline_ = std::chrono::steady_clock::now() + limits_.timeout;

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

std::uint32_t THttpClient::ResolveHost() {
    std::uint32_t address = 0;
    if (ParseDottedIPv4(target_.host, address)) return address;
    std::unique_ptr<HostLookup> lookup = resolver_->Begin(target_.host);
    for (;;) {
        const HostLookup::State state = lookup->Poll(address);
        if (state == HostLookup::State::Found) return address;
        if (state == HostLookup::State::Failed) throw HttpError("Null Remote Address");
        if (abort_) throw HttpError("Host Lookup Canceled");
        std::this_thread::sleep_for(kTurn);
        Turn();
    }
}

void THttpClient::Connect() {
    if (connected_ || socket_ != kNoSocket) throw HttpError("Already connected");
    abort_ = false;
    EnsureWinsock();
    const std::uint32_t address = ResolveHost();

#ifdef _WIN32
    Handle s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) throw HttpError(socketerr::ErrorText(socketerr::LastError()));
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
#else
    Handle s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0) throw HttpError(socketerr::ErrorText(socketerr::LastError()));
#endif
    socket_ = static_cast<std::intptr_t>(s);

    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(target_.port);
    peer.sin_addr.s_addr = address;
    if (connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (!InProgress(socketerr::LastError())) throw HttpError("Connection Failed");
        for (;;) {
            if (abort_) throw HttpError("Connection Canceled");
            short revents = 0;
            const int rc = PollOne(s, POLLOUT, revents);
            if (rc > 0) {
                int error = 0;
                socklen_t length = sizeof error;
                if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) !=
                        0 ||
                    error != 0)
                    throw HttpError("Connection Failed");
                break;
            }
            if (rc < 0 && !Interrupted(socketerr::LastError()))
                throw HttpError("Connection Failed");
            Turn();
        }
    }
    connected_ = true;
    pending_.clear();
    ended_ = false;
}

void THttpClient::Send(const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const auto n = send(ToHandle(socket_), data.data() + sent,
                            static_cast<int>(data.size() - sent), kSendFlags);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        const int code = socketerr::LastError();
        if (n < 0 && Interrupted(code)) continue;
        if (n < 0 && !WouldBlock(code)) throw HttpError(socketerr::ErrorText(code));
        WaitFor(POLLOUT, "Connection Canceled");
    }
}

short THttpClient::WaitFor(short events, const char* abortText) {
    for (;;) {
        if (abort_) throw HttpError(abortText);
        short revents = 0;
        const int rc = PollOne(ToHandle(socket_), events, revents);
        if (rc > 0) return revents;
        if (rc < 0) {
            const int code = socketerr::LastError();
            if (!Interrupted(code)) throw HttpError(socketerr::ErrorText(code));
        }
        Turn();
    }
}

void THttpClient::Turn() {
    if (pump_) pump_();
    if (std::chrono::steady_clock::now() >= deadline_) throw Bounded{Outcome::TimedOut};
}

bool THttpClient::FillSome(const char* abortText) {
    for (;;) {
        WaitFor(POLLIN, abortText);
        char chunk[4096];
        const auto n = recv(ToHandle(socket_), chunk, sizeof chunk, 0);
        if (n > 0) {
            pending_.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
        if (n == 0) {
            ended_ = true;
            return false;
        }
        const int code = socketerr::LastError();
        if (WouldBlock(code) || Interrupted(code)) continue;
        throw HttpError(socketerr::ErrorText(code));
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

void THttpClient::ReadHeaders() {
    std::string line;
    if (!ReadLine(line)) return;
    header_ += line;
    status_ = ParseStatusLine(line);
    while (ReadLine(line)) {
        if (line == "\n" || line == "\r\n") break;
        header_ += line;
        if (header_.size() > limits_.maxHeader) throw Bounded{Outcome::TooLarge};
        const std::string text = TrimLineEnd(line);
        const std::size_t colon = text.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = Upper(TrimSpaces(text.substr(0, colon)));
        // Values come from the server; they must not carry line breaks into our next request.
        const std::string value = StripControls(TrimSpaces(text.substr(colon + 1)));
        if (name == "LOCATION") {
            location_ = value;
        } else if (name == "SET-COOKIE") {
            cookie_ = value;
        } else if (name == "CONTENT-LENGTH") {
            const std::size_t digits =
                std::min<std::size_t>(value.find_first_not_of("0123456789") == std::string::npos
                                          ? value.size()
                                          : value.find_first_not_of("0123456789"),
                                      18);
            contentLength_ = digits ? std::stoll(value.substr(0, digits)) : -1;
        }
    }
}

void THttpClient::ReadBody() {
    for (;;) {
        body_ += pending_;
        pending_.clear();
        if (body_.size() > limits_.maxBody) throw Bounded{Outcome::TooLarge};
        if (ended_) return;
        FillSome("Socket capture aborted");
    }
}

void THttpClient::CloseSocket() {
    if (socket_ != kNoSocket) CloseHandle_(ToHandle(socket_));
    socket_ = kNoSocket;
    connected_ = false;
}

}  // namespace quorvel::net
