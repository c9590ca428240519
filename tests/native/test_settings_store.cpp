// The settings store's contract over the in-memory registry.
#include <gtest/gtest.h>

#include "core/settings_store.h"
#include "memory_registry.h"

namespace {

const char kMireholtKey[] = "Software\\Tarnwell\\Mireholt";

class Store : public ::testing::Test {
protected:
    void SetUp() override { registry.CreateKey(kMireholtKey); }
    MemoryRegistry registry;
    SettingsStore store{registry};
};

TEST_F(Store, WritesExpandSzWithTerminatorAndClosesEveryKeyItOpens) {
    store.Write(GameFamily::Mireholt, "MultiplayerPlayerName", "Ranger");
    store.Write(GameFamily::Mireholt, "MultiplayerPassword", "");
    ASSERT_EQ(registry.Writes().size(), 2u);
    EXPECT_EQ(registry.Writes()[0].type, 2u);
    EXPECT_EQ(registry.Writes()[0].data, std::string("Ranger\0", 7));
    EXPECT_EQ(registry.Writes()[1].data, std::string(1, '\0'));
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "MultiplayerPlayerName"), "Ranger");
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "Missing"), "");
    EXPECT_EQ(registry.Opens(), 4);
    EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(Store, ReadsLengthBoundAndBytesUpToTheFirstZero) {
    registry.SetString(kMireholtKey, "Fits", std::string(254, 'a'));
    registry.SetString(kMireholtKey, "TooLong", std::string(255, 'a'));
    registry.SetRaw(kMireholtKey, "Number", 4, std::string("\x31\x32\0\x33", 4));
    registry.SetRaw(kMireholtKey, "Unterminated", 1, "abc");
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "Fits"), std::string(254, 'a'));
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "TooLong"), "");
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "Number"), "12");
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "Unterminated"), "abc");
}

TEST_F(Store, RefusesValuesOver79CharactersAndNeverCreatesKeys) {
    registry.SetString(kMireholtKey, "VideoResolution", "640x480");
    store.Write(GameFamily::Mireholt, "VideoResolution", std::string(80, '1'));
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "VideoResolution"), "640x480");
    store.Write(GameFamily::Mireholt, "VideoResolution", std::string(79, '1'));
    EXPECT_EQ(store.Read(GameFamily::Mireholt, "VideoResolution"), std::string(79, '1'));

    registry.ClearWrites();
    store.Write(GameFamily::Orvanta, "MultiplayerManualJoinPort", "2346");
    EXPECT_TRUE(registry.Writes().empty());
    EXPECT_FALSE(registry.HasKey("Software\\Tarnwell\\Haskett's Orvanta"));
    bool opened = true;
    EXPECT_EQ(store.Read(GameFamily::Orvanta, "MultiplayerManualJoinPort", &opened), "");
    EXPECT_FALSE(opened);
}

TEST(Codec, OnlyExactTrueIsTrue) {
    EXPECT_TRUE(DecodeBool("TRUE"));
    for (const char* other : {"", "true", "True", "TRUE ", " TRUE", "1", "FALSE"}) EXPECT_FALSE(DecodeBool(other)) << other;
    EXPECT_STREQ(EncodeBool(1), "TRUE");
    EXPECT_STREQ(EncodeBool(0), "FALSE");
}

}  // namespace
