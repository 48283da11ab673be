// File names between the system's spelling, messages (UTF-8) and sheet text (code page 932).
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "TestUtil.h"
#include "platform/FileNames.h"
#include "store/FileError.h"

using namespace quorvel;

namespace {

// How the system spells a name given in UTF-8; nothing when its code page cannot.
std::optional<std::string> SystemSpelling(const std::string& utf8) {
#ifdef _WIN32
    wchar_t wide[256] = {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide, 255);
    char narrow[1024] = {};
    BOOL lossy = FALSE;
    const bool utf8System = GetACP() == CP_UTF8;
    const int size =
        WideCharToMultiByte(CP_ACP, utf8System ? 0 : WC_NO_BEST_FIT_CHARS, wide, length, narrow,
                            sizeof narrow, nullptr, utf8System ? nullptr : &lossy);
    if (size <= 0 || lossy) return std::nullopt;
    return std::string(narrow, static_cast<std::size_t>(size));
#else
    return utf8;
#endif
}

}  // namespace

TEST(FileNames, MessagesShowTheNameInUtf8) {
    for (const std::string utf8 : {"C:/出品/カメラ.qvl", "D:/Café/a.qvl", "/plain/name.qvl"}) {
        const auto spelled = SystemSpelling(utf8);
        if (!spelled) continue;  // this code page has no such name
        EXPECT_EQ(filenames::ToUtf8(*spelled), utf8);
        EXPECT_EQ(CannotOpenError(*spelled, "c").message, "ファイル " + utf8 + " は開けません");
        EXPECT_EQ(CannotCreateError(*spelled, "c").message,
                  "ファイル " + utf8 + " を作成できません");
    }
    EXPECT_EQ(filenames::ToUtf8(""), "");
}

TEST(FileNames, SheetTextBecomesAFileNameOnlyWhenSpelledExactly) {
    for (const std::string utf8 : {"品番①.html", "abc.html", "ａ＼ｂ.html", "ﾃﾚﾋﾞ.qvl"}) {
        SCOPED_TRACE(utf8);
        // Look-alikes do not count: a full-width backslash must never become a separator.
        EXPECT_EQ(filenames::FromSjis(Sj(utf8)), SystemSpelling(utf8));
    }
#ifdef _WIN32
    // A byte pair code page 932 has no character for names nothing.
    EXPECT_EQ(filenames::FromSjis("\x85\x40.html"), std::nullopt);
#endif
}
