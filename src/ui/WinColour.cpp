#include "ui/WinColour.h"

#include "platform/SystemColours.h"

QColor qColorFromWin(quorvel::TColor colour) {
    if ((colour >> 24) == 0x80)
        colour = quorvel::syscolour::Resolve(static_cast<int>(colour & 0xFF));
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

quorvel::TColor winColourOf(const QColor& colour) {
    return static_cast<quorvel::TColor>(colour.red()) |
           (static_cast<quorvel::TColor>(colour.green()) << 8) |
           (static_cast<quorvel::TColor>(colour.blue()) << 16);
}
