#include "platform/FileIo.h"

namespace quorvel::fileio {

bool IsSaveTemporaryName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kTemporarySuffixLength ||
        !name.starts_with(kTemporaryPrefix))
        return false;
    for (char c : name.substr(kTemporaryPrefix.size())) {
        const bool alphanumeric =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alphanumeric) return false;
    }
    return true;
}

}  // namespace quorvel::fileio
