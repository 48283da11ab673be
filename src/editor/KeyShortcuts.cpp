#include "editor/KeyShortcuts.h"

#include <QKeySequence>
#include <QShortcut>

#include "editor/DocumentController.h"
#include "editor/EditMenu.h"
#include "ui/Guarded.h"

namespace {

struct FileKey {
    const char* keys;
    const char* name;
    void (TDocumentController::*command)();
};

// Spelt out rather than taken from the platform's standard keys, which give Save As no key on
// some desktops.
const FileKey kFileKeys[] = {
    {"Ctrl+N", "ShortcutNew", &TDocumentController::New},
    {"Ctrl+O", "ShortcutOpen", &TDocumentController::Open},
    {"Ctrl+S", "ShortcutSave", &TDocumentController::Save},
    {"Ctrl+Shift+S", "ShortcutSaveAs", &TDocumentController::SaveAs},
};

}  // namespace

void InstallFileShortcuts(QWidget& window, TDocumentController& document) {
    for (const FileKey& key : kFileKeys) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(key.keys)), &window);
        shortcut->setObjectName(QString::fromLatin1(key.name));
        shortcut->setContext(Qt::WindowShortcut);
        const auto command = key.command;
        ui::connectGuarded(shortcut, &QShortcut::activated, &window,
                           [&document, command] { (document.*command)(); });
    }
}

void InstallCellShortcuts(QWidget& window, TEditMenu& menu,
                          const std::function<TCellEdit*()>& focusedCell) {
    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+G")), &window);
    shortcut->setObjectName(QStringLiteral("ShortcutImage"));
    shortcut->setContext(Qt::WindowShortcut);
    ui::connectGuarded(shortcut, &QShortcut::activated, &window,
                       [&menu, focusedCell] { menu.InsertImage(focusedCell()); });
}

void InstallCloseOnEscape(QWidget* window) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    shortcut->setObjectName(QStringLiteral("ShortcutClose"));
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
}
