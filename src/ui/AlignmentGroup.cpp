#include "ui/AlignmentGroup.h"

#include <QToolButton>

namespace ui {

QToolButton* AlignmentGroup::ButtonOf(int code) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (codes_[i] == code) return buttons_[i];
    return nullptr;
}

int AlignmentGroup::CodeOf(const QToolButton* button, int fallback) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i] == button) return codes_[i];
    return fallback;
}

void AlignmentGroup::Show(int code) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setChecked(codes_[i] == code);
}

}  // namespace ui
