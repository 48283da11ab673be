#include "ui/FileDialogLayout.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QScreen>
#include <QTreeView>

#include "ui/FirstShow.h"

namespace {

const QSize kDefaultSize(820, 500);

enum Column { kName, kSize, kType, kDate };

// Room for the header's sort arrow and the cell margins on both sides.
int columnWidth(const QTreeView& view, const QStringList& samples) {
    const QFontMetrics metrics(view.font());
    int widest = 0;
    for (const QString& sample : samples) widest = qMax(widest, metrics.horizontalAdvance(sample));
    return widest + 2 * view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &view) + 24;
}

void fit(QFileDialog& dialog) {
    QSize size = kDefaultSize;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size.expandedTo(dialog.minimumSizeHint()));

    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!view) return;  // the desktop's own dialog lays itself out
    const QLocale locale = dialog.locale();
    // The widest texts the columns show: sizes stay below 1000 of a unit; a date late in the year
    // with two-digit fields everywhere.
    const QString size9 = locale.formattedDataSize(999 * 1024 + 900);
    const QString date =
        locale.toString(QDateTime(QDate(2026, 12, 28), QTime(22, 58, 58)), QLocale::ShortFormat);
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->resizeSection(kSize, columnWidth(*view, {size9, locale.formattedDataSize(1023)}));
    header->resizeSection(
        kType, columnWidth(*view, {QStringLiteral("unknown"), QStringLiteral("qvl File")}));
    header->resizeSection(kDate, columnWidth(*view, {date}));
    header->setSectionResizeMode(kName, QHeaderView::Stretch);
}

}  // namespace

namespace ui {

void FitFileDialog(QFileDialog& dialog) {
    // Qt makes the dialog's widgets, and brings back the sizes it stored, only when it is shown.
    AtFirstShow(dialog, [&dialog] { fit(dialog); });
}

}  // namespace ui
