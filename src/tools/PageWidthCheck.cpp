#include "tools/PageWidthCheck.h"

#include <QGuiApplication>

#include "page/PageEngine.h"

std::optional<int> EnginePageWidth(const quorvel::TDescriptionSheet& sheet, int cssWidth) {
    // The fonts need a GUI application; a command-line tool never wants a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "qvltags";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    return quorvel::page::MeasurePageWidth(sheet, cssWidth);
}
