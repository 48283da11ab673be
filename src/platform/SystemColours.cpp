#include "platform/SystemColours.h"

#include <array>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quorvel::syscolour {
namespace {

std::mutex mutex;
Resolver custom;

}  // namespace

std::uint32_t StandardColour(int index) {
    // COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30) of the classic Windows scheme, as 0x00BBGGRR.
    static constexpr std::array<std::uint32_t, 31> kTable{
        0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
        0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
        0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
        0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};
    return index >= 0 && index < static_cast<int>(kTable.size()) ? kTable[index] : 0;
}

std::uint32_t Resolve(int index) {
    {
        std::lock_guard lock(mutex);
        if (custom) return custom(index) & 0x00FFFFFF;
    }
#ifdef _WIN32
    return static_cast<std::uint32_t>(GetSysColor(index)) & 0x00FFFFFF;
#else
    return StandardColour(index);
#endif
}

void SetResolver(Resolver resolver) {
    std::lock_guard lock(mutex);
    custom = std::move(resolver);
}

}  // namespace quorvel::syscolour
