// The platform's TCP connection: every call returns within its wait, and failures carry the
// Windows Sockets code. Loopback only.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/NameLookup.h"
#include "platform/Socket.h"
#include "test_http_server.h"

using namespace quorvel::sockets;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Kind = IoResult::Kind;

namespace {

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

IoResult ConnectWithin(StreamSocket& socket, std::uint16_t port, Clock::duration limit) {
    IoResult result = socket.Connect(kLoopback, port);
    const auto end = Clock::now() + limit;
    while (result.kind == Kind::Idle && Clock::now() < end) result = socket.AwaitConnected(2ms);
    return result;
}

}  // namespace

TEST(TcpSocket, RefusedConnectionCarriesItsCode) {
    // A port that was just free and now has no listener.
    httptest::StartSockets();
    const httptest::SocketFd fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = kLoopback;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    httptest::CloseSocket(fd);

    auto socket = MakeTcpSocket();
    const IoResult result = ConnectWithin(*socket, ntohs(address.sin_port), 1s);
    EXPECT_EQ(result.kind, Kind::Failed);
    EXPECT_EQ(result.error, 10061);
}

TEST(TcpSocket, WaitsNoLongerThanAskedAndReadsToTheClose) {
    httptest::LoopbackServer server(1, [](httptest::SocketFd fd, int, const std::string&) {
        std::this_thread::sleep_for(100ms);
        httptest::SendAll(fd, "reply");
    });
    auto socket = MakeTcpSocket();
    ASSERT_EQ(ConnectWithin(*socket, server.port(), 1s).kind, Kind::Done);
    const std::string request = "GET / HTTP/1.0\r\n\r\n";
    const IoResult sent = socket->Send(request.data(), request.size(), 2ms);
    ASSERT_EQ(sent.kind, Kind::Done);
    EXPECT_EQ(sent.count, request.size());

    // Nothing has come yet: the call returns Idle after about its wait.
    char buffer[64];
    const auto start = Clock::now();
    EXPECT_EQ(socket->Receive(buffer, sizeof buffer, 5ms).kind, Kind::Idle);
    EXPECT_LT(Clock::now() - start, 50ms);

    std::string received;
    IoResult result;
    const auto end = Clock::now() + 2s;
    while (Clock::now() < end) {
        result = socket->Receive(buffer, sizeof buffer, 2ms);
        if (result.kind == Kind::Done) received.append(buffer, result.count);
        if (result.kind == Kind::Closed || result.kind == Kind::Failed) break;
    }
    EXPECT_EQ(result.kind, Kind::Closed);
    EXPECT_EQ(received, "reply");
    socket->Close();
    EXPECT_EQ(socket->Receive(buffer, sizeof buffer, 2ms).kind, Kind::Failed);
}

TEST(NameLookup, DottedAddressesAndLoopbackName) {
    std::uint32_t address = 0;
    EXPECT_TRUE(ParseDottedIPv4("127.0.0.1", address));
    EXPECT_EQ(address, kLoopback);
    EXPECT_FALSE(ParseDottedIPv4("maker.test", address));
    EXPECT_FALSE(ParseDottedIPv4("1.2.3.256", address));

    auto lookup = BeginNameLookup("localhost");
    NameLookup::State state = NameLookup::State::Pending;
    const auto end = Clock::now() + 5s;
    address = 0;
    while (state == NameLookup::State::Pending && Clock::now() < end) {
        state = lookup->Poll(address);
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(state, NameLookup::State::Found);
    EXPECT_EQ(address, kLoopback);
}
