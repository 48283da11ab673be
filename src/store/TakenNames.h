#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The file names a batch has used so far, compared without ASCII letter case (as most desktop
// file systems compare them), each with the row that took it. Kept compactly, in one block of
// name bytes and one table of slots, so a batch of a million rows costs tens of megabytes, and
// each look-up costs the same however many names came before.
namespace quorvel {

class TakenNames {
  public:
    // The row that took the name before, else nothing (and the name is now taken by `row`).
    std::optional<std::size_t> Take(std::string_view name, std::size_t row);
    // The row that took the name, without taking it.
    std::optional<std::size_t> Find(std::string_view name) const;
    std::size_t size() const { return count_; }

  private:
    struct Slot {
        std::uint32_t offset = kEmpty;  // where the name starts in `names_`
        std::uint32_t row = 0;
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    std::size_t SlotFor(std::string_view lowered, std::uint64_t hash) const;
    void Grow();

    std::string names_;  // lowered names, each ended by a NUL
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

}  // namespace quorvel
