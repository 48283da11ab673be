#pragma once

#include <string>

#include "platform/Sjis.h"
#include "sheet/DescriptionSheet.h"

namespace bench {

// Every cell full: 1000 bytes of Japanese and ASCII in short lines, alternate cells bold.
inline quorvel::TDescriptionSheet FullSheet() {
    quorvel::TDescriptionSheet sheet;
    for (int i = 0; i < quorvel::kCellCount; ++i) {
        std::string text;
        while (text.size() < 990) text += "\x83J\x83\x81\x83\x89 line\r\n";  // "カメラ"
        sheet.CellAt(i).Text = text.substr(0, 1000);
        sheet.CellAt(i).Format.Bold = i % 2;
    }
    return sheet;
}

// About `bytes` code page 932 bytes of listing text (kanji, kana, half-width kana, ASCII, CR LF),
// never ending inside a character or a line break.
inline std::string CellBytes(std::size_t bytes) {
    // "デジタルカメラ 型番 X-10 ｶﾒﾗ" and CR LF
    const std::string line =
        "\x83\x66\x83\x57\x83\x5E\x83\x8B\x83\x4A\x83\x81\x83\x89 \x8C\x5E\x94\xD4 X-10 "
        "\xB6\xD2\xD7\r\n";
    std::string text;
    while (text.size() < bytes) text += line;
    text.resize(bytes);
    while (!text.empty() && (text.back() == '\r' ||
                             quorvel::sjis::IsLeadByte(static_cast<unsigned char>(text.back()))))
        text.pop_back();
    return text;
}

}  // namespace bench
