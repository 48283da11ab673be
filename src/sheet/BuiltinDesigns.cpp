#include "sheet/BuiltinDesigns.h"

#include <iterator>

#include "platform/Sjis.h"

namespace quorvel {

namespace {

constexpr TColor Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

constexpr TColor kWhite = Rgb(0xFF, 0xFF, 0xFF);
constexpr TColor kBlack = Rgb(0x00, 0x00, 0x00);
// Dark enough for white text on it, and for it as text on white (4.5:1); the sunset's bright
// orange stays in the border.
constexpr TColor kDeepOrange = Rgb(0xBA, 0x5A, 0x10);

// One cell's look in a table row: colours, size, style and alignment.
struct Look {
    TColor font;
    int size;
    bool bold, italic, underline;
    TColor back;
    int hAlign;
    int vAlign;

    TCellFormat Format() const {
        return {font, size, bold, italic, underline, back, hAlign, vAlign};
    }
};

// A design as its four parts: every item cell looks alike, and so does every description.
struct DesignRow {
    const char* name;
    TTableStyle style;
    Look title, item, description, note;
};

constexpr int L = kHAlignLeft, R = kHAlignRight, C = kHAlignCenter;
constexpr int Top = kVAlignTop, Mid = kVAlignCenter;
// The note is written outside the table: its ground stays white and its cell top-aligned.
const DesignRow kDesigns[] = {
    {"濃紺の見出し帯",
     {kAlignCenter, 1, Rgb(0x1F, 0x2F, 0x5F), true, 4, kAlignLeft},
     {kWhite, 12, true, false, false, Rgb(0x1F, 0x2F, 0x5F), C, Mid},
     {Rgb(0x1F, 0x2F, 0x5F), 9, true, false, false, Rgb(0xE8, 0xEE, 0xF7), L, Mid},
     {kBlack, 9, false, false, false, kWhite, L, Top},
     {Rgb(0x1F, 0x2F, 0x5F), 9, false, false, false, kWhite, L, Top}},
    {"薄色の項目列",
     {kAlignCenter, 1, Rgb(0xC8, 0xB8, 0x96), true, 3, kAlignLeft},
     {Rgb(0x4A, 0x3B, 0x22), 12, true, false, false, Rgb(0xFF, 0xFB, 0xF0), L, Mid},
     {Rgb(0x4A, 0x3B, 0x22), 9, true, false, false, Rgb(0xF5, 0xEB, 0xD3), C, Mid},
     {kBlack, 9, false, false, false, kWhite, L, Top},
     {Rgb(0x66, 0x66, 0x66), 8, false, false, false, kWhite, L, Top}},
    {"枠なしすっきり",
     {kAlignLeft, 0, kBlack, false, 2, kAlignLeft},
     {Rgb(0x22, 0x22, 0x22), 12, true, false, true, kWhite, L, Top},
     {Rgb(0x55, 0x55, 0x55), 9, true, false, false, kWhite, R, Top},
     {Rgb(0x22, 0x22, 0x22), 9, false, false, false, kWhite, L, Top},
     {Rgb(0x75, 0x75, 0x75), 8, false, true, false, kWhite, L, Top}},
    {"大きな見出し",
     {kAlignCenter, 1, Rgb(0xCC, 0xCC, 0xCC), true, 2, kAlignCenter},
     {Rgb(0xB0, 0x1E, 0x1E), 14, true, false, false, kWhite, C, Mid},
     {kBlack, 9, true, false, false, Rgb(0xF2, 0xF2, 0xF2), L, Top},
     {kBlack, 9, false, false, false, kWhite, L, Top},
     {Rgb(0xB0, 0x1E, 0x1E), 9, true, false, false, kWhite, C, Top}},
    {"桜色",
     {kAlignCenter, 2, Rgb(0xF4, 0xA7, 0xB9), true, 3, kAlignCenter},
     {Rgb(0x8E, 0x24, 0x4B), 12, true, false, false, Rgb(0xFD, 0xE3, 0xEA), C, Mid},
     {Rgb(0x8E, 0x24, 0x4B), 9, false, false, false, Rgb(0xFF, 0xF0, 0xF4), C, Mid},
     {Rgb(0x33, 0x33, 0x33), 9, false, false, false, kWhite, L, Top},
     {Rgb(0x8E, 0x24, 0x4B), 9, false, false, false, kWhite, C, Top}},
    {"若葉",
     {kAlignCenter, 1, Rgb(0x2E, 0x7D, 0x32), true, 4, kAlignRight},
     {kWhite, 12, true, false, false, Rgb(0x2E, 0x7D, 0x32), L, Mid},
     {Rgb(0x1B, 0x5E, 0x20), 9, true, false, false, Rgb(0xE8, 0xF5, 0xE9), L, Mid},
     {kBlack, 9, false, false, false, kWhite, L, Mid},
     {Rgb(0x1B, 0x5E, 0x20), 9, false, false, false, kWhite, L, Top}},
    {"モノトーン",
     {kAlignCenter, 2, kBlack, true, 3, kAlignCenter},
     {kWhite, 12, true, false, false, kBlack, C, Mid},
     {kWhite, 9, true, false, false, Rgb(0x55, 0x55, 0x55), C, Mid},
     {kBlack, 9, false, false, false, kWhite, L, Top},
     {kBlack, 8, false, false, false, kWhite, L, Top}},
    {"夕焼けオレンジ",
     {kAlignCenter, 1, Rgb(0xE6, 0x7E, 0x22), true, 2, kAlignLeft},
     {kWhite, 12, true, true, false, kDeepOrange, C, Mid},
     {Rgb(0x7A, 0x3E, 0x00), 9, true, false, false, Rgb(0xFF, 0xF3, 0xE0), L, Top},
     {Rgb(0x33, 0x33, 0x33), 9, false, false, false, kWhite, L, Top},
     {kDeepOrange, 9, true, false, false, kWhite, R, Top}},
};

Design Expand(const DesignRow& row) {
    Design design;
    design.Style = row.style;
    design.Formats[0] = row.title.Format();
    for (int r = 1; r <= kRowCount; ++r) {
        design.Formats[ItemTag(r) - kTitleTag] = row.item.Format();
        design.Formats[DescriptionTag(r) - kTitleTag] = row.description.Format();
    }
    design.Formats[kNoteTag - kTitleTag] = row.note.Format();
    return design;
}

std::string Cp932(const char* utf8) {
    return sjis::FromUtf8(utf8).bytes;
}

}  // namespace

const std::vector<NamedDesign>& BuiltinDesigns() {
    static const std::vector<NamedDesign> designs = [] {
        std::vector<NamedDesign> out;
        for (const DesignRow& row : kDesigns) out.push_back({row.name, Expand(row)});
        return out;
    }();
    return designs;
}

TDescriptionSheet SampleListing() {
    static const char* const kRows[][2] = {
        {"商品名", "ヴィンテージ自動巻き腕時計"},
        {"状態", "目立つ傷はなく、動作確認済みです。\r\n裏蓋に小さな擦れがあります。"},
        {"付属品", "箱、保証書、予備のベルト"},
        {"発送", "ゆうパック（元払い）で\r\n三日以内に発送します。"},
        {"お支払い", "落札後三日以内にお願いします。"},
    };
    constexpr int kSampleRows = static_cast<int>(std::size(kRows));
    TDescriptionSheet sheet;
    sheet.Title.Text = Cp932("腕時計のご紹介");
    for (int row = 1; row <= kRowCount; ++row) {
        TSheetRow& cells = sheet.Rows[row - 1];
        const bool filled = row <= kSampleRows;
        cells.IncludeItem = cells.IncludeDescription = filled;
        if (!filled) continue;
        cells.Item.Text = Cp932(kRows[row - 1][0]);
        cells.Description.Text = Cp932(kRows[row - 1][1]);
    }
    sheet.Note.Text = Cp932("ご質問はお気軽にどうぞ。");
    return sheet;
}

}  // namespace quorvel
