#pragma once

#include <string>
#include <vector>

#include "sheet/DescriptionSheet.h"
#include "sheet/Design.h"

// The designs that come with the program, and the listing their thumbnails show.
namespace quorvel {

struct NamedDesign {
    std::string name;  // UTF-8
    Design design;
};

// Eight designs that differ in colour and layout, in the order the chooser offers them.
const std::vector<NamedDesign>& BuiltinDesigns();

// A short, typical listing (title, five rows, a note; the other rows left out) in the plain
// defaults: what a design is shown on, and what each built-in design is checked with.
TDescriptionSheet SampleListing();

}  // namespace quorvel
