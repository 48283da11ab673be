#include "editor/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QToolButton>

#include "editor/DocumentController.h"

namespace {

// Paths name the same file when they are equal once cleaned ("a/../b" is "b").
QString canonicalForm(const QString& path) {
    return QDir::cleanPath(path);
}

}  // namespace

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
    for (const QString& path : paths_) {
        // A "&" in a file name is shown, not taken as a mnemonic.
        QString label = TDocumentController::DisplayName(path);
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu_->addAction(label);
        action->setToolTip(QDir::toNativeSeparators(path));
        connect(action, &QAction::triggered, this, [this, path] { emit fileChosen(path); });
    }
    if (paths_.isEmpty())
        menu_->addAction(QStringLiteral("（最近使ったファイルはありません）"))->setEnabled(false);
}
