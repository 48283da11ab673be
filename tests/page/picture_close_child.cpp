// Ends as the editor ends while its pictures are at work: started by picture_tests with the
// addresses to fetch, it asks for the first, then, once its decode is under way (with
// QUORVEL_TEST_DECODE_STALL one never ends), for the others, and quits its event loop when the
// file named by the marker and ".quit" appears.
#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "page/PagePictures.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    auto* store = quorvel::page::PagePictures::Ensure();
    store->SetFetchDelay(0);
    const auto ask = [store](const std::vector<std::string>& page) {
        for (const std::string& url : page) store->Want(QString::fromStdString(url));
        store->PageNeeds(page);
    };
    ask({argv[1]});
    const QString marker = qEnvironmentVariable(quorvel::page::PagePictures::kStallDecodesVariable);
    bool asked = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!asked && QFile::exists(marker)) {
            asked = true;
            ask(std::vector<std::string>(argv + 1, argv + argc));
            std::puts("asked");
            std::fflush(stdout);
        }
        if (!QFile::exists(marker + QStringLiteral(".quit"))) return;
        std::puts("closing");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    watch.start(5);
    const int status = QGuiApplication::exec();
    return quorvel::page::EndPictures(status, std::chrono::milliseconds(300));
}
