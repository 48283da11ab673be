#include "store/Settings.h"

#include <algorithm>
#include <cstdint>

#include "sheet/MarketRules.h"

namespace quorvel {

// clang-format off
const std::array<const char*, kSettingsValueCount> kSettingsValueNames = {
    "Left", "Top", "Width", "Height",
    "Pv_Left", "Pv_Top", "Pv_Width", "Pv_Height",
    "PanelLeftWidth",
    "SpeedButtonStayOnTop", "SpeedButtonMultiple", "SpeedButtonAll",
    "EditAddress", "EditSubject",
    "K1_Height", "K2_Height", "K3_Height", "K4_Height", "K5_Height",
    "K6_Height", "K7_Height", "K8_Height", "K9_Height", "K10_Height",
    "KWk_Height",
    "RecentFile1", "RecentFile2", "RecentFile3", "RecentFile4",
    "RecentFile5", "RecentFile6", "RecentFile7", "RecentFile8",
    "CheckMaxChars", "PhoneWidth",
    "ParamExist"};
// clang-format on

namespace {

constexpr const char* kMarker = "ParamExist";

std::string RowName(int row) {
    return "K" + std::to_string(row + 1) + "_Height";
}

std::string RecentFileName(int slot) {
    return "RecentFile" + std::to_string(slot + 1);
}

// A DWORD holds an int as its two's complement bits, so positions left of or above the primary
// screen come back negative.
std::optional<int> ReadInt(const KeyHandle& key, const char* name) {
    auto value = key.ReadDword(name);
    if (!value) return std::nullopt;
    return static_cast<int>(static_cast<std::int32_t>(*value));
}

std::optional<int> ReadSize(const KeyHandle& key, const char* name) {
    auto value = ReadInt(key, name);
    if (value && *value <= 0) return std::nullopt;
    return value;
}

std::optional<bool> ReadFlag(const KeyHandle& key, const char* name) {
    auto value = key.ReadDword(name);
    if (!value) return std::nullopt;
    return *value != 0;
}

void WriteInt(KeyHandle& key, const std::string& name, int value) {
    key.WriteDword(name, static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
}

}  // namespace

int ClampPanelLeftWidth(int width) {
    return std::max(width, kMinPanelLeftWidth);
}
int ClampRowHeight(int height) {
    return std::clamp(height, kMinRowHeight, kMaxRowHeight);
}
int ClampNoteHeight(int height) {
    return std::clamp(height, kMinNoteHeight, kMaxNoteHeight);
}

std::optional<StoredSettings> ReadStoredSettings(KeyStore& store) {
    auto key = store.Open(false);
    if (!key || !key->Exists(kMarker)) return std::nullopt;
    StoredSettings s;
    s.Left = ReadInt(*key, "Left");
    s.Top = ReadInt(*key, "Top");
    s.Width = ReadSize(*key, "Width");
    s.Height = ReadSize(*key, "Height");
    s.Pv_Left = ReadInt(*key, "Pv_Left");
    s.Pv_Top = ReadInt(*key, "Pv_Top");
    s.Pv_Width = ReadSize(*key, "Pv_Width");
    s.Pv_Height = ReadSize(*key, "Pv_Height");
    s.PanelLeftWidth = ReadInt(*key, "PanelLeftWidth");
    s.SpeedButtonStayOnTop = ReadFlag(*key, "SpeedButtonStayOnTop");
    s.SpeedButtonMultiple = ReadFlag(*key, "SpeedButtonMultiple");
    s.SpeedButtonAll = ReadFlag(*key, "SpeedButtonAll");
    for (int row = 0; row < kSettingsRowCount; ++row)
        s.K_Height[row] = ReadInt(*key, RowName(row).c_str());
    s.KWk_Height = ReadInt(*key, "KWk_Height");
    for (int slot = 0; slot < kRecentFileCount; ++slot) {
        auto path = key->ReadString(RecentFileName(slot));
        if (path && !path->empty()) s.RecentFiles.push_back(std::move(*path));
    }
    s.CheckMaxChars = ReadSize(*key, "CheckMaxChars");
    s.PhoneWidth = ReadSize(*key, "PhoneWidth");
    s.Maximized = ReadFlag(*key, "Maximized");
    return s;
}

LinkTexts ReadLinkTexts(KeyStore& store) {
    LinkTexts texts;
    auto key = store.Open(false);
    if (!key || !key->Exists(kMarker)) return texts;
    texts.Address = key->ReadString("EditAddress");
    texts.Subject = key->ReadString("EditSubject");
    return texts;
}

TextAndImageSettings ReadTextAndImageSettings(KeyStore& store) {
    TextAndImageSettings settings;
    auto key = store.Open(false);
    if (!key || !key->Exists(kMarker)) return settings;
    settings.TextMaxChars = ReadSize(*key, "TextMaxChars");
    settings.ImageAddressBase = key->ReadString("ImageAddressBase");
    return settings;
}

CheckMarket ReadCheckMarket(KeyStore& store) {
    auto key = store.Open(false);
    if (!key || !key->Exists(kMarker)) return CheckMarket::Generic;
    const auto stored = key->ReadString("CheckMarket");
    return ParseCheckMarket(stored.value_or(std::string())).value_or(CheckMarket::Generic);
}

std::optional<LiveViewSettings> ReadLiveViewSettings(KeyStore& store) {
    auto key = store.Open(false);
    if (!key || !key->Exists(kMarker) || !key->Exists("LiveVisible")) return std::nullopt;
    LiveViewSettings s;
    s.Visible = ReadFlag(*key, "LiveVisible").value_or(false);
    s.Floating = ReadFlag(*key, "LiveFloating").value_or(false);
    s.Left = ReadInt(*key, "LiveLeft").value_or(0);
    s.Top = ReadInt(*key, "LiveTop").value_or(0);
    s.Width = ReadSize(*key, "LiveWidth").value_or(0);
    s.Height = ReadSize(*key, "LiveHeight").value_or(0);
    s.CssWidth = std::max(ReadInt(*key, "LiveCssWidth").value_or(0), 0);
    return s;
}

bool WriteSettings(KeyStore& store, const SettingsSnapshot& s) {
    auto key = store.Open(true);
    if (!key) return false;
    WriteInt(*key, "Left", s.Left);
    WriteInt(*key, "Top", s.Top);
    WriteInt(*key, "Width", s.Width);
    WriteInt(*key, "Height", s.Height);
    WriteInt(*key, "Pv_Left", s.Pv_Left);
    WriteInt(*key, "Pv_Top", s.Pv_Top);
    WriteInt(*key, "Pv_Width", s.Pv_Width);
    WriteInt(*key, "Pv_Height", s.Pv_Height);
    WriteInt(*key, "PanelLeftWidth", s.PanelLeftWidth);
    key->WriteDword("SpeedButtonStayOnTop", s.SpeedButtonStayOnTop ? 1 : 0);
    key->WriteDword("SpeedButtonMultiple", s.SpeedButtonMultiple ? 1 : 0);
    key->WriteDword("SpeedButtonAll", s.SpeedButtonAll ? 1 : 0);
    key->WriteString("EditAddress", s.EditAddress);
    key->WriteString("EditSubject", s.EditSubject);
    for (int row = 0; row < kSettingsRowCount; ++row) WriteInt(*key, RowName(row), s.K_Height[row]);
    WriteInt(*key, "KWk_Height", s.KWk_Height);
    // Every slot is written, so a list that got shorter leaves no stale entry behind.
    for (int slot = 0; slot < kRecentFileCount; ++slot) {
        const bool used = slot < static_cast<int>(s.RecentFiles.size());
        key->WriteString(RecentFileName(slot), used ? s.RecentFiles[slot] : std::string());
    }
    WriteInt(*key, "CheckMaxChars", s.CheckMaxChars);
    WriteInt(*key, "PhoneWidth", s.PhoneWidth);
    if (s.Maximized) key->WriteDword("Maximized", *s.Maximized ? 1 : 0);
    if (s.TextMaxChars) WriteInt(*key, "TextMaxChars", *s.TextMaxChars);
    if (s.ImageAddressBase) key->WriteString("ImageAddressBase", *s.ImageAddressBase);
    if (s.Market) key->WriteString("CheckMarket", CheckMarketKey(*s.Market));
    if (const auto& live = s.LiveView) {
        key->WriteDword("LiveVisible", live->Visible ? 1 : 0);
        key->WriteDword("LiveFloating", live->Floating ? 1 : 0);
        WriteInt(*key, "LiveLeft", live->Left);
        WriteInt(*key, "LiveTop", live->Top);
        WriteInt(*key, "LiveWidth", live->Width);
        WriteInt(*key, "LiveHeight", live->Height);
        WriteInt(*key, "LiveCssWidth", live->CssWidth);
    }
    key->WriteDword(kMarker, 1);
    return key->Commit();
}

bool ReadAllowMultiple(KeyStore& store) {
    auto key = store.Open(false);
    if (!key || !key->Exists(kMarker)) return false;
    return ReadFlag(*key, "SpeedButtonMultiple").value_or(false);
}

}  // namespace quorvel
