// libFuzzer harness: any reply, cut into any chunks, read through the client over an in-memory
// connection. The client stays within its limits, takes the head and body apart so that they put
// the reply back together, and never lets a Location or Set-Cookie value add a line to the
// request that follows a redirection.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "http_request_lines.h"
#include "net/HttpClient.h"

using namespace quorvel;
using namespace quorvel::net;

namespace {

constexpr std::size_t kMaxBody = 1024;
constexpr std::size_t kMaxHeader = 512;

// Serves `reply` in chunks of `chunk` bytes, then closes; keeps what the client sent.
class MemorySocket final : public sockets::StreamSocket {
  public:
    MemorySocket(const std::string& reply, std::size_t chunk, std::vector<std::string>& sent)
        : reply_(reply), chunk_(chunk), sent_(sent) {}

    sockets::IoResult Connect(std::uint32_t, std::uint16_t) override {
        sent_.emplace_back();
        return {sockets::IoResult::Kind::Done, 0, 0};
    }
    sockets::IoResult AwaitConnected(std::chrono::milliseconds) override {
        return {sockets::IoResult::Kind::Done, 0, 0};
    }
    sockets::IoResult Send(const char* data, std::size_t size, std::chrono::milliseconds) override {
        sent_.back().append(data, size);
        return {sockets::IoResult::Kind::Done, size, 0};
    }
    sockets::IoResult Receive(char* buffer, std::size_t size, std::chrono::milliseconds) override {
        if (offset_ == reply_.size()) return {sockets::IoResult::Kind::Closed, 0, 0};
        const std::size_t n = std::min({size, chunk_, reply_.size() - offset_});
        std::copy_n(reply_.data() + offset_, n, buffer);
        offset_ += n;
        return {sockets::IoResult::Kind::Done, n, 0};
    }
    void Close() override {}

  private:
    const std::string& reply_;
    std::size_t chunk_;
    std::vector<std::string>& sent_;
    std::size_t offset_ = 0;
};

// Every name is found at once, so a redirection anywhere stays in memory.
class AnyName final : public HostResolver {
    class Found final : public HostLookup {
        State Poll(std::uint32_t& address) override {
            address = 0x0100007F;
            return State::Found;
        }
    };

  public:
    std::unique_ptr<HostLookup> Begin(const std::string&) override {
        return std::make_unique<Found>();
    }
};

bool KnownRefusal(const std::string& text) {
    // Only a redirection's URL can be refused; the connection itself never fails here.
    return text == "Empty URL" || text == "HTTP Secure Socket is not supported" ||
           text == "Invalid port number";
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the chunk size; 0 serves the reply whole.
    const std::size_t chunk = data[0] == 0 ? SIZE_MAX : data[0] % 17 + 1;
    const std::string reply(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<std::string> sent;
    THttpClient client(std::make_shared<AnyName>(),
                       [&] { return std::make_unique<MemorySocket>(reply, chunk, sent); });
    THttpClient::Limits limits;
    limits.maxBody = kMaxBody;
    limits.maxHeader = kMaxHeader;
    limits.maxCycles = 3;
    client.SetLimits(limits);
    int successes = 0;
    std::string successBody;
    client.OnSuccess = [&](int kind) {
        Check(kind == kRequestGet);
        ++successes;
        successBody = client.Body();
    };

    try {
        client.Get("http://127.0.0.1/app/QvlVer.txt");
    } catch (const HttpError& error) {
        Check(KnownRefusal(error.what()));
    }

    Check(!client.Connected());
    Check(client.Body().size() <= kMaxBody && client.HeaderText().size() <= kMaxHeader);
    Check(client.Location().size() <= kMaxHeader && client.Cookie().size() <= kMaxHeader);
    Check(!fuzzcheck::HasControls(client.Location()) && !fuzzcheck::HasControls(client.Cookie()));
    const int status = client.Status();
    Check(status >= -32768 && status <= 32767);
    Check(sent.size() >= 1 && sent.size() <= 3);
    for (const std::string& request : sent) Check(fuzzcheck::WellFormedRequest(request));

    const auto outcome = client.LastOutcome();
    Check(successes <= 1);
    if (outcome == THttpClient::Outcome::Success) {
        Check(successes == 1 && status <= 298 && successBody == client.Body());
    } else {
        Check(successes == 0);
    }
    if (outcome == THttpClient::Outcome::Failure) Check(status >= 400);
    if (status != 0) {
        // The status was read from the reply's first line.
        const std::string first = reply.substr(0, reply.find('\n'));
        Check(first.find(std::to_string(status < 0 ? -status : status)) != std::string::npos);
    }

    // Read whole: the head, the empty line and the body put the reply back together.
    if (outcome == THttpClient::Outcome::Success || outcome == THttpClient::Outcome::Failure) {
        const std::string& head = client.HeaderText();
        const std::string& body = client.Body();
        Check(reply.size() >= head.size() + body.size());
        Check(reply.compare(0, head.size(), head) == 0);
        Check(reply.compare(reply.size() - body.size(), body.size(), body) == 0);
        const std::string between =
            reply.substr(head.size(), reply.size() - head.size() - body.size());
        Check(between.empty() || between == "\n" || between == "\r\n");
    }
    return 0;
}
