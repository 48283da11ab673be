#pragma once

namespace quorvel {

// Upper-case hexadecimal digits, shared by every writer of hex text.
inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

}  // namespace quorvel
