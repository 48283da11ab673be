#include "store/TakenNames.h"

#include <cstring>

namespace quorvel {
namespace {

std::string Lowered(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// FNV-1a: short names, no need for more.
std::uint64_t HashOf(std::string_view bytes) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

}  // namespace

// The slot holding the name, or the empty slot where it would go. Names never hold a NUL.
std::size_t TakenNames::SlotFor(std::string_view lowered, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.offset == kEmpty) return i;
        const char* stored = names_.data() + slot.offset;
        if (std::strlen(stored) == lowered.size() &&
            std::memcmp(stored, lowered.data(), lowered.size()) == 0)
            return i;
    }
}

void TakenNames::Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
        if (slot.offset == kEmpty) continue;
        const std::string_view name(names_.data() + slot.offset);
        slots_[SlotFor(name, HashOf(name))] = slot;
    }
}

std::optional<std::size_t> TakenNames::Find(std::string_view name) const {
    if (slots_.empty()) return std::nullopt;
    const std::string lowered = Lowered(name);
    const Slot& slot = slots_[SlotFor(lowered, HashOf(lowered))];
    if (slot.offset == kEmpty) return std::nullopt;
    return slot.row;
}

std::optional<std::size_t> TakenNames::Take(std::string_view name, std::size_t row) {
    // Kept at most half full, so probes stay short.
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    const std::string lowered = Lowered(name);
    Slot& slot = slots_[SlotFor(lowered, HashOf(lowered))];
    if (slot.offset != kEmpty) return slot.row;
    slot.offset = static_cast<std::uint32_t>(names_.size());
    slot.row = static_cast<std::uint32_t>(row);
    names_.append(lowered);
    names_ += '\0';
    ++count_;
    return std::nullopt;
}

}  // namespace quorvel
