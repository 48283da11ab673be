#include "ui/JapaneseUi.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QRawFont>
#include <QTranslator>

#ifdef QUORVEL_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace ui {

namespace {

constexpr int kUiPointSize = 9;

}  // namespace

bool installQtJapanese(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    // Qt's own folder, else "translations" beside the program (a static Windows build, where
    // Qt's folder is the one it was built in).
    const QStringList folders = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
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

QStringList familyNamesOf(const QString& family) {
    QStringList names;
    const QRawFont raw = QRawFont::fromFont(QFont(family));
    if (!raw.isValid()) return names;
    // The OpenType name table: a header of three 16-bit words, then 12-byte records.
    const QByteArray table = raw.fontTable("name");
    const auto word = [&table](qsizetype at) {
        return at + 2 <= table.size() ? (static_cast<unsigned char>(table[at]) << 8) |
                                            static_cast<unsigned char>(table[at + 1])
                                      : -1;
    };
    const int count = word(2);
    const int strings = word(4);
    for (int i = 0; i < count; ++i) {
        const qsizetype record = 6 + 12 * qsizetype(i);
        const int platform = word(record), encoding = word(record + 2), id = word(record + 6);
        const int length = word(record + 8), offset = word(record + 10);
        if ((id != 1 && id != 16) || length < 0 || offset < 0) continue;  // family names only
        const qsizetype start = strings + offset;
        if (start < 0 || start + length > table.size()) continue;
        const QByteArray bytes = table.mid(start, length);
        QString name;
        if (platform == 0 || platform == 3) {
            for (qsizetype at = 0; at + 1 < bytes.size(); at += 2)
                name += QChar(char16_t((static_cast<unsigned char>(bytes[at]) << 8) |
                                       static_cast<unsigned char>(bytes[at + 1])));
        } else if (platform == 1 && encoding == 0) {
            name = QString::fromLatin1(bytes);  // Macintosh Roman; only its ASCII names matter
        } else {
            continue;
        }
        if (!name.isEmpty() && !names.contains(name)) names << name;
    }
    return names;
}

namespace {

// Every name of each of `families`, in every language its face gives.
QList<QStringList> allNamesOf(const QStringList& families) {
    QList<QStringList> names(families.size());
#ifdef QUORVEL_HAVE_FONTCONFIG
    // fontconfig's cache holds the names already; opening each face for its name table cost a
    // tenth of a second at start where the large CJK collections are installed.
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* faces = FcFontList(nullptr, pattern, objects);
    for (int f = 0; faces && f < faces->nfont; ++f) {
        QStringList faceNames;
        FcChar8* value = nullptr;
        for (int n = 0; FcPatternGetString(faces->fonts[f], FC_FAMILY, n, &value) == FcResultMatch;
             ++n)
            faceNames << QString::fromUtf8(reinterpret_cast<const char*>(value));
        for (qsizetype i = 0; i < families.size(); ++i) {
            if (!faceNames.contains(families[i])) continue;
            for (const QString& name : faceNames)
                if (!names[i].contains(name)) names[i] << name;
        }
    }
    if (faces) FcFontSetDestroy(faces);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
#endif
    for (qsizetype i = 0; i < families.size(); ++i)
        if (names[i].isEmpty()) names[i] = familyNamesOf(families[i]);
    return names;
}

}  // namespace

// Only a face that is really there counts: fontconfig answers any name with some substitute.
// The database lists a face under one name in the user's language ("IPA Pゴシック" under a
// Japanese locale, "IPAPGothic" elsewhere), so a candidate may also be any of its other names.
QString firstInstalledFamily(const QStringList& candidates) {
    const QStringList installed = QFontDatabase::families();
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    QList<QStringList> names;  // read once, only when a candidate is not listed by that name
    // Candidate by candidate, under either name: a later candidate that happens to have one name
    // in every language must not win over an earlier one listed in the user's language.
    for (const QString& candidate : candidates) {
        for (const QString& family : installed)
            if (family.compare(candidate, Qt::CaseInsensitive) == 0) return family;
        if (names.isEmpty()) names = allNamesOf(japanese);
        for (qsizetype i = 0; i < japanese.size(); ++i)
            if (names[i].contains(candidate, Qt::CaseInsensitive)) return japanese[i];
    }
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
