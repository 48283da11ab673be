#pragma once

#include <string>

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

}  // namespace bench
