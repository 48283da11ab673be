#include "sheet/ListingCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Sjis.h"
#include "sheet/MarketRules.h"

namespace quorvel {
namespace {

std::string FullWidthNumber(int n) {
    static constexpr const char* kWide[] = {"０", "１", "２", "３", "４",
                                            "５", "６", "７", "８", "９"};
    std::string out;
    if (n >= 10) out += kWide[n / 10];
    out += kWide[n % 10];
    return out;
}

// Characters in code page 932 text, eight ASCII bytes at a time: the tag text is mostly ASCII.
std::size_t CharCount(std::string_view cp932) {
    const std::size_t n = cp932.size();
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, cp932.data() + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                count += 8;
                continue;
            }
        }
        i += sjis::CharLength(cp932, i);
        ++count;
    }
    return count;
}

}  // namespace

CheckFinding CellFinding(CheckKind kind, int tag, std::string_view cellText, std::size_t start,
                         std::size_t end, std::string message) {
    CheckFinding finding;
    finding.kind = kind;
    finding.tag = tag;
    finding.offset = start;
    finding.length = end - start;
    finding.message = std::move(message);
    constexpr std::size_t kMaxBytes = 48;
    std::size_t cut = start;
    while (cut < end && cut - start < kMaxBytes) cut += sjis::CharLength(cellText, cut);
    cut = std::min(cut, end);
    std::string excerpt(cellText.substr(start, cut - start));
    std::replace(excerpt.begin(), excerpt.end(), '\r', ' ');
    excerpt.erase(std::remove(excerpt.begin(), excerpt.end(), '\n'), excerpt.end());
    finding.text = sjis::ToUtf8(excerpt);
    if (cut < end) finding.text += "…";
    return finding;
}

namespace {

void AddPageFinding(std::vector<CheckFinding>& out, CheckKind kind, std::string message) {
    CheckFinding finding;
    finding.kind = kind;
    finding.tag = kWholePage;
    finding.message = std::move(message);
    out.push_back(std::move(finding));
}

void CheckSizes(const TSheetCell& cell, std::vector<CheckFinding>& out) {
    const std::size_t limit = kCellMaxInputBytes;
    if (cell.Text.size() <= limit) return;
    CheckFinding finding;
    finding.kind = CheckKind::Size;
    finding.tag = cell.Tag;
    finding.offset = limit;
    finding.length = cell.Text.size() - limit;
    finding.message = "セルが " + std::to_string(cell.Text.size()) + " バイトあり、上限 " +
                      std::to_string(limit) + " バイトを超えています";
    out.push_back(std::move(finding));
}

// A laid-out figure is worth more than the estimate: it replaces the estimated widths, so every
// view of the check gives the one number; a cell whose line the estimate found too wide keeps its
// place in the list with the page's figure, and the page is reported when no cell explains it.
void ApplyMeasuredWidth(std::vector<CheckFinding>& findings, const CheckOptions& options) {
    if (!options.measuredPageWidth) return;
    const int measured = *options.measuredPageWidth;
    const auto isWidth = [](const CheckFinding& f) { return f.kind == CheckKind::PhoneWidth; };
    if (measured <= options.phoneWidth) {
        findings.erase(std::remove_if(findings.begin(), findings.end(), isWidth), findings.end());
        return;
    }
    const std::string figure = "ページの幅が " + std::to_string(measured) +
                               " px になり、スマホの幅 " + std::to_string(options.phoneWidth) +
                               " px からはみ出します（" +
                               std::to_string(measured - options.phoneWidth) + " px）";
    if (const auto& wide = options.measuredWideCells) {
        const auto inside = [&](const CheckFinding& f) {
            return isWidth(f) && f.tag != kWholePage &&
                   std::find(wide->begin(), wide->end(), f.tag) == wide->end();
        };
        findings.erase(std::remove_if(findings.begin(), findings.end(), inside), findings.end());
    }
    bool explained = false;
    for (CheckFinding& finding : findings) {
        if (!isWidth(finding)) continue;
        explained = true;
        if (finding.message.find("約 ") != std::string::npos) finding.message = figure;
    }
    if (!explained) AddPageFinding(findings, CheckKind::PhoneWidth, figure);
}

// A picture the width could not count, told at the first included cell that names its address
// (in the cells' order, before the page's findings), else about the page.
void AddPictureFinding(const TDescriptionSheet& sheet, const std::string& url,
                       std::vector<CheckFinding>& findings) {
    CheckFinding finding;
    finding.kind = CheckKind::PhoneWidth;
    finding.tag = kWholePage;
    finding.message = "読み込めない画像があり、横幅にはその大きさが入っていません";
    finding.text = url;
    const auto bytes = sjis::FromUtf8(url);
    for (int i = 0; bytes.ok() && !bytes.bytes.empty() && i < kCellCount; ++i) {
        const TSheetCell& cell = sheet.CellAt(i);
        if (!sheet.IncludedByTag(cell.Tag)) continue;
        const std::size_t at = cell.Text.find(bytes.bytes);
        if (at == std::string::npos) continue;
        finding.tag = cell.Tag;
        finding.offset = at;
        finding.length = bytes.bytes.size();
        break;
    }
    // Cell findings come in the cells' order, each cell's by its text, the page's last.
    const auto after = std::find_if(findings.begin(), findings.end(), [&](const CheckFinding& f) {
        if (finding.tag == kWholePage) return false;
        if (f.tag == kWholePage || f.tag == kFooterTag) return true;
        return f.tag > finding.tag || (f.tag == finding.tag && f.offset > finding.offset);
    });
    findings.insert(after, std::move(finding));
}

}  // namespace

