#include "page/EmojiRuns.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quorvel::page {
namespace {

constexpr char32_t kTextSelector = 0xFE0E;
constexpr char32_t kEmojiSelector = 0xFE0F;
constexpr char32_t kJoiner = 0x200D;
constexpr char32_t kKeycap = 0x20E3;

// The characters below U+1F000 shown as pictures by default (Emoji_Presentation).
constexpr std::array<std::pair<char32_t, char32_t>, 33> kPictureByDefault = {{
    {0x231A, 0x231B}, {0x23E9, 0x23EC}, {0x23F0, 0x23F0}, {0x23F3, 0x23F3}, {0x25FD, 0x25FE},
    {0x2614, 0x2615}, {0x2648, 0x2653}, {0x267F, 0x267F}, {0x2693, 0x2693}, {0x26A1, 0x26A1},
    {0x26AA, 0x26AB}, {0x26BD, 0x26BE}, {0x26C4, 0x26C5}, {0x26CE, 0x26CE}, {0x26D4, 0x26D4},
    {0x26EA, 0x26EA}, {0x26F2, 0x26F3}, {0x26F5, 0x26F5}, {0x26FA, 0x26FA}, {0x26FD, 0x26FD},
    {0x2705, 0x2705}, {0x270A, 0x270B}, {0x2728, 0x2728}, {0x274C, 0x274C}, {0x274E, 0x274E},
    {0x2753, 0x2755}, {0x2757, 0x2757}, {0x2795, 0x2797}, {0x27B0, 0x27B0}, {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C}, {0x2B50, 0x2B50}, {0x2B55, 0x2B55},
}};

bool PictureByDefault(char32_t c) {
    // The emoji planes: pictographs, emoticons, transport, flags' letters and the rest.
    if (c >= 0x1F000 && c <= 0x1FAFF) return true;
    return std::any_of(kPictureByDefault.begin(), kPictureByDefault.end(),
                       [c](const auto& range) { return c >= range.first && c <= range.second; });
}

// What may follow inside one emoji: selectors, skin tones, the keycap, tag characters.
bool Continues(char32_t c) {
    return c == kEmojiSelector || c == kKeycap || (c >= 0x1F3FB && c <= 0x1F3FF) ||
           (c >= 0xE0020 && c <= 0xE007F);
}

}  // namespace

void ForEachEmojiRun(const QString& text,
                     const std::function<void(QStringView run, bool emoji)>& run) {
    const QList<uint> codes = text.toUcs4();
    qsizetype start = 0;  // in UTF-16 units
    qsizetype at = 0;
    bool inEmoji = false;
    const auto unitsOf = [](char32_t c) { return c > 0xFFFF ? 2 : 1; };
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const char32_t c = codes[i];
        const char32_t next = i + 1 < codes.size() ? codes[i + 1] : 0;
        bool emoji;
        if (inEmoji && (Continues(c) || c == kJoiner)) {
            emoji = true;
        } else if (inEmoji && i > 0 && codes[i - 1] == kJoiner) {
            emoji = true;  // the character a joiner adds to the sequence
        } else {
            emoji = next != kTextSelector && (PictureByDefault(c) || next == kEmojiSelector);
        }
        if (emoji != inEmoji && at > start) {
            run(QStringView(text).mid(start, at - start), inEmoji);
            start = at;
        }
        inEmoji = emoji;
        at += unitsOf(c);
    }
    if (at > start) run(QStringView(text).mid(start, at - start), inEmoji);
}

}  // namespace quorvel::page
