#include "ui/SjisText.h"

#include <QDir>
#include <QFile>

#include <QList>

#include "platform/Sjis.h"

namespace ui {
namespace {

constexpr char32_t kByteEscape = 0xF700;

bool isByteEscape(char32_t ch) {
    return ch >= kByteEscape && ch <= kByteEscape + 0xFF;
}

// A text box's line breaks: a block break, a soft break, or LF in its plain text.
bool isBoxLineBreak(char16_t unit) {
    return unit == QChar::ParagraphSeparator || unit == QChar::LineSeparator || unit == u'\n';
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
    for (QChar unit : boxText) appendBoxUnit(out, unit.unicode());
    return out;
}

QString cellTextToBox(std::string_view cellText) {
    QString text = fromSjis(cellText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

int cellByteLength(QStringView boxText) {
    int length = 0;
    for (QChar unit : boxText) length += boxUnitBytes(unit.unicode());
    return length;
}

int boxUnitBytes(char16_t unit) {
    if (isBoxLineBreak(unit)) return 2;
    if (isByteEscape(unit)) return 1;
    return quorvel::sjis::EncodedLength(static_cast<char32_t>(unit));  // a surrogate gives 0
}

void appendBoxUnit(std::string& out, char16_t unit) {
    if (isBoxLineBreak(unit)) {
        out += "\r\n";
    } else if (isByteEscape(unit)) {
        out += static_cast<char>(unit - kByteEscape);
    } else {
        quorvel::sjis::AppendEncoded(out, static_cast<char32_t>(unit));
    }
}

int inputCharBytes(char32_t ch) {
    if (ch == U'\n') return 2;
    if (ch == U'\t') return 1;
    if (ch < 0x20 || ch == 0x7F) return 0;
    const bool privateUse = (ch >= 0xE000 && ch <= 0xF8FF) || ch >= 0xF0000;
    if (privateUse) return 0;
    return quorvel::sjis::EncodedLength(ch);
}

std::string nativePath(const QString& path) {
    // Qt writes "/" on Windows too; the system's own form is what messages show the seller.
    return QFile::encodeName(QDir::toNativeSeparators(path)).toStdString();
}

}  // namespace ui
