#pragma once

#include <cstdint>
#include <functional>

// Resolves Windows system colours (values whose high byte is 0x80; the low byte is the index) to
// their current RGB value 0x00BBGGRR. On Windows this asks GetSysColor; elsewhere it answers from
// the standard Windows colour scheme unless the editor installed a resolver fed from its palette.
namespace quorvel::syscolour {

using Resolver = std::function<std::uint32_t(int index)>;

std::uint32_t Resolve(int index);
// The standard Windows table; 0 for an index it does not know.
std::uint32_t StandardColour(int index);
// Replaces the resolver; an empty function restores the platform's own.
void SetResolver(Resolver resolver);

}  // namespace quorvel::syscolour
