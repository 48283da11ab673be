#pragma once

#include <QFont>
#include <QString>

class QAbstractButton;
class QToolBar;
class QToolButton;
class QWidget;

// Small builders shared by the windows, so like controls are made alike.
namespace ui {

// A hint is "short|long": the short text is the tool tip, the long one goes to the status bar.
// A hint without "|" serves as both. The short text is also the control's accessible name.
void applyHint(QWidget* widget, const QString& hint);

// A flat 23 x 22 tool button that never takes the keyboard focus. The glyph is the SVG
// ":/icons/<glyph>.svg" (none when empty); Qt greys it out while the button is disabled.
QToolButton* makeSpeedButton(QWidget* parent, const QString& objectName, const QString& hint,
                             const QString& glyph, bool checkable, int width = 23, int height = 22);

// A font of `family` sized in pixels, so text keeps its size whatever the screen's resolution.
QFont pixelFont(const QString& family, int pixels);

// A fixed toolbar of 30 pixels with 16-pixel glyphs and no context menu of its own.
void setUpToolBar(QToolBar* bar, const QString& name);

}  // namespace ui
