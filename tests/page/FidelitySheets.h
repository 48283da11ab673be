#pragma once

#include <string>
#include <vector>

#include "sheet/DescriptionSheet.h"

// The reference sheets that a real browser lays out for the page engine's fidelity fixtures.
namespace quorvel::fidelity {

struct ReferenceSheet {
    std::string name;  // file name without ".qvl"
    TDescriptionSheet sheet;
};

// Every reference sheet, built from scratch; throws when a text has no code page 932 form.
std::vector<ReferenceSheet> ReferenceSheets();

// The included cells' tags in ascending order.
std::vector<int> IncludedTags(const TDescriptionSheet& sheet);

}  // namespace quorvel::fidelity
