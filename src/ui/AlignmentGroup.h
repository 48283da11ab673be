#pragma once

#include <array>

class QToolButton;

namespace ui {

// Three toggle buttons that stand for three alignment codes (left, centre, right or top,
// centre, bottom): which button shows which code, and which code a button stands for.
class AlignmentGroup {
  public:
    AlignmentGroup() = default;
    AlignmentGroup(std::array<QToolButton*, 3> buttons, std::array<int, 3> codes)
        : buttons_(buttons), codes_(codes) {}

    // The button of `code`, or none for a code outside the group.
    QToolButton* ButtonOf(int code) const;
    // The code `button` stands for; `fallback` for a button outside the group.
    int CodeOf(const QToolButton* button, int fallback) const;
    // Only the button of `code` down; all up for a code outside the group.
    void Show(int code) const;
    const std::array<QToolButton*, 3>& Buttons() const { return buttons_; }

  private:
    std::array<QToolButton*, 3> buttons_{};
    std::array<int, 3> codes_{};
};

}  // namespace ui
