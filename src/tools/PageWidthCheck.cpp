#include "tools/PageWidthCheck.h"

#include <QGuiApplication>

#include "page/PageEngine.h"

void MeasureWithEngine(const quorvel::TDescriptionSheet& sheet, quorvel::CheckOptions& options) {
    // The fonts need a GUI application; a command-line tool never wants a display, nor Qt's
    // notes about the session on its error output.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "qvltags";
    static char* argv[] = {name, nullptr};
    {
        QGuiApplication app(argc, argv);
        quorvel::page::PageLayout layout;
        layout.LayoutSheet(sheet, options.phoneWidth);
        options.measuredPageWidth = layout.PageWidth();
        options.measuredWideCells = quorvel::page::WideCells(layout);
    }
    qInstallMessageHandler(previous);
}
