#pragma once

#include <memory>
#include <string>

#include "platform/NameLookup.h"

namespace quorvel::net {

// One host-name lookup in progress; Poll never blocks.
using HostLookup = sockets::NameLookup;
using sockets::ParseDottedIPv4;

// Starts lookups without blocking the caller; tests substitute their own.
class HostResolver {
  public:
    virtual ~HostResolver() = default;
    virtual std::unique_ptr<HostLookup> Begin(const std::string& host) = 0;
};

// The system's lookup on a worker thread. A lookup whose caller gave up is left to finish on its
// own; its result is dropped.
class SystemResolver final : public HostResolver {
  public:
    std::unique_ptr<HostLookup> Begin(const std::string& host) override;
};

}  // namespace quorvel::net
