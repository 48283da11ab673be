#include <gtest/gtest.h>

#include "platform/SocketErrors.h"
#include "test_http_server.h"

#ifndef _WIN32
#include <fcntl.h>
#endif

using namespace quorvel;
using namespace httptest;

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

// A bound socket on a loopback port; `port` tells which.
SocketFd BoundSocket(std::uint16_t& port) {
    StartSockets();
    const SocketFd fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

void MakeNonBlocking(SocketFd fd) {
#ifdef _WIN32
    u_long on = 1;
    ioctlsocket(fd, FIONBIO, &on);
#else
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
#endif
}

}  // namespace

// The failures of real socket calls read as the Windows Sockets texts on every platform.
TEST(SocketErrors, RealFailuresGiveTheWindowsSocketsTexts) {
    std::uint16_t port = 0;
    const SocketFd closed = BoundSocket(port);
    CloseSocket(closed);

    const SocketFd client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(port);
    ASSERT_NE(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(socketerr::ErrorText(socketerr::LastError()), "10061:Connection refused");
    CloseSocket(client);

    std::uint16_t busyPort = 0;
    const SocketFd first = BoundSocket(busyPort);
    ASSERT_EQ(listen(first, 1), 0);
    const SocketFd second = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in busy = Loopback(busyPort);
    ASSERT_NE(bind(second, reinterpret_cast<sockaddr*>(&busy), sizeof busy), 0);
    EXPECT_EQ(socketerr::ErrorText(socketerr::LastError()), "10048:Address already in use");
    CloseSocket(second);

    // A connect that cannot finish at once on a non-blocking socket is the one "error" the
    // client waits out.
    const SocketFd pending = socket(AF_INET, SOCK_STREAM, 0);
    MakeNonBlocking(pending);
    const int result = connect(pending, reinterpret_cast<sockaddr*>(&busy), sizeof busy);
    if (result != 0) {
        const int code = socketerr::LastError();
#ifdef _WIN32
        EXPECT_EQ(code, socketerr::kWouldBlock);
#else
        EXPECT_EQ(code, 10036);  // EINPROGRESS: Linux names the same state differently
#endif
    }
    CloseSocket(pending);
    CloseSocket(first);
}

TEST(SocketErrors, NonSocketAndUnknownCodes) {
    StartSockets();
    char byte = 0;
#ifdef _WIN32
    // Any handle that is not a socket.
    EXPECT_LT(recv(static_cast<SocketFd>(12345678), &byte, 1, 0), 0);
    EXPECT_EQ(socketerr::ErrorText(socketerr::LastError()), "10038:Socket operation on non-socket");
#else
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    EXPECT_LT(recv(pipeEnds[0], &byte, 1, 0), 0);
    EXPECT_EQ(socketerr::ErrorText(socketerr::LastError()), "10038:Socket operation on non-socket");
    close(pipeEnds[0]);
    close(pipeEnds[1]);
#endif
    EXPECT_EQ(socketerr::ErrorText(10093), "10093:Successful WSAStartup not yet performed");
    EXPECT_EQ(socketerr::ErrorText(10054), "10054:Connection reset by peer");
    EXPECT_EQ(socketerr::ErrorText(12345), "Unknown Error No. 12345");
    EXPECT_STREQ(socketerr::Description(0), "");
}
