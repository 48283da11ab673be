#include "panes/CellHint.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QSize>
#include <QStringList>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

#include "panes/CellEdit.h"
#include "sheet/DescriptionSheet.h"

TCellHint::TCellHint(QObject* parent) : QObject(parent) {}

TCellEdit* TCellHint::CellOf(QObject* object) {
    for (QObject* o = object; o; o = o->parent()) {
        if (auto* cell = qobject_cast<TCellEdit*>(o))
            return quorvel::IsCellTag(cell->Tag()) ? cell : nullptr;
        // A popup or dialog opened from a cell is not the cell.
        if (o->isWidgetType() && static_cast<QWidget*>(o)->isWindow()) return nullptr;
    }
    return nullptr;
}

bool TCellHint::TextOverflows(const QString& text, const QSize& client,
                              const QFontMetrics& metrics) {
    if (text.isEmpty()) return false;
    QString lines = text;
    lines.replace(QChar::ParagraphSeparator, u'\n');
    lines.replace(QChar::LineSeparator, u'\n');
    lines.remove(u'\r');
    int widest = -1;
    int height = 0;
    for (const QString& line : lines.split(u'\n')) {
        widest = std::max(widest, metrics.horizontalAdvance(line.trimmed()));
        // Every line, blank or not, takes a line's height in the box.
        height += metrics.height();
    }
    return client.width() < widest || client.height() < height;
}

bool TCellHint::CellHintOverflow(const TCellEdit* box) {
    if (!box) return false;
    return TextOverflows(box->toPlainText(), box->viewport()->size(),
                         QFontMetrics(QApplication::font()));
}

QString TCellHint::HintText(const QString& text) {
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

bool TCellHint::ShowCellHint(TCellEdit* box, const QPoint& globalPos) {
    QWidget* client = box->viewport();
    const QRect area = client->rect();
    if (area.contains(client->mapFromGlobal(globalPos)) && CellHintOverflow(box)) {
        // The tip goes once the mouse leaves the text area, so it is asked for again there.
        QToolTip::showText(globalPos, HintText(box->toPlainText()), client, area);
        return true;
    }
    QToolTip::hideText();
    return false;
}

bool TCellHint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip) return false;
    TCellEdit* cell = CellOf(watched);
    if (!cell) return false;
    try {
        ShowCellHint(cell, static_cast<QHelpEvent*>(event)->globalPos());
    } catch (...) {
        // A tool tip is not worth an error box.
        QToolTip::hideText();
    }
    return true;
}
