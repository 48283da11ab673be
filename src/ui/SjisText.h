#pragma once

#include <QString>

#include <string>
#include <string_view>

// Code page 932 bytes to and from the text boxes' Unicode. Bytes with no Unicode form travel as
// private-use characters U+F700 + byte, so a loaded cell never loses a byte on its way through a
// text box and back.
namespace ui {

QString fromSjis(std::string_view bytes);
// Characters with no code page 932 form (none come in through the cells' input) become "?".
std::string toSjis(const QString& text);

// A file name as the core's file functions take it, with the system's separators: UTF-8 on
// every system (Windows' file calls get it as UTF-16, so any name the system allows is itself).
std::string nativePath(const QString& path);
// A file name the core gives back (a recovery copy's, say), as the system spells it.
QString pathFromNative(std::string_view path);

// The sheet's form of a text box's text: LF becomes CR LF; a character code page 932 cannot hold
// becomes its character reference; what no cell takes is left out.
std::string boxTextToCell(QStringView boxText);
// A text box's form of a cell's text: CR LF becomes LF, and a character reference to a character
// code page 932 cannot hold shows as that character.
QString cellTextToBox(std::string_view cellText);
// The same with the line breaks kept (CR LF): the text a copy hands on.
QString cellTextToUnicode(std::string_view cellText);
// The references in `text` (ASCII from outside, such as a paste) shown as their characters.
QString referencesAsCharacters(const QString& text);

// Bytes the text takes in a cell: double-byte characters and line breaks (CR LF) count two, a
// character shown for a reference counts the reference's bytes.
int cellByteLength(QStringView boxText);

// The cell's bytes of one character of a text box's own text, where a block break is U+2029 and
// a soft line break U+2028 (both CR LF in the cell): counting and appending always agree, and
// what no cell takes (a lone surrogate) takes no byte.
int boxCharBytes(char32_t ch);
void appendBoxChar(std::string& out, char32_t ch);
// The box's text character by character: a surrogate pair is one character, a lone surrogate
// is passed on as it is. `visit(ch, units)`.
template <typename Visit>
void forEachBoxChar(QStringView text, Visit visit) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(unit, text[i + 1]), 2);
            ++i;
        } else {
            visit(static_cast<char32_t>(unit.unicode()), 1);
        }
    }
}

// The character a character from outside the sheet (typed, pasted, dropped, an input method's
// commit) enters a cell as: the code page 932 form of a Shift_JIS character, else itself.
char32_t inputCharForm(char32_t ch);
// Bytes that character takes in a cell, or 0 when it may not enter: NUL, control characters
// other than LF and TAB, DEL, private-use characters (only a loaded cell's bytes travel as those)
// and noncharacters. A character code page 932 cannot hold counts its reference's bytes; LF
// counts two, for CR LF.
int inputCharBytes(char32_t ch);

}  // namespace ui
