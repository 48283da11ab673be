#include "platform/NameLookup.h"

#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/Socket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace quorvel::sockets {

namespace {

struct SharedResult {
    std::mutex mutex;
    NameLookup::State state = NameLookup::State::Pending;
    std::uint32_t address = 0;
};

class ThreadLookup final : public NameLookup {
  public:
    explicit ThreadLookup(std::shared_ptr<SharedResult> result) : result_(std::move(result)) {}
    State Poll(std::uint32_t& address) override {
        std::lock_guard lock(result_->mutex);
        if (result_->state == State::Found) address = result_->address;
        return result_->state;
    }

  private:
    std::shared_ptr<SharedResult> result_;
};

void Resolve(const std::string& host, const std::shared_ptr<SharedResult>& result) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    NameLookup::State state = NameLookup::State::Failed;
    std::uint32_t address = 0;
    if (!host.empty() && getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0) {
        for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
            if (entry->ai_family != AF_INET || !entry->ai_addr) continue;
            sockaddr_in in{};
            std::memcpy(&in, entry->ai_addr, sizeof in);
            address = in.sin_addr.s_addr;
            state = NameLookup::State::Found;
            break;
        }
    }
    if (list) freeaddrinfo(list);
    std::lock_guard lock(result->mutex);
    result->address = address;
    result->state = state;
}

}  // namespace

std::unique_ptr<NameLookup> BeginNameLookup(const std::string& host) {
    EnsureSocketsReady();
    auto result = std::make_shared<SharedResult>();
    try {
        std::thread([host, result] { Resolve(host, result); }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the lookup fails like an unknown host.
        result->state = NameLookup::State::Failed;
    }
    return std::make_unique<ThreadLookup>(result);
}

bool ParseDottedIPv4(const std::string& text, std::uint32_t& address) {
    EnsureSocketsReady();
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1) return false;
    address = parsed.s_addr;
    return true;
}

}  // namespace quorvel::sockets
