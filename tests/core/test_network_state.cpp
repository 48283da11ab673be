// The interface scan is the POSIX side; Windows asks the system directly.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/NetworkState.h"

using quorvel::network::AnyInterfaceOnline;

namespace {

struct FakeInterface {
    ifaddrs entry{};
    sockaddr_storage address{};
    FakeInterface(const char* name, int family, unsigned flags) {
        entry.ifa_name = const_cast<char*>(name);
        entry.ifa_flags = flags;
        address.ss_family = static_cast<sa_family_t>(family);
        entry.ifa_addr = reinterpret_cast<sockaddr*>(&address);
    }
};

// Links the entries in order and returns the head.
const ifaddrs* Chain(std::initializer_list<FakeInterface*> list) {
    ifaddrs* previous = nullptr;
    ifaddrs* head = nullptr;
    for (FakeInterface* item : list) {
        item->entry.ifa_next = nullptr;
        if (previous)
            previous->ifa_next = &item->entry;
        else
            head = &item->entry;
        previous = &item->entry;
    }
    return head;
}

constexpr unsigned kUpRunning = IFF_UP | IFF_RUNNING;

}  // namespace

TEST(NetworkState, LoopbackAloneIsOffline) {
    FakeInterface lo("lo", AF_INET, kUpRunning | IFF_LOOPBACK);
    FakeInterface lo6("lo", AF_INET6, kUpRunning | IFF_LOOPBACK);
    EXPECT_FALSE(AnyInterfaceOnline(Chain({&lo, &lo6})));
    EXPECT_FALSE(AnyInterfaceOnline(nullptr));
}

TEST(NetworkState, InterfaceMustBeUpRunningAndAddressed) {
    FakeInterface lo("lo", AF_INET, kUpRunning | IFF_LOOPBACK);
    FakeInterface down("eth0", AF_INET, IFF_UP);        // cable out: up but not running
    FakeInterface link("eth1", AF_PACKET, kUpRunning);  // a link without an address
    EXPECT_FALSE(AnyInterfaceOnline(Chain({&lo, &down, &link})));

    FakeInterface noAddress("eth2", AF_INET, kUpRunning);
    noAddress.entry.ifa_addr = nullptr;
    EXPECT_FALSE(AnyInterfaceOnline(Chain({&noAddress})));

    FakeInterface wifi("wlan0", AF_INET, kUpRunning);
    EXPECT_TRUE(AnyInterfaceOnline(Chain({&lo, &down, &wifi})));
    FakeInterface v6("eth3", AF_INET6, kUpRunning | IFF_MULTICAST);
    EXPECT_TRUE(AnyInterfaceOnline(Chain({&v6})));
}

#endif
