#include <QApplication>

#include <memory>

#include "editor/AppWindows.h"
#include "platform/InstanceLock.h"
#include "platform/KeyStore.h"
#include "store/Settings.h"
#include "ui/ErrorBox.h"
#include "ui/JapaneseUi.h"
#include "ui/SystemPalette.h"

int main(int argc, char** argv) {
    // One instance unless the user allowed several; a refused start ends silently.
    const quorvel::InstanceLock instanceLock;
    const std::unique_ptr<quorvel::KeyStore> settings = quorvel::DefaultKeyStore();
    const bool otherInstanceRunning = instanceLock.AlreadyExisted();
    if (otherInstanceRunning && !(settings && quorvel::ReadAllowMultiple(*settings))) return 0;

    QApplication app(argc, argv);
    ui::setUpJapaneseUi(app);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    ui::UseDesktopPaletteForSystemColours();
    std::unique_ptr<TQuorvelWindows> windows;
    try {
        windows = std::make_unique<TQuorvelWindows>(settings.get(), otherInstanceRunning,
                                                    QApplication::arguments().mid(1));
        windows->main->show();
    } catch (const std::exception& error) {
        ShowErrorBox(nullptr, QString::fromUtf8(error.what()));
        return 0;
    }
    return QApplication::exec();
}
