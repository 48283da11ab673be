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

// The sheet's form of a text box's text: LF becomes CR LF.
std::string boxTextToCell(const QString& boxText);
// A text box's form of a cell's text: CR LF becomes LF.
QString cellTextToBox(std::string_view cellText);

// True when code page 932 can hold the character (or it is one of our byte escapes).
bool sjisCanHold(char32_t ch);
// Bytes the text takes in a cell: double-byte characters and line breaks (CR LF) count two.
int cellByteLength(const QString& boxText);

}  // namespace ui
