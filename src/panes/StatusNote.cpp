#include "panes/StatusNote.h"

#include <QStatusBar>

#include "sheet/DescriptionSheet.h"

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

// A seller who lost the end of a long text must not go looking for bad characters.
QString TStatusNote::PasteDropNote(int refused, int overLimit) {
    const QString refusedNote =
        QStringLiteral("貼り付けられない文字を %1 文字除きました").arg(refused);
    if (overLimit == 0) return refusedNote;
    const QString limitNote =
        QStringLiteral("セルの上限 %1 バイトを超えた %2 文字を貼り付けませんでした")
            .arg(quorvel::kCellMaxInputBytes)
            .arg(overLimit);
    if (refused == 0) return limitNote;
    return QStringLiteral("貼り付けられない文字を %1 文字除き、").arg(refused) + limitNote;
}
