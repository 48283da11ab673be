// The client never holds its caller: Cancel ends a Get before its next wait, the pump keeps
// running while data streams in, and the time-out holds whatever the server does. Every case
// waits for what happens, never for a time: the servers pace themselves by the client's steps.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "net/HttpClient.h"
#include "test_http_server.h"

using namespace quorvel::net;
using namespace std::chrono_literals;
using namespace httptest;
using quorvel::sockets::IoResult;
using quorvel::sockets::StreamSocket;

namespace {

// A server that outlives a loaded machine's slowest client; only a broken client meets it.
constexpr auto kCeiling = 60s;

// Sends `text` one byte a millisecond; stops early when the client has gone.
void Drip(SocketFd fd, const std::string& text) {
    for (const char c : text) {
        if (SendSome(fd, &c, 1) != 1) return;
        std::this_thread::sleep_for(1ms);
    }
}

class NeverAnswers final : public HostResolver {
    class Lookup final : public HostLookup {
        State Poll(std::uint32_t&) override { return State::Pending; }
    };

  public:
    std::unique_ptr<HostLookup> Begin(const std::string&) override {
        return std::make_unique<Lookup>();
    }
};

// The system's socket, counting the client's waits on it.
class CountingSocket final : public StreamSocket {
  public:
    explicit CountingSocket(int& waits)
        : inner_(quorvel::sockets::MakeTcpSocket()), waits_(waits) {}
    IoResult Connect(std::uint32_t address, std::uint16_t port) override {
        return inner_->Connect(address, port);
    }
    IoResult AwaitConnected(std::chrono::milliseconds wait) override {
        ++waits_;
        return inner_->AwaitConnected(wait);
    }
    IoResult Send(const char* data, std::size_t size, std::chrono::milliseconds wait) override {
        ++waits_;
        return inner_->Send(data, size, wait);
    }
    IoResult Receive(char* buffer, std::size_t size, std::chrono::milliseconds wait) override {
        ++waits_;
        return inner_->Receive(buffer, size, wait);
    }
    void Close() override { inner_->Close(); }

  private:
    std::unique_ptr<StreamSocket> inner_;
    int& waits_;
};

}  // namespace

