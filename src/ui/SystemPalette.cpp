#include "ui/SystemPalette.h"

#include <QApplication>
#include <QPalette>

#include "platform/SystemColours.h"

namespace ui {
namespace {

std::uint32_t winColour(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

}  // namespace

void UseDesktopPaletteForSystemColours() {
#ifndef _WIN32
    quorvel::syscolour::SetResolver([](int index) {
        const QPalette palette = QApplication::palette();
        switch (index) {
            case 5:
                return winColour(palette.color(QPalette::Base));  // window
            case 8:
                return winColour(palette.color(QPalette::Text));  // window text
            case 13:
                return winColour(palette.color(QPalette::Highlight));  // highlight
            case 14:
                return winColour(palette.color(QPalette::HighlightedText));
            case 15:
                return winColour(palette.color(QPalette::Button));  // button face
            case 18:
                return winColour(palette.color(QPalette::ButtonText));
            case 23:
                return winColour(palette.color(QPalette::ToolTipText));  // info text
            case 24:
                return winColour(palette.color(QPalette::ToolTipBase));  // info back
            default:
                return quorvel::syscolour::StandardColour(index);
        }
    });
#endif
}

}  // namespace ui
