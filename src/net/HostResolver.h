#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quorvel::net {

// One host-name lookup in progress. Poll never blocks.
class HostLookup {
  public:
    enum class State { Pending, Found, Failed };
    virtual ~HostLookup() = default;
    // When Found, `address` receives the IPv4 address in network byte order.
    virtual State Poll(std::uint32_t& address) = 0;
};

// Starts lookups without blocking the caller; tests substitute their own.
class HostResolver {
  public:
    virtual ~HostResolver() = default;
    virtual std::unique_ptr<HostLookup> Begin(const std::string& host) = 0;
};

// The system's lookup on a worker thread (platform/NameLookup.h). A lookup whose caller gave up is
// left to finish on its own; its result is dropped.
class SystemResolver final : public HostResolver {
  public:
    std::unique_ptr<HostLookup> Begin(const std::string& host) override;
};

// The dotted IPv4 form ("127.0.0.1") in network byte order, or false when `text` is not one.
bool ParseDottedIPv4(const std::string& text, std::uint32_t& address);

}  // namespace quorvel::net
