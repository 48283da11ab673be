#include "editor/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QMenu>
#include <QScreen>
#include <QToolButton>

#include "editor/DocumentController.h"

namespace {

// Paths name the same file when they are equal once cleaned ("a/../b" is "b").
QString canonicalForm(const QString& path) {
    return QDir::cleanPath(path);
}

// A menu entry may be as wide as the screen; beyond this share of it the path is cut.
constexpr int kScreenShare = 2;

QString withFolder(const QString& name, const QString& path, const QFontMetrics* metrics,
                   int maxWidth) {
    const QString lead = name + QStringLiteral(" — ");
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).path());
    if (!metrics || metrics->horizontalAdvance(lead + folder) <= maxWidth) return lead + folder;
    const QChar separator = QDir::separator();
    const QStringList parts = folder.split(separator);
    // The folders nearest the root go last but the root itself: that and the last part tell
    // where the file is.
    QString cut;
    for (qsizetype kept = parts.size() - 2; kept >= 1; --kept) {
        cut = QStringList(parts.mid(0, kept)).join(separator) + separator + QStringLiteral("…") +
              separator + parts.last();
        if (metrics->horizontalAdvance(lead + cut) <= maxWidth) break;
    }
    return lead + (cut.isEmpty() ? folder : cut);
}

// Labels seen more than once.
QHash<QString, int> repeats(const QStringList& labels) {
    QHash<QString, int> counts;
    for (const QString& label : labels) ++counts[label];
    return counts;
}

}  // namespace

QStringList TRecentFiles::MenuLabels(const QStringList& paths, const QFontMetrics* metrics,
                                     int maxWidth) {
    QStringList names;
    for (const QString& path : paths) names << TDocumentController::DisplayName(path);
    const QHash<QString, int> nameCounts = repeats(names);
    QStringList labels;
    for (int i = 0; i < paths.size(); ++i)
        labels << (nameCounts[names[i]] > 1 ? withFolder(names[i], paths[i], metrics, maxWidth)
                                            : names[i]);
    // "shoes.qvl" and "shoes.txt" in one folder: only the extension tells them apart.
    const QHash<QString, int> labelCounts = repeats(labels);
    for (int i = 0; i < paths.size(); ++i)
        if (labelCounts[labels[i]] > 1)
            labels[i] = withFolder(QFileInfo(paths[i]).fileName(), paths[i], metrics, maxWidth);
    return labels;
}

TRecentFiles::TRecentFiles(QToolButton* openButton, QObject* parent) : QObject(parent) {
    if (!openButton) return;
    menu_ = new QMenu(openButton);
    menu_->setObjectName(QStringLiteral("RecentFilesMenu"));
    menu_->setToolTipsVisible(true);
    connect(menu_, &QMenu::aboutToShow, this, &TRecentFiles::rebuildMenu);
    // Held down: the button shows the menu; a click still opens the file dialog.
    openButton->setMenu(menu_);
    openButton->setPopupMode(QToolButton::DelayedPopup);
    openButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(openButton, &QWidget::customContextMenuRequested, this,
            [this, openButton](const QPoint& at) { menu_->popup(openButton->mapToGlobal(at)); });
}

void TRecentFiles::SetPaths(const QStringList& paths) {
    paths_.clear();
    for (const QString& path : paths) {
        if (path.isEmpty() || paths_.contains(canonicalForm(path))) continue;
        paths_ << canonicalForm(path);
        if (paths_.size() == kLimit) break;
    }
}

void TRecentFiles::Add(const QString& path) {
    if (path.isEmpty()) return;
    const QString clean = canonicalForm(path);
    paths_.removeAll(clean);
    paths_.prepend(clean);
    while (paths_.size() > kLimit) paths_.removeLast();
}

void TRecentFiles::Remove(const QString& path) {
    paths_.removeAll(canonicalForm(path));
}

void TRecentFiles::rebuildMenu() {
    menu_->clear();
    const QScreen* screen = menu_->screen();
    const QFontMetrics metrics(menu_->font());
    const QStringList labels = MenuLabels(
        paths_, &metrics, screen ? screen->availableGeometry().width() / kScreenShare : 1 << 16);
    for (int i = 0; i < paths_.size(); ++i) {
        const QString& path = paths_[i];
        // A "&" in a file name is shown, not taken as a mnemonic.
        QString label = labels[i];
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu_->addAction(label);
        action->setToolTip(QDir::toNativeSeparators(path));
        connect(action, &QAction::triggered, this, [this, path] { emit fileChosen(path); });
    }
    if (paths_.isEmpty())
        menu_->addAction(QStringLiteral("（最近使ったファイルはありません）"))->setEnabled(false);
}