ListingCheckResult CheckListing(const TDescriptionSheet& sheet, std::string_view tags,
                                const CheckOptions& options) {
    ListingCheckResult result;
    std::vector<CheckFinding>& findings = result.findings;
    for (int i = 0; i < kCellCount; ++i) {
        const TSheetCell& cell = sheet.CellAt(i);
        // An excluded cell is not on the page, so nothing in it reaches the buyer.
        if (!sheet.IncludedByTag(cell.Tag)) continue;
        const std::size_t first = findings.size();
        CheckCell(cell, sheet.Style, options.phoneWidth, findings);
        CheckSizes(cell, findings);
        std::stable_sort(
            findings.begin() + static_cast<std::ptrdiff_t>(first), findings.end(),
            [](const CheckFinding& a, const CheckFinding& b) { return a.offset < b.offset; });
    }
    ApplyMeasuredWidth(findings, options);
    result.bytes = tags.size();
    result.chars = CharCount(tags);
    if (result.chars > options.maxChars) {
        AddPageFinding(findings, CheckKind::Size,
                       "タグが " + std::to_string(result.chars) + " 文字（" +
                           std::to_string(result.bytes) + " バイト）あり、上限 " +
                           std::to_string(options.maxChars) + " 文字を超えています");
    }
    result.market = options.market;
    if (options.market != CheckMarket::Generic)
        AddMarketFindings(sheet, result.chars, options.market, findings);
    for (const std::string& url : options.unloadedPictures) AddPictureFinding(sheet, url, findings);
    const auto beyond = [&](int count, const std::string& bound) {
        if (count <= 0) return;
        AddPageFinding(findings, CheckKind::PhoneWidth,
                       "画像が" + bound + "を超え、" + std::to_string(count) +
                           " 枚を読み込んでいません。横幅にはその大きさが入っていません");
        findings.back().text = options.firstPictureBeyond;
    };
    beyond(options.picturesBeyondCount, " " + std::to_string(kPicturesKept) + " 枚");
    beyond(options.picturesBeyondBytes,
           "合わせて " + std::to_string(kPictureMegabytesKept) + " MB ");
    return result;
}

std::string CellCaption(int tag) {
    if (tag == kTitleTag) return "タイトル";
    if (tag == kNoteTag) return "枠外注記";
    if (tag == kFooterTag) return "フッター";
    if (IsRowCellTag(tag)) {
        const int row = (tag - kTitleTag + 1) / 2;
        return ((tag - kTitleTag) % 2 ? "項目" : "説明") + FullWidthNumber(row);
    }
    return "ページ全体";
}

const char* CheckKindName(CheckKind kind) {
    switch (kind) {
        case CheckKind::Markup:
            return "タグ";
        case CheckKind::ActiveContent:
            return "動的内容";
        case CheckKind::Address:
            return "アドレス";
        case CheckKind::Size:
            return "サイズ";
        case CheckKind::PhoneWidth:
            return "スマホ幅";
    }
    return "";
}

std::string CheckSummary(const ListingCheckResult& result) {
    if (result.findings.empty()) return "問題なし";
    return "注意 " + std::to_string(result.findings.size()) + " 件";
}

std::string FindingLine(const CheckFinding& finding) {
    std::string line = CellCaption(finding.tag) + ": " + finding.message;
    if (!finding.text.empty()) line += "「" + finding.text + "」";
    return line;
}

}  // namespace quorvel
