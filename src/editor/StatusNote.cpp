#include "editor/StatusNote.h"

#include <QStatusBar>

TStatusNote::TStatusNote(QStatusBar* bar) : QLabel(bar) {
    setObjectName(QStringLiteral("StatusNote"));
    setContentsMargins(2, 0, 2, 0);
    // A normal status-bar widget: hidden while a hint is shown, shown again after it.
    bar->addWidget(this, 1);
    hide();
}

void TStatusNote::Show(const QString& text) {
    setText(text);
    setToolTip(text);
    show();
}

void TStatusNote::Clear() {
    clear();
    setToolTip(QString());
    hide();
}
