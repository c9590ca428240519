// The settings store against the real registry, in the 32-bit view the games use.
#include <gtest/gtest.h>

#include "core/game_selection.h"
#include "harness.h"
#include "win32/Win32Registry.h"

using namespace harness;

namespace {

class RealStore : public ::testing::Test {
protected:
    void SetUp() override { DeleteGameKeys(); }
    void TearDown() override { DeleteGameKeys(); }

    Win32Registry registry;
    SettingsStore store{registry};
};

TEST_F(RealStore, EmptyStringIsStoredAsTerminatorAloneAndReadsBackEmpty) {
    CreateGameKey(GameFamily::Mireholt);
    store.Write(GameFamily::Mireholt, "MultiplayerPlayerName", "");
    auto value = GetValue(GameFamily::Mireholt, "MultiplayerPlayerName");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(value->data, std::string(1, '\0'));
    bool opened = false;
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "MultiplayerPlayerName", &opened), "");
    EXPECT_TRUE(opened);
}

TEST_F(RealStore, WritesTextWithTerminatorAsExpandSzOverAnotherType) {
    SetRaw(GameFamily::Orvanta, kPortValue, REG_DWORD, std::string("\x2A\x09\0\0", 4));
    store.Write(GameFamily::Orvanta, kPortValue, "2346");
    auto value = GetValue(GameFamily::Orvanta, kPortValue);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(value->data, std::string("2346\0", 5));
    EXPECT_EQ(store.Read(GameFamily::Orvanta, kPortValue), "2346");
}

TEST_F(RealStore, ReadsUpTo254CharactersWholeAndLongerValuesAsEmpty) {
    const std::string fits(254, 'a'), tooLong(255, 'b');
    SetString(GameFamily::Mireholt, "Fits", fits);
    SetString(GameFamily::Mireholt, "TooLong", tooLong);
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "Fits"), fits);
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "TooLong"), "");
}

TEST_F(RealStore, NumberReadsAsItsBytesUpToTheFirstZero) {
    SetRaw(GameFamily::Mireholt, "Number", REG_DWORD, std::string("\x41\x42\0\x43", 4));
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "Number"), "AB");
}

TEST_F(RealStore, WritingToAnAbsentKeyCreatesNothing) {
    store.Write(GameFamily::Orvanta, kAddressValue, "192.0.2.7");
    EXPECT_FALSE(GameKeyExists(GameFamily::Orvanta));
    bool opened = true;
    EXPECT_EQ(store.Read(GameFamily::Orvanta, kAddressValue, &opened), "");
    EXPECT_FALSE(opened);
}

TEST_F(RealStore, ValueOver79CharactersIsNotWrittenAndTheStoredOneStays) {
    SetString(GameFamily::Mireholt, "VideoResolution", "800x600");
    store.Write(GameFamily::Mireholt, "VideoResolution", std::string(80, 'x'));
    EXPECT_EQ(GetText(GameFamily::Mireholt, "VideoResolution"), "800x600");
    store.Write(GameFamily::Mireholt, "VideoResolution", std::string(79, 'y'));
    EXPECT_EQ(GetText(GameFamily::Mireholt, "VideoResolution"), std::string(79, 'y'));
}

TEST_F(RealStore, MissingValueReadsEmptyAndKeepsTheFlagWhileAMissingKeyClearsIt) {
    CreateGameKey(GameFamily::Mireholt);
    GameSelection selection(store);
    selection.m_nMHRadio = 0;
    EXPECT_EQ(selection.ReadSetting(kAddressValue), "");
    EXPECT_TRUE(selection.m_bMHInstalled);

    selection.m_nMHRadio = -1;
    selection.m_nBMRadio = 0;
    selection.m_nOVRadio = 1;
    EXPECT_EQ(selection.ReadSetting(kAddressValue), "");
    EXPECT_FALSE(selection.m_bBMInstalled);
    EXPECT_TRUE(selection.m_bOVInstalled);
    EXPECT_TRUE(selection.m_bMHInstalled);
}

TEST_F(RealStore, TheGamesViewIsThe32BitOne) {
    // Seeded through Wow6432Node by path: what a 32-bit game installer writes on 64-bit Windows.
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Tarnwell\\Mireholt", 0, nullptr, 0,
                                KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(key, kPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Games\\MH"), 12);
    ::RegCloseKey(key);
    EXPECT_EQ(store.Read(GameFamily::Mireholt, kPathValue), "C:\\Games\\MH");
}

}  // namespace
