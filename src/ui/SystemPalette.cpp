#include "ui/SystemPalette.h"

#include <QApplication>
#include <QPalette>

#include "platform/SystemColours.h"
#include "ui/WinColour.h"

namespace ui {
void UseDesktopPaletteForSystemColours() {
#ifndef _WIN32
    quorvel::syscolour::SetResolver([](int index) {
        const QPalette palette = QApplication::palette();
        switch (index) {
            case 5:
                return winColourOf(palette.color(QPalette::Base));  // window
            case 8:
                return winColourOf(palette.color(QPalette::Text));  // window text
            case 13:
                return winColourOf(palette.color(QPalette::Highlight));  // highlight
            case 14:
                return winColourOf(palette.color(QPalette::HighlightedText));
            case 15:
                return winColourOf(palette.color(QPalette::Button));  // button face
            case 18:
                return winColourOf(palette.color(QPalette::ButtonText));
            case 23:
                return winColourOf(palette.color(QPalette::ToolTipText));  // info text
            case 24:
                return winColourOf(palette.color(QPalette::ToolTipBase));  // info back
            default:
                return quorvel::syscolour::StandardColour(index);
        }
    });
#endif
}

}  // namespace ui
