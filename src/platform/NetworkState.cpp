#include "platform/NetworkState.h"

#ifdef _WIN32
#include <windows.h>
#include <wininet.h>
#else
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#endif

namespace quorvel::network {

#ifdef _WIN32

bool IsOnline() {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0) != FALSE;
}

#else

bool AnyInterfaceOnline(const ifaddrs* list) {
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr) continue;
        const int family = entry->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6) continue;
        const unsigned flags = entry->ifa_flags;
        if (flags & IFF_LOOPBACK) continue;
        if ((flags & IFF_UP) && (flags & IFF_RUNNING)) return true;
    }
    return false;
}

bool IsOnline() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    const bool online = AnyInterfaceOnline(list);
    freeifaddrs(list);
    return online;
}

#endif

}  // namespace quorvel::network
