#include "ui/JapaneseUi.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace ui {

namespace {

constexpr int kUiPointSize = 9;

}  // namespace

bool installQtJapanese(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    // Qt's own folder, else "translations" beside the program (a static Windows build, where
    // Qt's folder is the one it was built in).
    const QStringList folders = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                 QCoreApplication::applicationDirPath() +
                                     QStringLiteral("/translations")};
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_ja"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

QStringList japaneseUiFamilyCandidates() {
    return {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
            QStringLiteral("IPAPGothic"),      QStringLiteral("Noto Sans CJK JP"),
            QStringLiteral("VL PGothic"),      QStringLiteral("TakaoPGothic"),
            QStringLiteral("IPAexGothic"),     QStringLiteral("Source Han Sans JP")};
}

// Only a face that is really there counts: fontconfig answers any name with some substitute.
QString firstInstalledFamily(const QStringList& candidates) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& candidate : candidates)
        if (installed.contains(candidate, Qt::CaseInsensitive)) return candidate;
    return QString();
}

QString japaneseUiFamily() {
    // The installed faces do not change while the program runs; every window asks at start.
    static const QString family = firstInstalledFamily(japaneseUiFamilyCandidates());
    return family.isEmpty() ? QApplication::font().family() : family;
}

QString japaneseFixedFamily() {
    static const QString family =
        firstInstalledFamily({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                              QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                              QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic")});
    return family.isEmpty() ? japaneseUiFamily() : family;
}

void useJapaneseUiFont() {
    QFont font(japaneseUiFamily());
    font.setPointSize(kUiPointSize);
    QApplication::setFont(font);
}

void setUpJapaneseUi(QCoreApplication& app) {
    installQtJapanese(app);
    useJapaneseUiFont();
}

}  // namespace ui
