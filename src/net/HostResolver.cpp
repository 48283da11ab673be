#include "net/HostResolver.h"

#include "platform/NameLookup.h"

namespace quorvel::net {

namespace {

class SystemLookup final : public HostLookup {
  public:
    explicit SystemLookup(std::unique_ptr<sockets::NameLookup> lookup)
        : lookup_(std::move(lookup)) {}
    State Poll(std::uint32_t& address) override {
        switch (lookup_->Poll(address)) {
            case sockets::NameLookup::State::Found:
                return State::Found;
            case sockets::NameLookup::State::Failed:
                return State::Failed;
            case sockets::NameLookup::State::Pending:
                break;
        }
        return State::Pending;
    }

  private:
    std::unique_ptr<sockets::NameLookup> lookup_;
};

}  // namespace

std::unique_ptr<HostLookup> SystemResolver::Begin(const std::string& host) {
    return std::make_unique<SystemLookup>(sockets::BeginNameLookup(host));
}

bool ParseDottedIPv4(const std::string& text, std::uint32_t& address) {
    return sockets::ParseDottedIPv4(text, address);
}

}  // namespace quorvel::net
