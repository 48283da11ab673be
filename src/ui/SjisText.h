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

// A file name as the bytes the system's file calls take.
std::string nativePath(const QString& path);

// The sheet's form of a text box's text: LF becomes CR LF; what code page 932 cannot hold is
// left out.
std::string boxTextToCell(QStringView boxText);
// A text box's form of a cell's text: CR LF becomes LF.
QString cellTextToBox(std::string_view cellText);

// Bytes the text takes in a cell: double-byte characters and line breaks (CR LF) count two.
int cellByteLength(QStringView boxText);

// The cell's bytes of one UTF-16 unit of a text box's own text, where a block break is U+2029
// and a soft line break U+2028 (both CR LF in the cell): counting and appending always agree,
// and what code page 932 cannot hold takes no byte (it never reaches the sheet as "?").
int boxUnitBytes(char16_t unit);
void appendBoxUnit(std::string& out, char16_t unit);

// Bytes a character from outside the sheet (typed, pasted, dropped, an input method's commit)
// takes in a cell, or 0 when it may not enter: NUL, control characters other than LF and TAB,
// DEL, private-use characters (only a loaded cell's bytes travel as those) and characters code
// page 932 cannot hold. LF counts two, for CR LF.
int inputCharBytes(char32_t ch);

}  // namespace ui
