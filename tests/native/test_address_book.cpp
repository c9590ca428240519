// The address book's value names and its Join on a saved server.
#include <gtest/gtest.h>

#include "core/address_book.h"
#include "memory_registry.h"

namespace {

const char kOrvantaKey[] = "Software\\Tarnwell\\Haskett's Orvanta";
const char kMireholtKey[] = "Software\\Tarnwell\\Mireholt";

TEST(AddressBookRows, EachRowHasItsOwnPairOfValueNames) {
    EXPECT_STREQ(AddressValueOf(1), "z_ip1");
    EXPECT_STREQ(PortValueOf(1), "z_port1");
    EXPECT_STREQ(AddressValueOf(5), "z_ip5");
    EXPECT_STREQ(PortValueOf(5), "z_port5");
    for (int outside : {0, 6}) {
        EXPECT_EQ(AddressValueOf(outside), nullptr);
        EXPECT_EQ(PortValueOf(outside), nullptr);
    }
}

class SavedServerJoin : public ::testing::Test {
protected:
    void SetUp() override {
        registry.CreateKey(kOrvantaKey);
        registry.CreateKey(kMireholtKey);
    }
    MemoryRegistry registry;
    SettingsStore store{registry};
};

TEST_F(SavedServerJoin, StartsTheFamilysClientAfterMakingTheServerItsManualTarget) {
    const struct {
        GameFamily family;
        const char* key;
        const char* commandLine;
    } cases[] = {
        {GameFamily::Orvanta, kOrvantaKey, "orvanta.exe -client 192.0.2.7 2346"},
        {GameFamily::Mireholt, kMireholtKey, "Mireholt.exe -client 192.0.2.7 2346"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        registry.ClearWrites();
        const LaunchPlan plan = JoinSavedServer(store, c.family, "192.0.2.7", "2346");
        EXPECT_EQ(plan.message, nullptr);
        EXPECT_EQ(plan.commandLine, c.commandLine);
        ASSERT_EQ(registry.Writes().size(), 2u);
        EXPECT_EQ(registry.Writes()[0].key, c.key);
        EXPECT_EQ(registry.Writes()[0].name, "MultiplayerManualHostAddress");
        EXPECT_EQ(registry.Writes()[0].data, std::string("192.0.2.7\0", 10));
        EXPECT_EQ(registry.Writes()[1].key, c.key);
        EXPECT_EQ(registry.Writes()[1].name, "MultiplayerManualJoinPort");
        EXPECT_EQ(registry.Writes()[1].data, std::string("2346\0", 5));
    }
}

TEST_F(SavedServerJoin, EmptyFieldsStopWithTheAddressCheckFirstAndWriteNothing) {
    EXPECT_STREQ(JoinSavedServer(store, GameFamily::Mireholt, "", "").message,
                 "Please enter an IP address to connect to!");
    EXPECT_STREQ(JoinSavedServer(store, GameFamily::Mireholt, "192.0.2.7", "").message,
                 "Please enter a port (2346 is default)");
    EXPECT_TRUE(registry.Writes().empty());
}

TEST_F(SavedServerJoin, StillStartsWhenTheKeyCannotBeWrittenAndCreatesNoKey) {
    registry.DeleteKey(kOrvantaKey);
    const LaunchPlan plan = JoinSavedServer(store, GameFamily::Orvanta, "192.0.2.7", "2346");
    EXPECT_EQ(plan.message, nullptr);
    EXPECT_EQ(plan.commandLine, "orvanta.exe -client 192.0.2.7 2346");
    EXPECT_TRUE(registry.Writes().empty());
    EXPECT_FALSE(registry.HasKey(kOrvantaKey));
}

}  // namespace
