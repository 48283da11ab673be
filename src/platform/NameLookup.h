#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Host-name lookup that never blocks the caller: the system's lookup runs on a worker thread and
// the caller polls for its answer.
namespace quorvel::sockets {

class NameLookup {
  public:
    enum class State { Pending, Found, Failed };
    virtual ~NameLookup() = default;
    // When Found, `address` receives the IPv4 address in network byte order.
    virtual State Poll(std::uint32_t& address) = 0;
};

// A lookup whose caller gives up is left to finish on its own; its result is dropped.
std::unique_ptr<NameLookup> BeginNameLookup(const std::string& host);

// The dotted IPv4 form ("127.0.0.1") in network byte order, or false when `text` is not one.
bool ParseDottedIPv4(const std::string& text, std::uint32_t& address);

}  // namespace quorvel::sockets
