#include "editor/KeyShortcuts.h"

#include <QKeySequence>
#include <QShortcut>

#include "editor/EditMenu.h"
#include "editor/Mainunit.h"
#include "ui/Guarded.h"

namespace {

struct FileKey {
    const char* keys;
    const char* name;
    void (TFormMain::*handler)();
};

// Spelt out rather than taken from the platform's standard keys, which give Save As no key on
// some desktops.
const FileKey kFileKeys[] = {
    {"Ctrl+N", "ShortcutNew", &TFormMain::SpeedButtonNewClick},
    {"Ctrl+O", "ShortcutOpen", &TFormMain::SpeedButtonOpenClick},
    {"Ctrl+S", "ShortcutSave", &TFormMain::SpeedButtonSaveClick},
    {"Ctrl+Shift+S", "ShortcutSaveAs", &TFormMain::SpeedButtonSaveAsClick},
};

}  // namespace

void InstallFileShortcuts(TFormMain& main) {
    for (const FileKey& key : kFileKeys) {
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(key.keys)), &main);
        shortcut->setObjectName(QString::fromLatin1(key.name));
        shortcut->setContext(Qt::WindowShortcut);
        const auto handler = key.handler;
        ui::connectGuarded(shortcut, &QShortcut::activated, &main,
                           [&main, handler] { (main.*handler)(); });
    }
}

void InstallCellShortcuts(TFormMain& main) {
    auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+G")), &main);
    shortcut->setObjectName(QStringLiteral("ShortcutImage"));
    shortcut->setContext(Qt::WindowShortcut);
    ui::connectGuarded(shortcut, &QShortcut::activated, &main,
                       [&main] { main.EditMenu()->InsertImage(main.FocusedCell()); });
}

void InstallCloseOnEscape(QWidget* window) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    shortcut->setObjectName(QStringLiteral("ShortcutClose"));
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
}
