#pragma once

#include <QIcon>
#include <QString>

namespace ui {

// The toolbar glyph ":/icons/<glyph>.svg" as an icon that reads the SVG only when its button is
// first painted and draws it once per size and look. Qt's own SVG icons parse each file when
// the icon is made and again when it is drawn.
QIcon glyphIcon(const QString& glyph);

}  // namespace ui
