#pragma once

#ifndef _WIN32
struct ifaddrs;
#endif

namespace quorvel::network {

// True when the machine has a network connection of any kind (loopback does not count).
bool IsOnline();

#ifndef _WIN32
// The decision on a getifaddrs list: an interface other than loopback that is up, running and
// has an IPv4 or IPv6 address.
bool AnyInterfaceOnline(const ifaddrs* list);
#endif

}  // namespace quorvel::network
