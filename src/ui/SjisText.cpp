#include "ui/SjisText.h"

#include <QDir>
#include <QFile>

#include <QList>

#include "platform/Sjis.h"
#include "sheet/CellCharacters.h"

namespace ui {
namespace {

constexpr char32_t kByteEscape = 0xF700;

bool isByteEscape(char32_t ch) {
    return ch >= kByteEscape && ch <= kByteEscape + 0xFF;
}

// A text box's line breaks: a block break, a soft break, or LF in its plain text.
bool isBoxLineBreak(char32_t ch) {
    return ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator || ch == U'\n';
}

}  // namespace

QString fromSjis(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = quorvel::sjis::IsLeadByte(lead) && i + 1 < bytes.size() ? 2 : 1;
        if (lead < 0x80) {
            out += QChar(lead);
            i += 1;
            continue;
        }
        const std::string utf8 = quorvel::sjis::ToUtf8(bytes.substr(i, length));
        const QString decoded = QString::fromUtf8(utf8);
        if (decoded.size() == 1 && decoded[0] == QChar(0xFFFD)) {
            for (std::size_t k = 0; k < length; ++k)
                out += QChar(
                    static_cast<char16_t>(kByteEscape + static_cast<unsigned char>(bytes[i + k])));
        } else {
            out += decoded;
        }
        i += length;
    }
    return out;
}

std::string toSjis(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()) * 2);
    for (char32_t ch : text.toUcs4()) {
        if (isByteEscape(ch)) {
            out += static_cast<char>(ch - kByteEscape);
        } else if (auto bytes = quorvel::sjis::EncodeChar(ch)) {
            out += *bytes;
        } else {
            out += '?';
        }
    }
    return out;
}

std::string boxTextToCell(QStringView boxText) {
    std::string out;
    out.reserve(static_cast<std::size_t>(boxText.size()) * 2);
    forEachBoxChar(boxText, [&out](char32_t ch, int) { appendBoxChar(out, ch); });
    return out;
}

QString cellTextToUnicode(std::string_view cellText) {
    QString text;
    quorvel::cellchars::ForEachRun(
        cellText, [&text](std::string_view run) { text += fromSjis(run); },
        [&text](char32_t ch) { text += QString::fromUcs4(&ch, 1); });
    return text;
}

QString cellTextToBox(std::string_view cellText) {
    QString text = cellTextToUnicode(cellText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString referencesAsCharacters(const QString& text) {
    if (!text.contains(QLatin1String("&#"))) return text;
    // References are ASCII: the text around them goes through unchanged.
    QString out;
    qsizetype plainStart = 0;
    for (qsizetype at = text.indexOf(QLatin1String("&#")); at >= 0;
         at = text.indexOf(QLatin1String("&#"), at + 1)) {
        if (at < plainStart) continue;
        const std::string ascii = text.mid(at, 12).toLatin1().toStdString();
        std::size_t length = 0;
        const auto ch = quorvel::cellchars::ReadReference(ascii, 0, length);
        if (!ch) continue;
        out += QStringView(text).mid(plainStart, at - plainStart);
        out += QString::fromUcs4(&*ch, 1);
        plainStart = at + static_cast<qsizetype>(length);
    }
    out += QStringView(text).mid(plainStart);
    return out;
}

int cellByteLength(QStringView boxText) {
    int length = 0;
    forEachBoxChar(boxText, [&length](char32_t ch, int) { length += boxCharBytes(ch); });
    return length;
}

int boxCharBytes(char32_t ch) {
    if (isBoxLineBreak(ch)) return 2;
    if (ch < 0x80 || isByteEscape(ch)) return 1;
    ch = quorvel::cellchars::Cp932Form(ch);
    if (const int bytes = quorvel::sjis::EncodedLength(ch)) return bytes;
    if (quorvel::cellchars::EntersAsReference(ch))
        return static_cast<int>(quorvel::cellchars::ReferenceLength(ch));
    return 0;
}

void appendBoxChar(std::string& out, char32_t ch) {
    if (isBoxLineBreak(ch)) {
        out += "\r\n";
    } else if (isByteEscape(ch)) {
        out += static_cast<char>(ch - kByteEscape);
    } else if (ch = quorvel::cellchars::Cp932Form(ch); !quorvel::sjis::AppendEncoded(out, ch) &&
                                                       quorvel::cellchars::EntersAsReference(ch)) {
        quorvel::cellchars::AppendReference(out, ch);
    }
}

char32_t inputCharForm(char32_t ch) {
    return quorvel::cellchars::Cp932Form(ch);
}

int inputCharBytes(char32_t ch) {
    if (ch == U'\n') return 2;
    if (ch == U'\t') return 1;
    if (ch < 0x20 || ch == 0x7F) return 0;
    const bool privateUse = (ch >= 0xE000 && ch <= 0xF8FF) || ch >= 0xF0000;
    if (privateUse) return 0;
    ch = inputCharForm(ch);
    if (const int bytes = quorvel::sjis::EncodedLength(ch)) return bytes;
    if (quorvel::cellchars::EntersAsReference(ch))
        return static_cast<int>(quorvel::cellchars::ReferenceLength(ch));
    return 0;
}

std::string nativePath(const QString& path) {
    // Qt writes "/" on Windows too; the system's own form is what messages show the seller.
    const QString native = QDir::toNativeSeparators(path);
#ifdef _WIN32
    return native.toUtf8().toStdString();
#else
    return QFile::encodeName(native).toStdString();
#endif
}

QString pathFromNative(std::string_view path) {
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
#ifdef _WIN32
    // A recovery copy of an earlier release names its file in the ANSI code page.
    const QString utf8 = QString::fromUtf8(bytes);
    if (!utf8.contains(QChar::ReplacementCharacter) || bytes.contains("\xEF\xBF\xBD")) return utf8;
    return QString::fromLocal8Bit(bytes);
#else
    return QFile::decodeName(bytes);
#endif
}

}  // namespace ui
