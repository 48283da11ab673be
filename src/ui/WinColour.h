#pragma once

#include <QColor>

#include "sheet/DescriptionSheet.h"

// Windows colour values 0x00BBGGRR and Qt colours.
// A Windows colour (system colours resolved) as a Qt colour.
QColor qColorFromWin(quorvel::TColor colour);
// A Qt colour as a plain Windows colour value.
quorvel::TColor winColourOf(const QColor& colour);
