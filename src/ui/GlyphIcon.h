#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace ui {

// The toolbar glyph ":/icons/<glyph>.svg" as an icon that reads its drawing only when its button is
// first painted and draws it once per size and look. Qt's own SVG icons parse each file when
// the icon is made and again when it is drawn.
QIcon glyphIcon(const QString& glyph);

// The glyph drawn once at the given size.
QPixmap glyphPixmap(const QString& glyph, const QSize& size);

}  // namespace ui
