#include <QApplication>

#include <chrono>
#include <memory>

#include "editor/AppWindows.h"
#include "hooks/BenchHook.h"
#include "page/PagePictures.h"
#include "platform/InstanceLock.h"
#include "platform/KeyStore.h"
#include "store/Settings.h"
#include "ui/ErrorBox.h"
#include "ui/JapaneseUi.h"
#include "ui/PictureSetIcon.h"
#include "ui/SystemPalette.h"

int main(int argc, char** argv) {
    // One instance unless the user allowed several; a refused start ends silently.
    quorvel::InstanceLock instanceLock;
    const std::unique_ptr<quorvel::KeyStore> settings = quorvel::DefaultKeyStore();
    const bool otherInstanceRunning = instanceLock.AlreadyExisted();
    if (otherInstanceRunning && !(settings && quorvel::ReadAllowMultiple(*settings))) return 0;

    QApplication app(argc, argv);
    ui::setUpJapaneseUi(app);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    // Ties the windows to the installed menu entry and gives every window the program's icon.
    QApplication::setDesktopFileName(QStringLiteral("example.merrow.Quorvel"));
    QApplication::setWindowIcon(
        ui::pictureSetIcon(QStringLiteral(":/app/%1x%1/apps/example.merrow.Quorvel.png"),
                           {16, 24, 32, 48, 64, 128, 256}));
    ui::UseDesktopPaletteForSystemColours();
    std::unique_ptr<TQuorvelWindows> windows;
    try {
        windows = std::make_unique<TQuorvelWindows>(settings.get(), otherInstanceRunning,
                                                    QApplication::arguments().mid(1));
        if (BenchHookWanted()) StartBenchHook(*windows->main);
        windows->Show();
    } catch (const std::exception& error) {
        ShowErrorBox(nullptr, QString::fromUtf8(error.what()));
        return 0;
    }
    const int status = QApplication::exec();
    instanceLock.Release();
    windows.reset();
    // Settings are written by now: a picture's decode still running is left behind.
    return quorvel::page::EndPictures(status, std::chrono::milliseconds(300));
}
