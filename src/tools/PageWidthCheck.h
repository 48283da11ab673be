#pragma once

#include <optional>

#include "sheet/DescriptionSheet.h"

// The page's width laid out by the page engine at `cssWidth`, where the tool is built with it;
// nothing otherwise, and the check then estimates.
std::optional<int> EnginePageWidth(const quorvel::TDescriptionSheet& sheet, int cssWidth);
