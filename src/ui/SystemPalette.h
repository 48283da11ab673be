#pragma once

// Feeds the system colours of stored sheets (Windows colour values 0x80nnnnnn) from the
// desktop's palette where it has a counterpart, and from the standard Windows scheme otherwise.
namespace ui {

void UseDesktopPaletteForSystemColours();

}  // namespace ui