// A Cancel from the pump ends the Get with the step's cancel error before any further wait on the
// socket or call of the pump: the window that closed is not held even for one more wait.
TEST(HttpClientWaits, CancelEndsAGetBeforeItsNextWait) {
    std::atomic<bool> requestIn{false};
    struct Case {
        const char* name;
        LoopbackServer::Reply reply;
        bool resolves;                                       // false: the name lookup never answers
        std::function<bool(const THttpClient&)> cancelWhen;  // asked at each pump call
        const char* error;
    };
    const Case cases[] = {
        // Accepted, never answered: the case that kept a closed program alive.
        {"stalled reply",
         [&](SocketFd fd, int, const std::string&) {
             requestIn = true;
             AwaitPeerClose(fd, kCeiling);
         },
         true, [&](const THttpClient&) { return requestIn.load(); }, "Socket readln aborted"},
        {"name lookup", nullptr, false, [](const THttpClient&) { return true; },
         "Host Lookup Canceled"},
        // The body keeps coming: a Cancel is not lost behind the data.
        {"dripping body",
         [&](SocketFd fd, int, const std::string&) {
             SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n");
             Drip(fd, std::string(3000, 'x'));
         },
         true, [](const THttpClient& client) { return client.Body().size() >= 100; },
         "Socket capture aborted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        requestIn = false;
        std::unique_ptr<LoopbackServer> server;
        if (c.reply) server = std::make_unique<LoopbackServer>(1, c.reply, kCeiling);
        int waits = 0;
        THttpClient client(c.resolves ? nullptr : std::make_shared<NeverAnswers>(),
                           [&waits] { return std::make_unique<CountingSocket>(waits); });
        bool succeeded = false;
        client.OnSuccess = [&](int) { succeeded = true; };
        int pumpsAfter = -1, waitsAtCancel = 0;
        client.SetPump([&] {
            if (pumpsAfter >= 0) {
                ++pumpsAfter;
            } else if (c.cancelWhen(client)) {
                pumpsAfter = 0;
                waitsAtCancel = waits;
                client.Cancel();
            }
        });
        const std::string url =
            server ? server->url("/app/QvlVer.txt") : "http://maker.test/app/QvlVer.txt";
        EXPECT_EQ(ErrorText([&] { client.Get(url); }), c.error);
        ASSERT_EQ(pumpsAfter, 0);
        EXPECT_EQ(waits, waitsAtCancel);
        EXPECT_FALSE(client.Connected());
        EXPECT_FALSE(succeeded);
    }
}

// A socket whose data never runs dry: every receive brings one byte after a millisecond, so the
// client never meets an idle wait, where a pump called only then would never run.
class EndlessByteStream final : public StreamSocket {
  public:
    explicit EndlessByteStream(std::string reply) : reply_(std::move(reply)) {}
    IoResult Connect(std::uint32_t, std::uint16_t) override { return {IoResult::Kind::Done}; }
    IoResult AwaitConnected(std::chrono::milliseconds) override { return {IoResult::Kind::Done}; }
    IoResult Send(const char*, std::size_t size, std::chrono::milliseconds) override {
        return {IoResult::Kind::Done, size};
    }
    IoResult Receive(char* buffer, std::size_t size, std::chrono::milliseconds) override {
        if (next_ >= reply_.size()) return {IoResult::Kind::Closed};
        if (size == 0) return {IoResult::Kind::Idle};
        std::this_thread::sleep_for(1ms);
        buffer[0] = reply_[next_++];
        ++received;
        return {IoResult::Kind::Done, 1};
    }
    void Close() override {}

    static inline int received = 0;

  private:
    std::string reply_;
    std::size_t next_ = 0;
};

// The pump's turns are at most a few milliseconds apart, and each receive takes at least one:
// a handful of bytes between two pump calls at the most, however loaded the machine (a sleep is
// never shorter than asked). Runs the same under wine.
TEST(HttpClientWaits, PumpKeepsRunningWhileDataStreamsIn) {
    const std::string body(400, 'd');
    const std::string reply =
        "HTTP/1.0 200 OK\r\nX-Slow: " + std::string(100, 'h') + "\r\n\r\n" + body;
    EndlessByteStream::received = 0;
    THttpClient client(nullptr, [&] { return std::make_unique<EndlessByteStream>(reply); });
    int pumps = 0, mostBetween = 0, lastAt = 0;
    client.SetPump([&] {
        ++pumps;
        mostBetween = std::max(mostBetween, EndlessByteStream::received - lastAt);
        lastAt = EndlessByteStream::received;
    });
    client.Get("http://127.0.0.1/");
    EXPECT_EQ(client.Body(), body);
    EXPECT_EQ(EndlessByteStream::received, static_cast<int>(reply.size()));
    mostBetween = std::max(mostBetween, EndlessByteStream::received - lastAt);
    // The turn is 2 ms: three one-millisecond receives at most before it is due again.
    EXPECT_LE(mostBetween, 3) << pumps << " pump calls";
}

// The deadline ends the Get while the server still has more to send or to wait for: each of
// these would go on for many times the time-out, or for ever.
TEST(HttpClientWaits, TimeOutHoldsWhateverTheServerDoes) {
    struct Case {
        const char* name;
        int connections;
        LoopbackServer::Reply reply;
    };
    const std::string endless(20000, 'z');
    std::string self;
    const Case cases[] = {
        {"stall", 1, [](SocketFd fd, int, const std::string&) { AwaitPeerClose(fd, kCeiling); }},
        {"body drip", 1,
         [&](SocketFd fd, int, const std::string&) {
             SendAll(fd, "HTTP/1.0 200 OK\r\n\r\n");
             Drip(fd, endless);
         }},
        {"header drip", 1,
         [&](SocketFd fd, int, const std::string&) {
             SendAll(fd, "HTTP/1.0 200 OK\r\nX-Never-Ends: ");
             Drip(fd, endless);
         }},
        // As many redirections as the client follows, each as slow as the whole time-out: the
        // deadline, not the cycle limit, ends it.
        {"slow redirections", 10,
         [&self](SocketFd fd, int, const std::string&) {
             std::this_thread::sleep_for(300ms);
             SendAll(fd, "HTTP/1.0 302 Found\r\nLocation: " + self + "\r\n\r\n");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.connections, c.reply, 2s);
        self = server.url("/again");
        THttpClient client;
        THttpClient::Limits limits;
        limits.timeout = 300ms;
        client.SetLimits(limits);
        client.SetPump([] {});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ErrorText([&] { client.Get(server.url("/")); }), "");
        EXPECT_EQ(client.LastOutcome(), THttpClient::Outcome::TimedOut);
        // Never before the time-out.
        EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
        EXPECT_FALSE(client.Connected());
    }
}
