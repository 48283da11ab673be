#pragma once

#include <string>

namespace quorvel::page {

// The engine's user-agent style sheet: HTML's usual look, plus rules for the presentational
// attributes the engine reads differently from a browser (cell padding, cell borders, font
// sizes, vertical alignment, underlining). Built once.
const std::string& UserAgentStyleSheet();

}  // namespace quorvel::page
