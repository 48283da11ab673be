#include "net/HostResolver.h"

namespace quorvel::net {

std::unique_ptr<HostLookup> SystemResolver::Begin(const std::string& host) {
    return sockets::BeginNameLookup(host);
}

}  // namespace quorvel::net
