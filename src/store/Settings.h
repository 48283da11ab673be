#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/KeyStore.h"
#include "sheet/ListingCheck.h"

// The remembered window geometry, row layout, toolbar toggles, link dialog texts and recently used
// files, stored as values of the configuration key. "ParamExist" marks a key the program has
// written: without it nothing else is read.
namespace quorvel {

constexpr int kSettingsRowCount = 10;
// "RecentFile1" (the newest) ... "RecentFile8".
constexpr int kRecentFileCount = 8;
// The listing check's size limit and the phone width last shown.
constexpr int kCheckValueCount = 2;
constexpr int kSettingsValueCount = 26 + kRecentFileCount + kCheckValueCount;

// The value names in the order they are written; "ParamExist" is last.
extern const std::array<const char*, kSettingsValueCount> kSettingsValueNames;

// Design values used when nothing is stored.
constexpr int kDefaultMainWidth = 414;
constexpr int kDefaultMainHeight = 432;
constexpr int kDefaultPreviewWidth = 510;
constexpr int kDefaultPreviewHeight = 482;
constexpr int kDefaultPanelLeftWidth = 200;
constexpr int kDefaultRowHeight = 45;
constexpr int kDefaultNoteHeight = 64;

// The size limits of the panels: a stored value outside them is brought to the nearer limit.
constexpr int kMinPanelLeftWidth = 100;
constexpr int kMinRowHeight = 45;
constexpr int kMaxRowHeight = 300;
constexpr int kMinNoteHeight = 64;
constexpr int kMaxNoteHeight = 128;
int ClampPanelLeftWidth(int width);
int ClampRowHeight(int height);
int ClampNoteHeight(int height);

// What the main window reads at start. Each item is empty when its value is absent or has another
// type, and the window keeps its design value for it. Stored sizes are handed out as stored; the
// caller applies the clamps above. A window width or height of zero or less is treated as absent:
// no window can take it.
struct StoredSettings {
    std::optional<int> Left, Top, Width, Height;
    std::optional<int> Pv_Left, Pv_Top, Pv_Width, Pv_Height;
    std::optional<int> PanelLeftWidth;
    std::optional<bool> SpeedButtonStayOnTop, SpeedButtonMultiple, SpeedButtonAll;
    std::array<std::optional<int>, kSettingsRowCount> K_Height;  // K1_Height ... K10_Height
    std::optional<int> KWk_Height;
    // The recently used files, newest first, as native path bytes; empty entries are skipped.
    std::vector<std::string> RecentFiles;
    std::optional<int> CheckMaxChars, PhoneWidth;
    // The main window was maximised ("Maximized"): its geometry above is the one it goes back to.
    std::optional<bool> Maximized;
};

// Nothing when the key cannot be opened or holds no "ParamExist". The link texts are not read.
std::optional<StoredSettings> ReadStoredSettings(KeyStore& store);

// The link dialog's last address and mail subject (code page 932 bytes), each empty when absent;
// both empty without "ParamExist".
struct LinkTexts {
    std::optional<std::string> Address, Subject;
};
LinkTexts ReadLinkTexts(KeyStore& store);

// The preview text tab's character limit and the image dialog's last address folder (code page
// 932 bytes); absent without "ParamExist".
struct TextAndImageSettings {
    std::optional<int> TextMaxChars;
    std::optional<std::string> ImageAddressBase;
};
TextAndImageSettings ReadTextAndImageSettings(KeyStore& store);

// The marketplace the listing check follows ("CheckMarket", its key as text). Generic when
// absent, without "ParamExist", or naming no marketplace.
CheckMarket ReadCheckMarket(KeyStore& store);

// The live view beside the sheet: shown or not, docked or floating, its floating geometry (its
// width also the docked width) and the width it lays the page out at (0: its own width); absent
// without "ParamExist".
struct LiveViewSettings {
    bool Visible = false;
    bool Floating = false;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int CssWidth = 0;
};
std::optional<LiveViewSettings> ReadLiveViewSettings(KeyStore& store);

// Everything written when the main window closes.
struct SettingsSnapshot {
    int Left = 0, Top = 0;
    int Width = kDefaultMainWidth, Height = kDefaultMainHeight;
    int Pv_Left = 0, Pv_Top = 0;
    int Pv_Width = kDefaultPreviewWidth, Pv_Height = kDefaultPreviewHeight;
    int PanelLeftWidth = kDefaultPanelLeftWidth;
    bool SpeedButtonStayOnTop = false, SpeedButtonMultiple = false, SpeedButtonAll = false;
    std::string EditAddress, EditSubject;  // code page 932 bytes
    std::array<int, kSettingsRowCount> K_Height{
        kDefaultRowHeight, kDefaultRowHeight, kDefaultRowHeight, kDefaultRowHeight,
        kDefaultRowHeight, kDefaultRowHeight, kDefaultRowHeight, kDefaultRowHeight,
        kDefaultRowHeight, kDefaultRowHeight};
    int KWk_Height = kDefaultNoteHeight;
    // Newest first; only the first kRecentFileCount are kept, the rest of the slots are empty.
    std::vector<std::string> RecentFiles;
    int CheckMaxChars = 500000;
    int PhoneWidth = 375;
    // The windows and panes that add to the table; each is written only when given.
    std::optional<bool> Maximized;
    std::optional<int> TextMaxChars;
    std::optional<std::string> ImageAddressBase;
    std::optional<CheckMarket> Market;
    std::optional<LiveViewSettings> LiveView;
};

// Writes every value in table order, then the additions, "ParamExist" = 1 last, in one opening
// of the key, creating it where needed.
// False when no root took the key or the write did not reach it; there is nothing to tell the
// user, so callers may ignore it.
bool WriteSettings(KeyStore& store, const SettingsSnapshot& snapshot);

// The start-up question of a second instance: true only when the key exists, holds "ParamExist"
// and "SpeedButtonMultiple" is a set flag. Creates nothing.
bool ReadAllowMultiple(KeyStore& store);

}  // namespace quorvel
