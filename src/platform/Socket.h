#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

// TCP connections for the HTTP client. Nothing here blocks longer than the wait it is given, so
// the caller keeps its windows running between steps. Error codes are Windows Sockets numbers
// (see SocketErrors.h) on every platform.
namespace quorvel::sockets {

struct IoResult {
    enum class Kind {
        Done,    // connected, or `count` bytes moved
        Idle,    // nothing happened within the wait
        Closed,  // the peer closed its side (receiving only)
        Failed,  // `error` says why
    };
    Kind kind = Kind::Idle;
    std::size_t count = 0;
    int error = 0;
};

// One connection to an IPv4 address. Implemented over the system's sockets; tests and fuzzers
// put a stream of their own in its place.
class StreamSocket {
  public:
    virtual ~StreamSocket() = default;

    // Starts connecting without blocking: Done when already connected, Idle while in progress,
    // Failed when the connection cannot even start.
    virtual IoResult Connect(std::uint32_t address, std::uint16_t port) = 0;
    // Waits up to `wait` for the connection: Done, Idle, or Failed (refused, unreachable).
    virtual IoResult AwaitConnected(std::chrono::milliseconds wait) = 0;
    // Sends part of `data` once the socket takes it, waiting at most `wait`.
    virtual IoResult Send(const char* data, std::size_t size, std::chrono::milliseconds wait) = 0;
    // Receives up to `size` bytes, waiting at most `wait` for the first one.
    virtual IoResult Receive(char* buffer, std::size_t size, std::chrono::milliseconds wait) = 0;
    virtual void Close() = 0;
};

// A connection over the system's TCP sockets.
std::unique_ptr<StreamSocket> MakeTcpSocket();

// Starts the socket library where the system needs it (Windows); safe to call often.
void EnsureSocketsReady();

}  // namespace quorvel::sockets
