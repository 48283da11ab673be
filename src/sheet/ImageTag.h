#pragma once

#include <string>
#include <string_view>

// Picture tags written into a cell by the image command. The address and the alternative text
// are taken as typed, except what would end their attribute or the one-line tag: a double quote
// is written as "%22" in the address and as "&quot;" in the text, a line break in the text becomes
// a space and one in the address is left out.
namespace quorvel {

// <IMG SRC="address" ALT="text" WIDTH="n" STYLE="max-width:100%;height:auto">, WIDTH only for a
// width above 0; wrapped in <A HREF="address" target="_blank">...</A> when `opensOriginal`.
std::string BuildImageTag(std::string_view address, std::string_view alt, int width,
                          bool opensOriginal);

// True when the address starts, at its first character, with exactly "https://".
bool BeginsWithHttps(std::string_view address);

// Everything up to and including the last "/" of the address; empty when it has none.
std::string AddressFolder(std::string_view address);

// The width field's text as a width: 1 to 4 digits give their value, anything else 0 (none).
int ParseImageWidth(std::string_view text);

}  // namespace quorvel
