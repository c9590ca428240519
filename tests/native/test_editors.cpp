// The load and save sequences of Player Config, Server Config and General Options over the
// selection's settings access: order, stored forms, family rules and values carried between runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/game_selection.h"
#include "core/general_options.h"
#include "core/player_config.h"
#include "core/server_config.h"
#include "core/weapons.h"
#include "memory_registry.h"

namespace {

const char kOrvantaKey[] = "Software\\Tarnwell\\Haskett's Orvanta";
const char kMireholtKey[] = "Software\\Tarnwell\\Mireholt";

using Names = std::vector<std::string>;

struct Selection {
    int bm, ov, mh;
};
// The indices the main window's radio exchange leaves.
const Selection kOV{-1, 0, -1};
const Selection kBM{0, 1, -1};
const Selection kMH{1, 2, 0};
const Selection kMHAtStart{-1, -1, 0};

// Passes every call to the selection and notes the names read.
class ReadRecorder : public SettingsAccess {
public:
    explicit ReadRecorder(SettingsAccess& inner) : inner_(inner) {}
    std::string ReadSetting(const std::string& name) override {
        reads.push_back(name);
        return inner_.ReadSetting(name);
    }
    void WriteSetting(const std::string& name, const std::string& value) override {
        inner_.WriteSetting(name, value);
    }
    Names reads;

private:
    SettingsAccess& inner_;
};

class Editors : public ::testing::Test {
protected:
    void SetUp() override {
        registry.CreateKey(kOrvantaKey);
        registry.CreateKey(kMireholtKey);
        Select(kMH);
    }

    // Sets the main window's indices and hands them to the editor's values, as the handlers do.
    template <class Values>
    void Select(const Selection& s, Values& values) {
        Select(s);
        values.m_nBrightmoorRadio = s.bm;
        values.m_nOrvantaRadio = s.ov;
    }
    void Select(const Selection& s) {
        selection.m_nBMRadio = s.bm;
        selection.m_nOVRadio = s.ov;
        selection.m_nMHRadio = s.mh;
    }

    Names WrittenNames() const {
        Names names;
        for (const auto& w : registry.Writes()) names.push_back(w.name);
        return names;
    }
    // The stored text of a value, or "<missing>".
    std::string Stored(const char* key, const std::string& name) const {
        const MemoryRegistry::Value* value = registry.Find(key, name);
        if (!value) return "<missing>";
        return value->data.substr(0, value->data.find('\0'));
    }

