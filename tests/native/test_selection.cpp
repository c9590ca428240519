// Targets, the selection rules and the installed flags.
#include <gtest/gtest.h>

#include "core/game_selection.h"
#include "core/launch.h"
#include "memory_registry.h"

namespace {

const char kOrvantaKey[] = "Software\\Tarnwell\\Haskett's Orvanta";
const char kMireholtKey[] = "Software\\Tarnwell\\Mireholt";

struct Indices {
    int bm, ov, mh;
    GameFamily family;
    GameTarget launch;
};

// The index values the radio exchange leaves, with what each must select.
const Indices kStates[] = {
    {-1, 0, -1, GameFamily::Orvanta, GameTarget::OV},   // OV radio on
    {0, 1, -1, GameFamily::Orvanta, GameTarget::BM},    // BM radio on
    {1, 2, 0, GameFamily::Mireholt, GameTarget::MH},    // MH radio on
    {-1, -1, 0, GameFamily::Mireholt, GameTarget::MH},  // after initialisation
};

TEST(Targets, TableHoldsTheKeysExecutablesAndMessages) {
    EXPECT_STREQ(KeyPathOf(GameFamily::Orvanta), kOrvantaKey);
    EXPECT_STREQ(KeyPathOf(GameFamily::Mireholt), kMireholtKey);

    const TargetInfo& ov = InfoOf(GameTarget::OV);
    EXPECT_EQ(ov.family, GameFamily::Orvanta);
    EXPECT_STREQ(ov.clientPrefix, "orvanta.exe -client ");
    EXPECT_STREQ(ov.serverPrefix, "orvanta.exe -server ");
    EXPECT_STREQ(ov.notInstalledMessage, "Orvanta is not installed!");

    const TargetInfo& bm = InfoOf(GameTarget::BM);
    EXPECT_EQ(bm.family, GameFamily::Orvanta);
    EXPECT_STREQ(bm.clientPrefix, "orvantaMP.exe -client ");
    EXPECT_STREQ(bm.serverPrefix, "orvantaMP.exe -server ");
    EXPECT_STREQ(bm.notInstalledMessage, "Brightmoor is not installed!");

    const TargetInfo& mh = InfoOf(GameTarget::MH);
    EXPECT_EQ(mh.family, GameFamily::Mireholt);
    EXPECT_STREQ(mh.clientPrefix, "Mireholt.exe -client ");
    EXPECT_STREQ(mh.serverPrefix, "Mireholt.exe -server ");
    EXPECT_STREQ(mh.notInstalledMessage, "Mireholt is not installed!");
}

TEST(Selection, EveryReachableStateSelectsItsFamilyAndTarget) {
    for (const Indices& s : kStates) {
        SCOPED_TRACE(testing::Message() << s.bm << "," << s.ov << "," << s.mh);
        EXPECT_EQ(FamilyOfSelection(s.mh), s.family);
        EXPECT_EQ(LaunchTargetOfSelection(s.bm, s.ov), s.launch);
        EXPECT_EQ(TargetOfFailedOpen(s.bm, s.ov, s.mh), std::optional<GameTarget>(s.launch));
    }
    // Before any exchange nothing is selected: Orvanta's key, and no flag to clear.
    EXPECT_EQ(FamilyOfSelection(-1), GameFamily::Orvanta);
    EXPECT_EQ(TargetOfFailedOpen(-1, -1, -1), std::nullopt);
    EXPECT_EQ(LaunchTargetOfSelection(-1, -1), GameTarget::MH);
}

class SelectionStore : public ::testing::Test {
protected:
    MemoryRegistry registry;
    SettingsStore store{registry};
    GameSelection selection{store};

