// The registry key store and the settings kept in it: Windows only.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "TestUtil.h"
#include "platform/KeyStore.h"
#include "platform/RegistryKeyStore.h"
#include "store/Settings.h"

using namespace quorvel;

namespace {

// A key of this run's own under both roots, removed before and after each case.
class RegistryKeyStoreTest : public ::testing::Test {
  protected:
    const std::string path =
        "SOFTWARE\\Merrow\\QuorvelTest-" + std::to_string(GetCurrentProcessId());
    RegistryKeyStore store{path};

    void SetUp() override { Remove(); }
    void TearDown() override { Remove(); }

    void Remove() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }

    // Creates the key under `root` directly; false when this user may not.
    bool CreateUnder(HKEY root) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    bool ExistsUnder(HKEY root) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    void SetRaw(HKEY root, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    void SetDword(HKEY root, const char* name, DWORD value) {
        SetRaw(root, name, REG_DWORD, &value, sizeof value);
    }
};

}  // namespace

TEST_F(RegistryKeyStoreTest, OpenWithoutCreateFindsNothingAndCreatesNothing) {
    EXPECT_EQ(store.Open(false), nullptr);
    EXPECT_FALSE(ExistsUnder(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(ExistsUnder(HKEY_CURRENT_USER));
}

TEST_F(RegistryKeyStoreTest, MachineRootComesFirstThenTheUserRoot) {
    ASSERT_TRUE(CreateUnder(HKEY_CURRENT_USER));
    SetDword(HKEY_CURRENT_USER, "Left", 2);
    {
        auto key = store.Open(false);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->ReadDword("Left"), 2u);
    }
    if (!CreateUnder(HKEY_LOCAL_MACHINE)) GTEST_SKIP() << "no write access to HKEY_LOCAL_MACHINE";
    SetDword(HKEY_LOCAL_MACHINE, "Left", 1);
    auto key = store.Open(false);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadDword("Left"), 1u);
    // Writes go to the root that was opened, not to both.
    key->WriteDword("Top", 5);
    EXPECT_TRUE(key->Commit());
    key.reset();
    EXPECT_EQ(RegistryKeyStore(path).Open(false)->ReadDword("Top"), 5u);
    HKEY user = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &user), ERROR_SUCCESS);
    EXPECT_NE(RegQueryValueExA(user, "Top", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(user);
}

TEST_F(RegistryKeyStoreTest, CreateUsesTheFirstRootThatTakesTheKey) {
    const bool machineWritable = CreateUnder(HKEY_LOCAL_MACHINE);
    Remove();
    auto key = store.Open(true);
    ASSERT_NE(key, nullptr);
    key->WriteDword("ParamExist", 1);
    ASSERT_TRUE(key->Commit());
    EXPECT_EQ(ExistsUnder(HKEY_LOCAL_MACHINE), machineWritable);
    EXPECT_EQ(ExistsUnder(HKEY_CURRENT_USER), !machineWritable);
}

TEST_F(RegistryKeyStoreTest, ValuesComeBackWithTheirTypes) {
    auto key = store.Open(true);
    ASSERT_NE(key, nullptr);
    const std::string japanese = Sj("ソニー製①\\表");  // 0x5C trail bytes and a backslash
    key->WriteDword("Zero", 0);
    key->WriteDword("Max", 0xFFFFFFFFu);
    key->WriteDword("Negative", static_cast<std::uint32_t>(-50));
    key->WriteString("Text", japanese);
    key->WriteString("Empty", "");
    key->WriteString("Lines", "a\r\nb\tc");
    ASSERT_TRUE(key->Commit());
    key.reset();

    auto again = store.Open(false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->ReadDword("Zero"), 0u);
    EXPECT_EQ(again->ReadDword("Max"), 0xFFFFFFFFu);
    EXPECT_EQ(static_cast<int>(*again->ReadDword("Negative")), -50);
    EXPECT_EQ(again->ReadString("Text"), japanese);
    EXPECT_EQ(again->ReadString("Empty"), "");
    EXPECT_EQ(again->ReadString("Lines"), "a\r\nb\tc");
}

TEST_F(RegistryKeyStoreTest, AbsentAndWronglyTypedValuesReadAsAbsent) {
    auto key = store.Open(true);
    ASSERT_NE(key, nullptr);
    key->WriteString("Text", "120");
    key->WriteDword("Number", 120);
    key.reset();
    const HKEY root = ExistsUnder(HKEY_LOCAL_MACHINE) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const unsigned char binary[4] = {1, 0, 0, 0};
    SetRaw(root, "Binary", REG_BINARY, binary, sizeof binary);
    const unsigned char shortDword[2] = {1, 0};
    SetRaw(root, "ShortDword", REG_DWORD, shortDword, sizeof shortDword);
    SetRaw(root, "Expand", REG_EXPAND_SZ, "%TEMP%", 7);
    SetRaw(root, "NoNul", REG_SZ, "abc", 3);        // REG_SZ data need not end in NUL
    SetRaw(root, "InnerNul", REG_SZ, "ab\0cd", 6);  // the text ends at the first NUL

    auto read = store.Open(false);
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(read->Exists("Missing"));
    EXPECT_EQ(read->ReadDword("Missing"), std::nullopt);
    EXPECT_EQ(read->ReadString("Missing"), std::nullopt);
    EXPECT_TRUE(read->Exists("Text"));
    EXPECT_EQ(read->ReadDword("Text"), std::nullopt);
    EXPECT_TRUE(read->Exists("Number"));
    EXPECT_EQ(read->ReadString("Number"), std::nullopt);
    EXPECT_TRUE(read->Exists("Binary"));
    EXPECT_EQ(read->ReadDword("Binary"), std::nullopt);
    EXPECT_EQ(read->ReadDword("ShortDword"), std::nullopt);
    EXPECT_EQ(read->ReadString("Expand"), std::nullopt);
    EXPECT_EQ(read->ReadString("NoNul"), "abc");
    EXPECT_EQ(read->ReadString("InnerNul"), "ab");
}

TEST_F(RegistryKeyStoreTest, SettingsRoundTripAndAllowMultiple) {
    EXPECT_FALSE(ReadStoredSettings(store).has_value());
    EXPECT_FALSE(ReadAllowMultiple(store));
    EXPECT_FALSE(ExistsUnder(HKEY_LOCAL_MACHINE) || ExistsUnder(HKEY_CURRENT_USER));

    SettingsSnapshot saved;
    saved.Left = -50;
    saved.Width = 640;
    saved.SpeedButtonMultiple = true;
    saved.EditAddress = Sj("http://例え.jp/商品");
    saved.K_Height[9] = 222;
    ASSERT_TRUE(WriteSettings(store, saved));
    auto read = ReadStoredSettings(store);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Left, -50);
    EXPECT_EQ(read->Width, 640);
    EXPECT_EQ(read->K_Height[9], 222);
    EXPECT_EQ(ReadLinkTexts(store).Address, saved.EditAddress);
    EXPECT_TRUE(ReadAllowMultiple(store));

    const HKEY root = ExistsUnder(HKEY_LOCAL_MACHINE) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    // A flag stored as text is not a set flag.
    SetRaw(root, "SpeedButtonMultiple", REG_SZ, "1", 2);
    EXPECT_FALSE(ReadAllowMultiple(store));
    SetDword(root, "SpeedButtonMultiple", 0);
    EXPECT_FALSE(ReadAllowMultiple(store));
    SetDword(root, "SpeedButtonMultiple", 7);
    EXPECT_TRUE(ReadAllowMultiple(store));
    // Without the marker nothing counts.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, "ParamExist");
    RegCloseKey(key);
    EXPECT_FALSE(ReadAllowMultiple(store));
    EXPECT_FALSE(ReadStoredSettings(store).has_value());
}

TEST(DefaultKeyStore, IsTheRegistry) {
    auto store = DefaultKeyStore();
    EXPECT_NE(dynamic_cast<RegistryKeyStore*>(store.get()), nullptr);
}

#endif
