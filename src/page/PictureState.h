#pragma once

#include <string>

namespace quorvel::page {

enum class PictureState {
    Unknown,  // never asked for
    Loading,
    Loaded,
    Failed,    // refused, missing, too large, too slow or not a picture
    Blocked,   // "http:": a marketplace's HTTPS page would not load it
    TooMany,   // beyond the number of pictures the store keeps, with all of them on the page
    TooLarge,  // beyond the bytes the store keeps, with all it keeps on the page
};

// A picture as a layout found it: a later state means the page's boxes may have changed.
struct PictureSeen {
    std::string url;
    PictureState state = PictureState::Unknown;
};

}  // namespace quorvel::page