    void Select(const Indices& s) {
        selection.m_nBMRadio = s.bm;
        selection.m_nOVRadio = s.ov;
        selection.m_nMHRadio = s.mh;
    }
};

TEST_F(SelectionStore, ReadsAndWritesFollowTheSelectedFamily) {
    registry.SetString(kOrvantaKey, "MultiplayerManualJoinPort", "1111");
    registry.SetString(kMireholtKey, "MultiplayerManualJoinPort", "2222");
    Select(kStates[1]);
    EXPECT_EQ(selection.ReadSetting("MultiplayerManualJoinPort"), "1111");
    selection.WriteSetting("MultiplayerManualHostAddress", "192.0.2.7");
    Select(kStates[2]);
    EXPECT_EQ(selection.ReadSetting("MultiplayerManualJoinPort"), "2222");
    EXPECT_EQ(selection.ReadSetting("MultiplayerManualHostAddress"), "");
    Select(kStates[0]);
    EXPECT_EQ(selection.ReadSetting("MultiplayerManualHostAddress"), "192.0.2.7");
    EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(SelectionStore, FailedOpenClearsOnlyTheSelectedTargetsFlagForGood) {
    registry.CreateKey(kMireholtKey);
    Select(kStates[1]);  // BM, whose key is absent
    EXPECT_EQ(selection.ReadSetting("InstallationPath"), "");
    EXPECT_FALSE(selection.m_bBMInstalled);
    EXPECT_TRUE(selection.m_bOVInstalled);
    EXPECT_TRUE(selection.m_bMHInstalled);

    Select(kStates[0]);  // OV keeps its flag until a read fails while it is selected
    EXPECT_TRUE(selection.m_bOVInstalled);
    selection.ReadSetting("InstallationPath");
    EXPECT_FALSE(selection.m_bOVInstalled);

    // Creating the key later sets no flag again; a missing value in an existing key clears none.
    registry.CreateKey(kOrvantaKey);
    registry.SetString(kOrvantaKey, "InstallationPath", "C:\\Games\\OV");
    EXPECT_EQ(selection.ReadSetting("InstallationPath"), "C:\\Games\\OV");
    EXPECT_FALSE(selection.m_bOVInstalled);
    Select(kStates[2]);
    selection.ReadSetting("NoSuchValue");
    EXPECT_TRUE(selection.m_bMHInstalled);

    // Writes never touch the flags.
    registry.DeleteKey(kMireholtKey);
    selection.WriteSetting("MultiplayerManualJoinPort", "2346");
    EXPECT_TRUE(selection.m_bMHInstalled);
    EXPECT_FALSE(registry.HasKey(kMireholtKey));
}

TEST_F(SelectionStore, EditorGateTestsBrightmoorThenOrvantaThenMireholt) {
    Select(kStates[2]);
    EXPECT_EQ(selection.EditorGateFailure(), std::nullopt);
    selection.m_bMHInstalled = 0;
    EXPECT_EQ(selection.EditorGateFailure(), GameTarget::MH);
    Select(kStates[1]);
    EXPECT_EQ(selection.EditorGateFailure(), std::nullopt);
    selection.m_bBMInstalled = 0;
    EXPECT_EQ(selection.EditorGateFailure(), GameTarget::BM);
    Select(kStates[0]);
    EXPECT_EQ(selection.EditorGateFailure(), std::nullopt);
    selection.m_bOVInstalled = 0;
    EXPECT_EQ(selection.EditorGateFailure(), GameTarget::OV);
}

TEST(Launch, CommandLinesJoinTheFieldsWithOneBlank) {
    EXPECT_EQ(PlanJoin(GameTarget::OV, "192.0.2.7", "2346").commandLine, "orvanta.exe -client 192.0.2.7 2346");
    EXPECT_EQ(PlanJoin(GameTarget::BM, "192.0.2.7", "2346").commandLine, "orvantaMP.exe -client 192.0.2.7 2346");
    EXPECT_EQ(PlanJoin(GameTarget::MH, " ", "2346").commandLine, "Mireholt.exe -client   2346");
    EXPECT_EQ(PlanCreate(GameTarget::MH, "2346").commandLine, "Mireholt.exe -server 2346");
    EXPECT_EQ(PlanPing("192.0.2.7").commandLine, "ping.exe 192.0.2.7");
    EXPECT_EQ(PlanTelnet("192.0.2.7", "23").commandLine, "telnet.exe 192.0.2.7 23");
    for (auto plan : {PlanJoin(GameTarget::MH, " ", "1"), PlanCreate(GameTarget::OV, " "), PlanPing(" "),
                      PlanTelnet(" ", " ")})
        EXPECT_EQ(plan.message, nullptr) << plan.commandLine;
}

TEST(Launch, PlansNameTheProgramAndGameTheyStart) {
    for (const LaunchPlan& plan : {PlanJoin(GameTarget::BM, "a", "1"), PlanCreate(GameTarget::BM, "1")}) {
        EXPECT_EQ(plan.program, LaunchProgram::Game);
        EXPECT_EQ(plan.target, GameTarget::BM);
    }
    EXPECT_EQ(PlanPing("a").program, LaunchProgram::Ping);
    EXPECT_EQ(PlanTelnet("a", "1").program, LaunchProgram::Telnet);
}

TEST(Launch, EmptyFieldsStopWithTheirMessagesAddressFirst) {
    EXPECT_STREQ(PlanJoin(GameTarget::OV, "", "").message, "Please enter an IP address to connect to!");
    EXPECT_STREQ(PlanJoin(GameTarget::OV, "a", "").message, "Please enter a port (2346 is default)");
    EXPECT_STREQ(PlanCreate(GameTarget::BM, "").message, "Please enter a port (2346 is default)");
    EXPECT_STREQ(PlanPing("").message, "Please enter an IP address first!");
    EXPECT_STREQ(PlanTelnet("", "").message, "Please enter an IP address first!");
    EXPECT_STREQ(PlanTelnet("a", "").message, "Please enter a port (Default is 2346)");
    EXPECT_EQ(ClientTargetOf(GameFamily::Orvanta), GameTarget::OV);
    EXPECT_EQ(ClientTargetOf(GameFamily::Mireholt), GameTarget::MH);
}

}  // namespace
