#include "ui/Controls.h"

#include <QToolBar>
#include <QToolButton>

#include "ui/GlyphIcon.h"

namespace ui {

void applyHint(QWidget* widget, const QString& hint) {
    const qsizetype bar = hint.indexOf(u'|');
    const QString shortText = bar < 0 ? hint : hint.left(bar);
    const QString longText = bar < 0 ? hint : hint.mid(bar + 1);
    widget->setToolTip(shortText);
    widget->setStatusTip(longText);
    // A screen reader names the control by its short hint (most buttons show only a glyph).
    if (!shortText.isEmpty()) widget->setAccessibleName(shortText);
}

QToolButton* makeSpeedButton(QWidget* parent, const QString& objectName, const QString& hint,
                             const QString& glyph, bool checkable, int width, int height) {
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCheckable(checkable);
    button->setFixedSize(width, height);
    button->setIconSize(QSize(16, 16));
    if (!glyph.isEmpty()) button->setIcon(glyphIcon(glyph));
    if (!hint.isEmpty()) applyHint(button, hint);
    return button;
}

QFont pixelFont(const QString& family, int pixels) {
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

void setUpToolBar(QToolBar* bar, const QString& name) {
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(30);
    bar->setIconSize(QSize(16, 16));
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
}

}  // namespace ui
