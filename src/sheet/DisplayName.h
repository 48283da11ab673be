#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// The document name shown in the window title: the part of a path after its last separator,
// without the extension (everything from the last "."). The path is code page 932 bytes scanned
// character by character, so the 0x5C second byte of a character such as "表" is no separator.
// `alsoSlash` adds "/" to the separators "\" and ":".
std::string DisplayName(std::string_view path, bool alsoSlash);

}  // namespace quorvel