    MemoryRegistry registry;
    SettingsStore store{registry};
    GameSelection selection{store};
    ReadRecorder recorder{selection};
};

// --- Player Config --------------------------------------------------------------------------------

TEST_F(Editors, PlayerConfigLoadsTheNameAndTranslatesStoredFileNames) {
    registry.SetString(kMireholtKey, "MultiplayerPlayerName", "Ranger");
    registry.SetString(kMireholtKey, "MultiplayerWeapon1", "pw_mp5.wpn");
    registry.SetString(kMireholtKey, "MultiplayerWeapon2", "sw_9mmsd");
    PlayerConfigValues values;
    Select(kMH, values);
    LoadPlayerConfig(recorder, values);
    EXPECT_EQ(recorder.reads, (Names{"MultiplayerPlayerName", "MultiplayerWeapon1", "MultiplayerWeapon2"}));
    EXPECT_EQ(values.m_strPlayerName, "Ranger");
    EXPECT_EQ(values.m_strPrimaryWeapon, "HK MP5A5");
    EXPECT_EQ(values.m_strSecondaryWeapon, "92FS 9mm-SD");
}

TEST_F(Editors, PlayerConfigKeepsWeaponTextsWhenTheStoredValueIsNoTableFileName) {
    PlayerConfigValues values;
    values.m_strPlayerName = "Old";
    values.m_strPrimaryWeapon = "AK-47";
    values.m_strSecondaryWeapon = "HK .40 USP";
    registry.SetString(kMireholtKey, "MultiplayerWeapon1", "PW_MP5.WPN");
    registry.SetString(kMireholtKey, "MultiplayerWeapon2", "sw_9mmsd.wpn");
    Select(kMH, values);
    LoadPlayerConfig(selection, values);
    EXPECT_EQ(values.m_strPlayerName, "");  // the name is always replaced
    EXPECT_EQ(values.m_strPrimaryWeapon, "AK-47");
    EXPECT_EQ(values.m_strSecondaryWeapon, "HK .40 USP");
}

TEST_F(Editors, PlayerConfigSavesNameThenWeaponsAsFileNames) {
    PlayerConfigValues values;
    Select(kMH, values);
    values.m_strPlayerName = "Ranger";
    values.m_strPrimaryWeapon = "UZI";
    values.m_strSecondaryWeapon = ".50 Desert Eagle";
    SavePlayerConfig(selection, values);
    ASSERT_EQ(WrittenNames(), (Names{"MultiplayerPlayerName", "MultiplayerWeapon1", "MultiplayerWeapon2"}));
    const auto& writes = registry.Writes();
    EXPECT_EQ(writes[0].data, std::string("Ranger\0", 7));
    EXPECT_EQ(writes[1].data, std::string("tw_uzi.wpn\0", 11));
    EXPECT_EQ(writes[2].data, std::string("sw_.50wpn\0", 10));
    for (const auto& w : writes) {
        EXPECT_EQ(w.key, kMireholtKey);
        EXPECT_EQ(w.type, Registry::kExpandSz);
    }
}

TEST_F(Editors, PlayerConfigWritesNoWeaponWhoseTextIsNoTableText) {
    registry.SetString(kMireholtKey, "MultiplayerWeapon1", "pw_m16.wpn");
    registry.SetString(kMireholtKey, "MultiplayerWeapon2", "sw_45.wpn");
    PlayerConfigValues values;
    Select(kMH, values);
    for (const char* typed : {"uzi", "", "UZI ", "92fs 9mm"}) {
        SCOPED_TRACE(typed);
        registry.ClearWrites();
        values.m_strPlayerName = "";
        values.m_strPrimaryWeapon = typed;
        values.m_strSecondaryWeapon = typed;
        SavePlayerConfig(selection, values);
        // Only the name, also when it is empty; the weapons keep their stored values.
        ASSERT_EQ(WrittenNames(), Names{"MultiplayerPlayerName"});
        EXPECT_EQ(registry.Writes()[0].data, std::string(1, '\0'));
        EXPECT_EQ(Stored(kMireholtKey, "MultiplayerWeapon1"), "pw_m16.wpn");
        EXPECT_EQ(Stored(kMireholtKey, "MultiplayerWeapon2"), "sw_45.wpn");
    }
    // "92FS 9mm" is a secondary text only.
    registry.ClearWrites();
    values.m_strSecondaryWeapon = "92FS 9mm";
    SavePlayerConfig(selection, values);
    EXPECT_EQ(WrittenNames(), (Names{"MultiplayerPlayerName", "MultiplayerWeapon2"}));
}

TEST_F(Editors, PlayerConfigStoresEveryWeaponAgainAsItWasStored) {
    PlayerConfigValues values;
    Select(kMH, values);
    const struct {
        WeaponTable table;
        const char* valueName;
    } slots[] = {{PrimaryWeapons(), "MultiplayerWeapon1"}, {SecondaryWeapons(), "MultiplayerWeapon2"}};
    for (const auto& slot : slots) {
        for (const WeaponEntry& row : slot.table) {
            SCOPED_TRACE(row.fileName);
            registry.SetString(kMireholtKey, slot.valueName, row.fileName);
            LoadPlayerConfig(selection, values);
            registry.SetString(kMireholtKey, slot.valueName, "changed meanwhile");
            SavePlayerConfig(selection, values);
            EXPECT_EQ(Stored(kMireholtKey, slot.valueName), row.fileName);
        }
    }
}

TEST_F(Editors, PlayerConfigCarriesAWeaponIntoTheOtherFamily) {
    registry.SetString(kMireholtKey, "MultiplayerWeapon1", "tw_ak47.wpn");
    PlayerConfigValues values;
    Select(kMH, values);
    LoadPlayerConfig(selection, values);
    SavePlayerConfig(selection, values);

    // Orvanta's key holds no weapon: the text of the Mireholt run stays and is written there.
    Select(kOV, values);
    EXPECT_TRUE(values.OrvantaFamily());
    LoadPlayerConfig(selection, values);
    EXPECT_EQ(values.m_strPrimaryWeapon, "AK-47");
    registry.ClearWrites();
    SavePlayerConfig(selection, values);
    EXPECT_EQ(Stored(kOrvantaKey, "MultiplayerWeapon1"), "tw_ak47.wpn");
    for (const auto& w : registry.Writes()) EXPECT_EQ(w.key, kOrvantaKey);
}

TEST_F(Editors, PlayerConfigOverAMissingKeyLoadsEmptyClearsTheFlagAndStoresNothing) {
    registry.DeleteKey(kMireholtKey);
    PlayerConfigValues values;
    values.m_strPlayerName = "Held";
    values.m_strPrimaryWeapon = "M16";
    Select(kMHAtStart, values);
    LoadPlayerConfig(selection, values);
    EXPECT_EQ(values.m_strPlayerName, "");
    EXPECT_EQ(values.m_strPrimaryWeapon, "M16");
    EXPECT_FALSE(selection.m_bMHInstalled);
    EXPECT_EQ(selection.EditorGateFailure(), std::optional<GameTarget>(GameTarget::MH));
    SavePlayerConfig(selection, values);
    EXPECT_TRUE(registry.Writes().empty());
    EXPECT_FALSE(registry.HasKey(kMireholtKey));
}

// --- Server Config --------------------------------------------------------------------------------

const Names kServerMireholtOnlyReads = {
    "MultiplayerAllowArmPatch",      "MultiplayerForceFog",           "MultiplayerForceWeatherFX",
    "MultiplayerLoudFootsteps",      "MultiplayerRandomInsertions",   "MultiplayerUseKitRestrictions",
    "MultiplayerDisplayNamesOnMap"};
const Names kServerCommonReads = {
    "MultiplayerServerName",  "MultiplayerMessageName",    "MultiplayerRequirePassword", "MultiplayerPassword",
    "MultiplayerShowEnemies", "MultiplayerAutoTargetting", "MultiplayerRandomMaps",      "MultiplayerRandomTeams"};

Names Concat(Names a, const Names& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(Editors, ServerConfigLoadsMireholtOnlyOptionsFirstAndDecodesOnlyExactTrue) {
    for (const std::string& name : Concat(kServerMireholtOnlyReads, kServerCommonReads))
        registry.SetString(kMireholtKey, name, "TRUE");
    registry.SetString(kMireholtKey, "MultiplayerServerName", std::string(30, 'n'));
    registry.SetString(kMireholtKey, "MultiplayerMessageName", "Welcome");
    registry.SetString(kMireholtKey, "MultiplayerPassword", "secret");
    registry.SetString(kMireholtKey, "MultiplayerRequirePassword", "true");
    registry.SetString(kMireholtKey, "MultiplayerRandomMaps", "TRUE ");
    registry.SetString(kMireholtKey, "MultiplayerForceFog", "1");
    ServerConfigValues v;
    Select(kMH, v);
    LoadServerConfig(recorder, v);
    EXPECT_EQ(recorder.reads, Concat(kServerMireholtOnlyReads, kServerCommonReads));
    EXPECT_EQ(v.m_strServerName, std::string(30, 'n'));  // loaded whole; the dialog checks the length
    EXPECT_EQ(v.m_strMotd, "Welcome");
    EXPECT_EQ(v.m_strPassword, "secret");
    EXPECT_EQ(v.m_bUsePassword, 0);
    EXPECT_EQ(v.m_bRandomMaps, 0);
    EXPECT_EQ(v.m_bForceFog, 0);
    EXPECT_EQ(v.m_bAllowArmpatches, 1);
    EXPECT_EQ(v.m_bForceWeather, 1);
    EXPECT_EQ(v.m_bLoudFootsteps, 1);
    EXPECT_EQ(v.m_bRandomInsertions, 1);
    EXPECT_EQ(v.m_bUseKitRestrictions, 1);
    EXPECT_EQ(v.m_bShowEnemyNames, 1);
    EXPECT_EQ(v.m_bShowEnemies, 1);
    EXPECT_EQ(v.m_bAllowAutoTargeting, 1);
    EXPECT_EQ(v.m_bRandomTeams, 1);
}

TEST_F(Editors, ServerConfigForTheOrvantaFamilyKeepsTheMireholtOnlyOptionsItHeld) {
    for (const std::string& name : kServerMireholtOnlyReads) {
        registry.SetString(kMireholtKey, name, "TRUE");
        registry.SetString(kOrvantaKey, name, "FALSE");
    }
    ServerConfigValues v;
    Select(kMH, v);
    LoadServerConfig(selection, v);
    for (const Selection& s : {kOV, kBM}) {
        recorder.reads.clear();
        Select(s, v);
        LoadServerConfig(recorder, v);
        EXPECT_EQ(recorder.reads, kServerCommonReads);
        // Held from the Mireholt run, not Orvanta's stored "FALSE".
        EXPECT_EQ(v.m_bAllowArmpatches + v.m_bForceFog + v.m_bForceWeather + v.m_bLoudFootsteps +
                      v.m_bRandomInsertions + v.m_bUseKitRestrictions + v.m_bShowEnemyNames,
                  7);
    }
    // ... and written into Orvanta's key on OK.
    SaveServerConfig(selection, v);
    for (const std::string& name : kServerMireholtOnlyReads) EXPECT_EQ(Stored(kOrvantaKey, name), "TRUE") << name;
}

TEST_F(Editors, ServerConfigSavesFifteenValuesInOrderAndLeavesThePlayerLimitAlone) {
    registry.SetString(kMireholtKey, "MultiplayerMaximumNumberofPlayers", "16");
    ServerConfigValues v;
    Select(kMH, v);
    v.m_strServerName = "Fort";
    v.m_strMotd = "";
    v.m_bUsePassword = 1;
    v.m_strPassword = "pw";
    v.m_bForceFog = 1;
    v.m_bShowEnemies = 1;
    v.m_bRandomTeams = 1;
    v.m_bShowEnemyNames = 1;
    SaveServerConfig(selection, v);
    EXPECT_EQ(WrittenNames(),
              (Names{"MultiplayerServerName", "MultiplayerMessageName", "MultiplayerRequirePassword",
                     "MultiplayerPassword", "MultiplayerAllowArmPatch", "MultiplayerForceFog",
                     "MultiplayerForceWeatherFX", "MultiplayerLoudFootsteps", "MultiplayerShowEnemies",
                     "MultiplayerAutoTargetting", "MultiplayerRandomMaps", "MultiplayerRandomTeams",
                     "MultiplayerRandomInsertions", "MultiplayerUseKitRestrictions",
                     "MultiplayerDisplayNamesOnMap"}));
    Names stored;
    for (const auto& w : registry.Writes()) stored.push_back(w.data.substr(0, w.data.size() - 1));
    EXPECT_EQ(stored, (Names{"Fort", "", "TRUE", "pw", "FALSE", "TRUE", "FALSE", "FALSE", "TRUE", "FALSE", "FALSE",
                             "TRUE", "FALSE", "FALSE", "TRUE"}));
    EXPECT_EQ(Stored(kMireholtKey, "MultiplayerMaximumNumberofPlayers"), "16");
}

// --- General Options ------------------------------------------------------------------------------

const Names kGeneralMireholtOnlyReads = {"CDMusicOn",        "ActionMusicOn",   "RecordMission",   "AlwaysRun",
                                         "ShowSky",          "ShowWeatherFx",   "CharacterShadows", "DynamicLighting",
                                         "ShowTooltips",     "FootstepSoundOn", "RetainGunModels", "UseMaxSounds"};
const Names kGeneralCommonReads = {"Movie On", "GoreOn", "AutoTarget", "ShowFog", "FullScreen", "VideoResolution"};

TEST_F(Editors, GeneralOptionsLoadsInOrderAndNeverReadsPlayIntroMovie) {
    for (const std::string& name : Concat(kGeneralMireholtOnlyReads, kGeneralCommonReads))
        registry.SetString(kMireholtKey, name, "TRUE");
    registry.SetString(kMireholtKey, "VideoResolution", "800x600");
    registry.SetString(kMireholtKey, "PlayIntroMovie", "FALSE");
    GeneralOptionsValues v;
    Select(kMH, v);
    LoadGeneralOptions(recorder, v);
    EXPECT_EQ(recorder.reads, Concat(kGeneralMireholtOnlyReads, kGeneralCommonReads));
    EXPECT_EQ(v.m_bIntroMovieOff, 0);  // "Movie On" is "TRUE"
    EXPECT_EQ(v.m_strVideoResolution, "800x600");
    const int loaded[] = {v.m_bCdMusic,        v.m_bActionMusic,      v.m_bRecordMission,   v.m_bAlwaysRun,
                          v.m_bShowSky,        v.m_bWeatherFx,        v.m_bCharacterShadows, v.m_bDynamicLighting,
                          v.m_bShowTooltips,   v.m_bFootstepSounds,   v.m_bShowWeaponsAfterDeath,
                          v.m_bUseMaxSounds,   v.m_bBlood,            v.m_bAutoTargetting,  v.m_bShowFog,
                          v.m_bFullscreen};
    for (int value : loaded) EXPECT_EQ(value, 1);
}

TEST_F(Editors, GeneralOptionsIntroMovieOffIsMovieOnInverted) {
    GeneralOptionsValues v;
    Select(kMH, v);
    const struct {
        const char* stored;
        int introMovieOff;
    } cases[] = {{"TRUE", 0}, {"FALSE", 1}, {"true", 1}, {"", 1}};
    for (const auto& c : cases) {
        registry.SetString(kMireholtKey, "Movie On", c.stored);
        LoadGeneralOptions(selection, v);
        EXPECT_EQ(v.m_bIntroMovieOff, c.introMovieOff) << c.stored;
    }
    registry.DeleteKey(kMireholtKey);
    registry.CreateKey(kMireholtKey);
    LoadGeneralOptions(selection, v);
    EXPECT_EQ(v.m_bIntroMovieOff, 1);  // missing reads as not "TRUE"

    for (int off : {1, 0}) {
        v.m_bIntroMovieOff = off;
        SaveGeneralOptions(selection, v);
        const char* expected = off ? "FALSE" : "TRUE";
        EXPECT_EQ(Stored(kMireholtKey, "Movie On"), expected);
        EXPECT_EQ(Stored(kMireholtKey, "PlayIntroMovie"), expected);
    }
}

TEST_F(Editors, GeneralOptionsForTheOrvantaFamilyLoadsSixAndKeepsTheRest) {
    for (const std::string& name : kGeneralMireholtOnlyReads) registry.SetString(kOrvantaKey, name, "TRUE");
    registry.SetString(kOrvantaKey, "FullScreen", "TRUE");
    GeneralOptionsValues v;
    v.m_bUseMaxSounds = 1;  // held from an earlier run
    for (const Selection& s : {kOV, kBM}) {
        recorder.reads.clear();
        Select(s, v);
        LoadGeneralOptions(recorder, v);
        EXPECT_EQ(recorder.reads, kGeneralCommonReads);
        EXPECT_EQ(v.m_bFullscreen, 1);
        EXPECT_EQ(v.m_bUseMaxSounds, 1);
        EXPECT_EQ(v.m_bCdMusic + v.m_bActionMusic + v.m_bRecordMission + v.m_bAlwaysRun + v.m_bShowSky +
                      v.m_bWeatherFx + v.m_bCharacterShadows + v.m_bDynamicLighting + v.m_bShowTooltips +
                      v.m_bFootstepSounds + v.m_bShowWeaponsAfterDeath,
                  0);
    }
}

TEST_F(Editors, GeneralOptionsSavesNineteenValuesInOrder) {
    GeneralOptionsValues v;
    Select(kOV, v);
    v.m_bCdMusic = 1;
    v.m_bShowSky = 1;
    v.m_bFullscreen = 1;
    v.m_bShowWeaponsAfterDeath = 1;
    v.m_bIntroMovieOff = 0;
    v.m_bAutoTargetting = 1;
    v.m_bUseMaxSounds = 1;
    v.m_strVideoResolution = "1280x960";
    SaveGeneralOptions(selection, v);
    EXPECT_EQ(WrittenNames(),
              (Names{"CDMusicOn", "ActionMusicOn", "RecordMission", "AlwaysRun", "ShowSky", "ShowWeatherFx",
                     "CharacterShadows", "DynamicLighting", "ShowTooltips", "FullScreen", "FootstepSoundOn",
                     "RetainGunModels", "Movie On", "PlayIntroMovie", "GoreOn", "AutoTarget", "ShowFog",
                     "UseMaxSounds", "VideoResolution"}));
    Names stored;
    for (const auto& w : registry.Writes()) {
        EXPECT_EQ(w.key, kOrvantaKey);
        stored.push_back(w.data.substr(0, w.data.size() - 1));
    }
    EXPECT_EQ(stored, (Names{"TRUE", "FALSE", "FALSE", "FALSE", "TRUE", "FALSE", "FALSE", "FALSE", "FALSE", "TRUE",
                             "FALSE", "TRUE", "TRUE", "TRUE", "FALSE", "TRUE", "FALSE", "TRUE", "1280x960"}));
}

TEST_F(Editors, GeneralOptionsLeavesAVideoResolutionTooLongToStoreAsStored) {
    const std::string longText(100, 'x');
    registry.SetString(kMireholtKey, "VideoResolution", longText);
    GeneralOptionsValues v;
    Select(kMH, v);
    LoadGeneralOptions(selection, v);
    EXPECT_EQ(v.m_strVideoResolution, longText);
    SaveGeneralOptions(selection, v);
    EXPECT_EQ(Stored(kMireholtKey, "VideoResolution"), longText);
    EXPECT_EQ(registry.Writes().size(), 18u);  // every value but the resolution
    v.m_strVideoResolution = "";
    SaveGeneralOptions(selection, v);
    EXPECT_EQ(Stored(kMireholtKey, "VideoResolution"), "");
}

}  // namespace
