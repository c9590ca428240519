// The three settings editors, driven through the real program: Player Config, Server Config and
// General Options. Each opens from the main window, shows the selected game's stored values,
// stores them on OK only, and disables the Mireholt-only controls for the Orvanta family.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "general_options_ids.h"
#include "harness.h"
#include "player_config_ids.h"
#include "rc_lists.h"
#include "server_config_ids.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const char kPlayerConfig[] = "Player Config";
const char kServerConfig[] = "Server Config";
const char kGeneralOptions[] = "General Options";

// --- Driving the windows ---------------------------------------------------------------------------

std::string ItemText(HWND dialog, int id) { return Text(Item(dialog, id)); }

bool Checked(HWND dialog, int id) { return IsChecked(Item(dialog, id)); }

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(Item(dialog, id)) != FALSE; }

// The edit field of a drop-down combo box.
HWND ComboEdit(HWND combo) { return ::FindWindowExA(combo, nullptr, "Edit", nullptr); }

// Read in UTF-16: Wine hands an ANSI CB_GETLBTEXT across processes back in UTF-16. The lists are
// ASCII.
std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = Query(combo, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text),
                              SMTO_NORMAL, 5000, &result);
        std::string item;
        for (const wchar_t* p = text; *p; ++p) item += static_cast<char>(*p);
        items.push_back(item);
    }
    return items;
}

// Types into an edit as the keyboard would, one WM_CHAR a character. Posted, so later posted
// clicks come after the typing.
void Type(HWND edit, const std::string& text) {
    for (char c : text) ::PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Selects everything in an edit and deletes it, as typed.
void TypeClear(HWND edit) {
    ::PostMessageA(edit, EM_SETSEL, 0, -1);
    ::PostMessageA(edit, WM_CHAR, VK_BACK, 1);
}

// --- The registry ----------------------------------------------------------------------------------

using ValueMap = std::map<std::string, std::pair<DWORD, std::string>>;

// Every value of a family's key (32-bit view), by name.
ValueMap Snapshot(GameFamily family) {
    ValueMap values;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPathOf(family), 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        BYTE data[1024];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (::RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        values[name] = {type, std::string(reinterpret_cast<const char*>(data), dataSize)};
    }
    ::RegCloseKey(key);
    return values;
}

// The stored text, "<missing>" when absent, "<type N>" when not REG_EXPAND_SZ.
std::string Stored(GameFamily family, const std::string& name) {
    auto value = GetValue(family, name);
    if (!value) return "<missing>";
    if (value->type != REG_EXPAND_SZ) return "<type " + std::to_string(value->type) + ">";
    return value->Text();
}

// --- Template order ----------------------------------------------------------------------------------

// The ids of a dialog's controls in creation order, which is the tab order.
std::vector<int> ControlOrder(HWND dialog) {
    std::vector<int> ids;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ids.push_back(static_cast<short>(LOWORD(::GetDlgCtrlID(child))));
    return ids;
}

// --- The fixture -------------------------------------------------------------------------------------

struct Editor {
    int button;
    const char* caption;
};
const Editor kPlayerConfigEditor{IDC_PLAYER_CONFIG, kPlayerConfig};
const Editor kServerConfigEditor{IDC_SERVER_CONFIG, kServerConfig};
const Editor kGeneralOptionsEditor{IDC_GENERAL_OPTIONS, kGeneralOptions};
const Editor kEditors[] = {kPlayerConfigEditor, kServerConfigEditor, kGeneralOptionsEditor};

class Editors : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox.InstallGame(GameFamily::Orvanta);
        sandbox.InstallGame(GameFamily::Mireholt);
    }

    HWND Start() {
        app = std::make_unique<Toolkit>(sandbox.work);
        return app->Main();
    }
    void RoundTrip() { harness::RoundTrip(app->Main()); }

    HWND Open(const Editor& editor) {
        Click(app->Item(editor.button));
        return app->WaitDialog(editor.caption);
    }
    // Waits until the dialog is gone and the editor's handler has written what it writes.
    void WaitClosed(HWND dialog) {
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
        RoundTrip();
    }
    void Ok(HWND dialog) {
        Click(Item(dialog, IDOK));
        WaitClosed(dialog);
    }
    void Cancel(HWND dialog) {
        Click(Item(dialog, IDCANCEL));
        WaitClosed(dialog);
    }

    Sandbox sandbox;
    std::unique_ptr<Toolkit> app;
};

// --- Every editor ------------------------------------------------------------------------------------

TEST_F(Editors, NotInstalledGateShowsTheSelectedTargetsMessageAndNoDialog) {
    DeleteGameKeys();  // neither game: MH fails at start-up, BM and OV at their choice
    ASSERT_TRUE(Start());
    const struct {
        int radio;
        const char* message;
    } targets[] = {{0, "Mireholt is not installed!"},
                   {IDC_SELECT_BM, "Brightmoor is not installed!"},
                   {IDC_SELECT_OV, "Orvanta is not installed!"}};
    for (const auto& target : targets) {
        SCOPED_TRACE(target.message);
        if (target.radio) {
            Click(app->Item(target.radio));
            EXPECT_EQ(app->TakeMessage(), target.message);  // the choice's own message
        }
        for (const Editor& editor : kEditors) {
            SCOPED_TRACE(editor.caption);
            Click(app->Item(editor.button));
            MessageBoxInfo box = app->WaitMessageBox();
            EXPECT_EQ(box.text, target.message);
            EXPECT_EQ(box.caption, "MHToolkit");
            EXPECT_EQ(box.owner, app->Main());
            app->Dismiss(box);
            RoundTrip();
            EXPECT_EQ(Dialogs(app->Pid()).size(), 1u) << "a dialog opened";
        }
    }
    EXPECT_FALSE(GameKeyExists(GameFamily::Mireholt));
    EXPECT_FALSE(GameKeyExists(GameFamily::Orvanta));
}

TEST_F(Editors, AMissingKeyWithTheFlagStillSetOpensEmptyStoresNothingAndThenGates) {
    const int textIds[] = {IDC_PLAYER_NAME, IDC_SERVER_NAME, IDC_VIDEO_RESOLUTION};
    for (int i = 0; i < 3; ++i) {
        const Editor& editor = kEditors[i];
        SCOPED_TRACE(editor.caption);
        sandbox.InstallGame(GameFamily::Mireholt);
        SetString(GameFamily::Mireholt, "MultiplayerPlayerName", "Ranger");
        SetString(GameFamily::Mireholt, "MultiplayerServerName", "Fort");
        SetString(GameFamily::Mireholt, "VideoResolution", "1280x960");
        ASSERT_TRUE(Start());
        DeleteGameKeys();  // after start-up: the flag is still set

        HWND dialog = Open(editor);
        ASSERT_TRUE(dialog);
        if (editor.button == IDC_GENERAL_OPTIONS) {
            EXPECT_NE(ItemText(dialog, textIds[i]), "1280x960");
            EXPECT_TRUE(Checked(dialog, IDC_INTRO_MOVIE_OFF));  // "Movie On" read as empty
        } else {
            EXPECT_EQ(ItemText(dialog, textIds[i]), "");
        }
        Ok(dialog);
        EXPECT_FALSE(GameKeyExists(GameFamily::Mireholt));

        sandbox.InstallGame(GameFamily::Mireholt);  // too late: the flag stays cleared
        Click(app->Item(editor.button));
        EXPECT_EQ(app->TakeMessage(), "Mireholt is not installed!");
        RoundTrip();
        EXPECT_EQ(Dialogs(app->Pid()).size(), 1u);
        EXPECT_EQ(ValueCount(GameFamily::Mireholt), 1);  // InstallationPath alone
        app.reset();
    }
}

TEST_F(Editors, CancelEscapeAndTheCloseBoxWriteNothing) {
    SetString(GameFamily::Mireholt, "MultiplayerPlayerName", "Ranger");
    SetString(GameFamily::Mireholt, "MultiplayerServerName", "Fort");
    SetString(GameFamily::Mireholt, "VideoResolution", "800x600");
    ASSERT_TRUE(Start());
    const int textIds[] = {IDC_PLAYER_NAME, IDC_SERVER_NAME, IDC_VIDEO_RESOLUTION};
    const int checkIds[] = {0, IDC_USE_PASSWORD, IDC_BLOOD};
    const char* ways[] = {"Cancel", "Escape", "close box"};
    for (int i = 0; i < 3; ++i) {
        const Editor& editor = kEditors[i];
        const ValueMap before = Snapshot(GameFamily::Mireholt);
        for (const char* way : ways) {
            SCOPED_TRACE(testing::Message() << editor.caption << ", " << way);
            HWND dialog = Open(editor);
            ASSERT_TRUE(dialog);
            SetText(Item(dialog, textIds[i]), "changed");
            if (checkIds[i]) Click(Item(dialog, checkIds[i]));
            if (std::string(way) == "Cancel") {
                Click(Item(dialog, IDCANCEL));
            } else if (std::string(way) == "Escape") {
                PostKey(Item(dialog, IDOK), VK_ESCAPE);
            } else {
                ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            WaitClosed(dialog);
            EXPECT_EQ(Snapshot(GameFamily::Mireholt), before);
        }
        // The same change confirmed is stored: the cases above did write nothing.
        HWND dialog = Open(editor);
        ASSERT_TRUE(dialog);
        SetText(Item(dialog, textIds[i]), "changed");
        Ok(dialog);
        EXPECT_NE(Snapshot(GameFamily::Mireholt), before);
    }
}

// --- Player Config ------------------------------------------------------------------------------------

TEST_F(Editors, PlayerConfigShowsStoredWeaponsByTextAndStoresTheirFileNames) {
    SetString(GameFamily::Mireholt, "MultiplayerPlayerName", "Ranger");
    SetString(GameFamily::Mireholt, "MultiplayerWeapon1", "pw_mp5.wpn");
    SetString(GameFamily::Mireholt, "MultiplayerWeapon2", "sw_9mmsd");
    ASSERT_TRUE(Start());
    HWND dialog = Open(kPlayerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ItemText(dialog, IDC_PLAYER_NAME), "Ranger");
    EXPECT_EQ(ItemText(dialog, IDC_PRIMARY_WEAPON), "HK MP5A5");
    EXPECT_EQ(Query(Item(dialog, IDC_PRIMARY_WEAPON), CB_GETCURSEL), 1);
    EXPECT_EQ(ItemText(dialog, IDC_SECONDARY_WEAPON), "92FS 9mm-SD");
    EXPECT_EQ(Query(Item(dialog, IDC_SECONDARY_WEAPON), CB_GETCURSEL), 1);
    for (int id : {IDC_PLAYER_NAME, IDC_PRIMARY_WEAPON, IDC_SECONDARY_WEAPON}) EXPECT_TRUE(Enabled(dialog, id)) << id;

    SetText(Item(dialog, IDC_PLAYER_NAME), "Scout");
    Query(Item(dialog, IDC_PRIMARY_WEAPON), CB_SETCURSEL, 18);  // "Barret 82A1"
    Query(Item(dialog, IDC_SECONDARY_WEAPON), CB_SETCURSEL, 6);  // ".50 Desert Eagle"
    Ok(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerPlayerName"), "Scout");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerWeapon1"), "pw_barrett.wpn");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerWeapon2"), "sw_.50wpn");

    // Stored file names in other spellings match no row: the texts of the last run stay.
    SetString(GameFamily::Mireholt, "MultiplayerWeapon1", "PW_MP5.WPN");
    SetString(GameFamily::Mireholt, "MultiplayerWeapon2", "sw_9mmsd.wpn");
    dialog = Open(kPlayerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ItemText(dialog, IDC_PRIMARY_WEAPON), "Barret 82A1");
    EXPECT_EQ(ItemText(dialog, IDC_SECONDARY_WEAPON), ".50 Desert Eagle");
    Ok(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerWeapon1"), "pw_barrett.wpn");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerWeapon2"), "sw_.50wpn");
}

TEST_F(Editors, PlayerConfigStoresOnlyTypedTextsThatAreTableTexts) {
    SetString(GameFamily::Mireholt, "MultiplayerPlayerName", "Ranger");
    SetString(GameFamily::Mireholt, "MultiplayerWeapon1", "pw_m16.wpn");
    SetString(GameFamily::Mireholt, "MultiplayerWeapon2", "sw_45.wpn");
    ASSERT_TRUE(Start());

    HWND dialog = Open(kPlayerConfigEditor);
    ASSERT_TRUE(dialog);
    HWND primary = ComboEdit(Item(dialog, IDC_PRIMARY_WEAPON));
    ASSERT_TRUE(primary);
    TypeClear(primary);
    Type(primary, "UZI");
    Click(Item(dialog, IDOK));
    WaitClosed(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerWeapon1"), "tw_uzi.wpn");
    EXPECT_EQ(GetText(GameFamily::Mireholt, "MultiplayerWeapon2"), "sw_45.wpn");

    // Lower case is no table text; an emptied combo box and an empty name likewise store no weapon.
    dialog = Open(kPlayerConfigEditor);
    ASSERT_TRUE(dialog);
    primary = ComboEdit(Item(dialog, IDC_PRIMARY_WEAPON));
    TypeClear(primary);
    Type(primary, "uzi");
    TypeClear(ComboEdit(Item(dialog, IDC_SECONDARY_WEAPON)));
    TypeClear(Item(dialog, IDC_PLAYER_NAME));
    Click(Item(dialog, IDOK));
    WaitClosed(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerWeapon1"), "tw_uzi.wpn");
    EXPECT_EQ(GetText(GameFamily::Mireholt, "MultiplayerWeapon2"), "sw_45.wpn");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerPlayerName"), "");
}

TEST_F(Editors, PlayerConfigForTheOrvantaFamilyDisablesTheWeaponsAndCarriesTheLastOnes) {
    SetString(GameFamily::Mireholt, "MultiplayerWeapon1", "tw_ak47.wpn");
    SetString(GameFamily::Mireholt, "MultiplayerWeapon2", "sw_de357.wpn");
    SetString(GameFamily::Orvanta, "MultiplayerPlayerName", "Orvantan");
    ASSERT_TRUE(Start());
    HWND dialog = Open(kPlayerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ItemText(dialog, IDC_PRIMARY_WEAPON), "AK-47");
    Ok(dialog);

    for (int radio : {IDC_SELECT_OV, IDC_SELECT_BM}) {
        SCOPED_TRACE(radio);
        Choose(*app, radio);
        dialog = Open(kPlayerConfigEditor);
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(Enabled(dialog, IDC_PLAYER_NAME));
        EXPECT_FALSE(Enabled(dialog, IDC_PRIMARY_WEAPON));
        EXPECT_FALSE(Enabled(dialog, IDC_SECONDARY_WEAPON));
        EXPECT_EQ(ItemText(dialog, IDC_PLAYER_NAME), "Orvantan");
        EXPECT_EQ(ItemText(dialog, IDC_PRIMARY_WEAPON), "AK-47");
        EXPECT_EQ(ItemText(dialog, IDC_SECONDARY_WEAPON), "0.357 Desert Eagle");
        Ok(dialog);
        EXPECT_EQ(Stored(GameFamily::Orvanta, "MultiplayerWeapon1"), "tw_ak47.wpn");
        EXPECT_EQ(Stored(GameFamily::Orvanta, "MultiplayerWeapon2"), "sw_de357.wpn");
        EXPECT_EQ(Stored(GameFamily::Orvanta, "MultiplayerPlayerName"), "Orvantan");
    }
}

TEST_F(Editors, PlayerConfigNameTypingStopsAt30AndALongerStoredNameIsRefusedUntilItFits) {
    const std::string longName(31, 'n');
    SetString(GameFamily::Mireholt, "MultiplayerPlayerName", longName);
    ASSERT_TRUE(Start());
    Click(app->Item(IDC_PLAYER_CONFIG));
    // The read-back while the dialog opens finds the name too long.
    MessageBoxInfo box = app->WaitMessageBox();
    EXPECT_EQ(box.text, "This field holds at most 30 characters.");
    app->Dismiss(box);
    HWND dialog = app->WaitDialog(kPlayerConfig);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(app->NoMessageBox());
    EXPECT_EQ(ItemText(dialog, IDC_PLAYER_NAME), longName);
    EXPECT_EQ(Query(Item(dialog, IDC_PLAYER_NAME), EM_GETLIMITTEXT), 30);

    Click(Item(dialog, IDOK));
    EXPECT_EQ(app->TakeMessage(), "This field holds at most 30 characters.");
    RoundTrip();
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_EQ(GetText(GameFamily::Mireholt, "MultiplayerPlayerName"), longName);

    // Typing over the whole text stops at 30 characters.
    TypeClear(Item(dialog, IDC_PLAYER_NAME));
    Type(Item(dialog, IDC_PLAYER_NAME), std::string(35, 'x'));
    Click(Item(dialog, IDOK));
    WaitClosed(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerPlayerName"), std::string(30, 'x'));
}

// --- Server Config ------------------------------------------------------------------------------------

const int kServerMireholtOnly[] = {IDC_ALLOW_ARMPATCHES,  IDC_FORCE_FOG,          IDC_FORCE_WEATHER,   IDC_LOUD_FOOTSTEPS,
                                   IDC_RANDOM_INSERTIONS, IDC_USE_KIT_RESTRICTIONS, IDC_SHOW_ENEMY_NAMES};
const int kServerEveryGame[] = {IDC_SHOW_ENEMIES, IDC_ALLOW_AUTO_TARGETING, IDC_RANDOM_MAPS, IDC_RANDOM_TEAMS};

struct BoolValue {
    int id;
    const char* name;
};
const BoolValue kServerBools[] = {
    {IDC_USE_PASSWORD, "MultiplayerRequirePassword"},     {IDC_ALLOW_ARMPATCHES, "MultiplayerAllowArmPatch"},
    {IDC_FORCE_FOG, "MultiplayerForceFog"},               {IDC_FORCE_WEATHER, "MultiplayerForceWeatherFX"},
    {IDC_LOUD_FOOTSTEPS, "MultiplayerLoudFootsteps"},     {IDC_SHOW_ENEMIES, "MultiplayerShowEnemies"},
    {IDC_ALLOW_AUTO_TARGETING, "MultiplayerAutoTargetting"}, {IDC_RANDOM_MAPS, "MultiplayerRandomMaps"},
    {IDC_RANDOM_TEAMS, "MultiplayerRandomTeams"},         {IDC_RANDOM_INSERTIONS, "MultiplayerRandomInsertions"},
    {IDC_USE_KIT_RESTRICTIONS, "MultiplayerUseKitRestrictions"},
    {IDC_SHOW_ENEMY_NAMES, "MultiplayerDisplayNamesOnMap"}};

TEST_F(Editors, ServerConfigWithNothingStoredOpensEmptyAndOkStoresEmptyTextsAndFalse) {
    SetString(GameFamily::Mireholt, "MultiplayerMaximumNumberofPlayers", "16");
    ASSERT_TRUE(Start());
    HWND dialog = Open(kServerConfigEditor);
    ASSERT_TRUE(dialog);
    for (int id : {IDC_SERVER_NAME, IDC_MOTD, IDC_PASSWORD}) EXPECT_EQ(ItemText(dialog, id), "") << id;
    for (const BoolValue& b : kServerBools) EXPECT_FALSE(Checked(dialog, b.id)) << b.name;
    for (const BoolValue& b : kServerBools) EXPECT_TRUE(Enabled(dialog, b.id)) << b.name;
    EXPECT_FALSE(Enabled(dialog, IDC_PASSWORD));
    Ok(dialog);
    for (const char* name : {"MultiplayerServerName", "MultiplayerMessageName", "MultiplayerPassword"})
        EXPECT_EQ(Stored(GameFamily::Mireholt, name), "") << name;
    for (const BoolValue& b : kServerBools) EXPECT_EQ(Stored(GameFamily::Mireholt, b.name), "FALSE") << b.name;
    // The game's own player limit is left alone.
    EXPECT_EQ(GetText(GameFamily::Mireholt, "MultiplayerMaximumNumberofPlayers"), "16");
    EXPECT_EQ(ValueCount(GameFamily::Mireholt), 2 + 15);
}

TEST_F(Editors, ServerConfigShowsStoredValuesAndStoresTheChangedOnes) {
    SetString(GameFamily::Mireholt, "MultiplayerServerName", "Fort");
    SetString(GameFamily::Mireholt, "MultiplayerMessageName", "Welcome");
    SetString(GameFamily::Mireholt, "MultiplayerPassword", "secret");
    for (const BoolValue& b : kServerBools) SetString(GameFamily::Mireholt, b.name, "TRUE");
    SetString(GameFamily::Mireholt, "MultiplayerRandomMaps", "True");
    SetString(GameFamily::Mireholt, "MultiplayerForceFog", "TRUE ");
    ASSERT_TRUE(Start());
    HWND dialog = Open(kServerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ItemText(dialog, IDC_SERVER_NAME), "Fort");
    EXPECT_EQ(ItemText(dialog, IDC_MOTD), "Welcome");
    EXPECT_EQ(ItemText(dialog, IDC_PASSWORD), "secret");
    EXPECT_TRUE(Enabled(dialog, IDC_PASSWORD));
    for (const BoolValue& b : kServerBools)
        EXPECT_EQ(Checked(dialog, b.id), b.id != IDC_RANDOM_MAPS && b.id != IDC_FORCE_FOG) << b.name;

    SetText(Item(dialog, IDC_SERVER_NAME), "Keep");
    SetText(Item(dialog, IDC_MOTD), "");
    Click(Item(dialog, IDC_LOUD_FOOTSTEPS));
    Click(Item(dialog, IDC_RANDOM_MAPS));
    Ok(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerServerName"), "Keep");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerMessageName"), "");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerPassword"), "secret");
    for (const BoolValue& b : kServerBools) {
        const bool off = b.id == IDC_LOUD_FOOTSTEPS || b.id == IDC_FORCE_FOG;
        EXPECT_EQ(Stored(GameFamily::Mireholt, b.name), off ? "FALSE" : "TRUE") << b.name;
    }
}

TEST_F(Editors, ServerConfigUsePasswordEnablesThePasswordEditAndKeepsItsText) {
    SetString(GameFamily::Mireholt, "MultiplayerRequirePassword", "true");
    SetString(GameFamily::Mireholt, "MultiplayerPassword", "secret");
    ASSERT_TRUE(Start());
    HWND dialog = Open(kServerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(Checked(dialog, IDC_USE_PASSWORD));
    EXPECT_FALSE(Enabled(dialog, IDC_PASSWORD));
    Click(Item(dialog, IDC_USE_PASSWORD));
    EXPECT_TRUE(WaitFor([&] { return Enabled(dialog, IDC_PASSWORD); }));
    Click(Item(dialog, IDC_USE_PASSWORD));
    EXPECT_TRUE(WaitFor([&] { return !Enabled(dialog, IDC_PASSWORD); }));
    EXPECT_EQ(ItemText(dialog, IDC_PASSWORD), "secret");
    Ok(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerRequirePassword"), "FALSE");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerPassword"), "secret");

    // Stored "TRUE" opens the edit enabled; each opening starts from the template's disabled edit.
    SetString(GameFamily::Mireholt, "MultiplayerRequirePassword", "TRUE");
    dialog = Open(kServerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Checked(dialog, IDC_USE_PASSWORD));
    EXPECT_TRUE(Enabled(dialog, IDC_PASSWORD));
    Click(Item(dialog, IDC_USE_PASSWORD));
    EXPECT_TRUE(WaitFor([&] { return !Enabled(dialog, IDC_PASSWORD); }));
    Cancel(dialog);
    EXPECT_EQ(GetText(GameFamily::Mireholt, "MultiplayerRequirePassword"), "TRUE");
    dialog = Open(kServerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Enabled(dialog, IDC_PASSWORD));
    Cancel(dialog);
}

TEST_F(Editors, ServerConfigForTheOrvantaFamilyDisablesSevenOptionsAndWritesThemAsHeld) {
    for (const BoolValue& b : kServerBools) {
        SetString(GameFamily::Mireholt, b.name, "TRUE");
        SetString(GameFamily::Orvanta, b.name, "FALSE");
    }
    ASSERT_TRUE(Start());
    HWND dialog = Open(kServerConfigEditor);  // Mireholt: the seven are loaded "TRUE"
    ASSERT_TRUE(dialog);
    Cancel(dialog);

    for (int radio : {IDC_SELECT_OV, IDC_SELECT_BM}) {
        SCOPED_TRACE(radio);
        Choose(*app, radio);
        dialog = Open(kServerConfigEditor);
        ASSERT_TRUE(dialog);
        for (int id : kServerMireholtOnly) {
            EXPECT_FALSE(Enabled(dialog, id)) << id;
            EXPECT_TRUE(Checked(dialog, id)) << id;  // held, not Orvanta's "FALSE"
        }
        for (int id : kServerEveryGame) {
            EXPECT_TRUE(Enabled(dialog, id)) << id;
            EXPECT_FALSE(Checked(dialog, id)) << id;
        }
        for (int id : {IDC_SERVER_NAME, IDC_MOTD, IDC_USE_PASSWORD}) EXPECT_TRUE(Enabled(dialog, id)) << id;
        Ok(dialog);
        EXPECT_EQ(Stored(GameFamily::Orvanta, "MultiplayerAllowArmPatch"), "TRUE");
        EXPECT_EQ(Stored(GameFamily::Orvanta, "MultiplayerDisplayNamesOnMap"), "TRUE");
        EXPECT_EQ(Stored(GameFamily::Orvanta, "MultiplayerShowEnemies"), "FALSE");
        EXPECT_EQ(Stored(GameFamily::Orvanta, "MultiplayerServerName"), "");
    }
}

TEST_F(Editors, ServerConfigTextLimitsCapTypingAndRefuseALongerStoredText) {
    const std::string longName(30, 's');
    SetString(GameFamily::Mireholt, "MultiplayerServerName", longName);
    SetString(GameFamily::Mireholt, "MultiplayerRequirePassword", "TRUE");
    ASSERT_TRUE(Start());
    Click(app->Item(IDC_SERVER_CONFIG));
    EXPECT_EQ(app->TakeMessage(), "This field holds at most 24 characters.");
    HWND dialog = app->WaitDialog(kServerConfig);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(app->NoMessageBox());
    EXPECT_EQ(ItemText(dialog, IDC_SERVER_NAME), longName);
    EXPECT_EQ(Query(Item(dialog, IDC_SERVER_NAME), EM_GETLIMITTEXT), 24);
    EXPECT_EQ(Query(Item(dialog, IDC_MOTD), EM_GETLIMITTEXT), 24);
    EXPECT_EQ(Query(Item(dialog, IDC_PASSWORD), EM_GETLIMITTEXT), 12);

    // While the name is too long, Use Password's read-back stops at the name; the password edit
    // follows the box all the same.
    Click(Item(dialog, IDC_USE_PASSWORD));
    EXPECT_EQ(app->TakeMessage(), "This field holds at most 24 characters.");
    RoundTrip();
    EXPECT_FALSE(Checked(dialog, IDC_USE_PASSWORD));
    EXPECT_FALSE(Enabled(dialog, IDC_PASSWORD));

    Click(Item(dialog, IDOK));
    EXPECT_EQ(app->TakeMessage(), "This field holds at most 24 characters.");
    RoundTrip();
    EXPECT_TRUE(::IsWindowVisible(dialog));
    EXPECT_TRUE(WaitForFocus(dialog, Item(dialog, IDC_SERVER_NAME))) << FocusReport(dialog);

    TypeClear(Item(dialog, IDC_SERVER_NAME));
    Type(Item(dialog, IDC_SERVER_NAME), std::string(30, 'x'));
    Type(Item(dialog, IDC_MOTD), std::string(30, 'm'));
    Click(Item(dialog, IDC_USE_PASSWORD));
    Type(Item(dialog, IDC_PASSWORD), std::string(20, 'p'));
    Click(Item(dialog, IDOK));
    WaitClosed(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerServerName"), std::string(24, 'x'));
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerMessageName"), std::string(24, 'm'));
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerPassword"), std::string(12, 'p'));
    EXPECT_EQ(Stored(GameFamily::Mireholt, "MultiplayerRequirePassword"), "TRUE");
}

// --- General Options ----------------------------------------------------------------------------------

const BoolValue kGeneralMireholtOnly[] = {
    {IDC_ALWAYS_RUN, "AlwaysRun"},       {IDC_CD_MUSIC, "CDMusicOn"},
    {IDC_ACTION_MUSIC, "ActionMusicOn"}, {IDC_RECORD_MISSION, "RecordMission"},
    {IDC_SHOW_SKY, "ShowSky"},           {IDC_WEATHER_FX, "ShowWeatherFx"},
    {IDC_CHARACTER_SHADOWS, "CharacterShadows"}, {IDC_DYNAMIC_LIGHTING, "DynamicLighting"},
    {IDC_SHOW_TOOLTIPS, "ShowTooltips"}, {IDC_FOOTSTEP_SOUNDS, "FootstepSoundOn"},
    {IDC_SHOW_WEAPONS, "RetainGunModels"}};
const BoolValue kGeneralEveryGame[] = {{IDC_BLOOD, "GoreOn"},
                                       {IDC_AUTO_TARGETTING, "AutoTarget"},
                                       {IDC_SHOW_FOG, "ShowFog"},
                                       {IDC_FULLSCREEN, "FullScreen"}};

TEST_F(Editors, GeneralOptionsWithNothingStoredOpensWithOnlyIntroMovieOffCheckedAndStoresFalse) {
    ASSERT_TRUE(Start());
    HWND dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Checked(dialog, IDC_INTRO_MOVIE_OFF));
    for (const BoolValue& b : kGeneralMireholtOnly) EXPECT_FALSE(Checked(dialog, b.id)) << b.name;
    for (const BoolValue& b : kGeneralEveryGame) EXPECT_FALSE(Checked(dialog, b.id)) << b.name;
    EXPECT_FALSE(Checked(dialog, IDC_USE_MAX_SOUNDS));
    const std::string shown = ItemText(dialog, IDC_VIDEO_RESOLUTION);
    Ok(dialog);
    for (const BoolValue& b : kGeneralMireholtOnly) EXPECT_EQ(Stored(GameFamily::Mireholt, b.name), "FALSE");
    for (const BoolValue& b : kGeneralEveryGame) EXPECT_EQ(Stored(GameFamily::Mireholt, b.name), "FALSE");
    for (const char* name : {"UseMaxSounds", "Movie On", "PlayIntroMovie"})
        EXPECT_EQ(Stored(GameFamily::Mireholt, name), "FALSE") << name;
    // Whatever the combo box showed for an empty text is what is stored.
    EXPECT_EQ(Stored(GameFamily::Mireholt, "VideoResolution"), shown);
    EXPECT_EQ(ValueCount(GameFamily::Mireholt), 1 + 19);
}

TEST_F(Editors, GeneralOptionsShowsStoredValuesAndStoresIntroMovieOffInvertedUnderBothNames) {
    for (const BoolValue& b : kGeneralMireholtOnly) SetString(GameFamily::Mireholt, b.name, "TRUE");
    for (const BoolValue& b : kGeneralEveryGame) SetString(GameFamily::Mireholt, b.name, "TRUE");
    SetString(GameFamily::Mireholt, "UseMaxSounds", "TRUE");
    SetString(GameFamily::Mireholt, "Movie On", "TRUE");
    SetString(GameFamily::Mireholt, "PlayIntroMovie", "FALSE");  // never read
    SetString(GameFamily::Mireholt, "ShowSky", "true");
    SetString(GameFamily::Mireholt, "VideoResolution", "800x600");
    ASSERT_TRUE(Start());
    HWND dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(Checked(dialog, IDC_INTRO_MOVIE_OFF));
    for (const BoolValue& b : kGeneralMireholtOnly) EXPECT_EQ(Checked(dialog, b.id), b.id != IDC_SHOW_SKY) << b.name;
    for (const BoolValue& b : kGeneralEveryGame) EXPECT_TRUE(Checked(dialog, b.id)) << b.name;
    EXPECT_TRUE(Checked(dialog, IDC_USE_MAX_SOUNDS));
    EXPECT_EQ(ItemText(dialog, IDC_VIDEO_RESOLUTION), "800x600");
    EXPECT_EQ(Query(Item(dialog, IDC_VIDEO_RESOLUTION), CB_GETCURSEL), 6);
    for (const BoolValue& b : kGeneralMireholtOnly) EXPECT_TRUE(Enabled(dialog, b.id)) << b.name;
    EXPECT_TRUE(Enabled(dialog, IDC_AFTER_DEATH));
    EXPECT_TRUE(Enabled(dialog, IDC_FULLSCREEN));
    Ok(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "Movie On"), "TRUE");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "PlayIntroMovie"), "TRUE");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "ShowSky"), "FALSE");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "RetainGunModels"), "TRUE");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "VideoResolution"), "800x600");

    dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    Click(Item(dialog, IDC_INTRO_MOVIE_OFF));
    Click(Item(dialog, IDC_SHOW_WEAPONS));
    Ok(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "Movie On"), "FALSE");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "PlayIntroMovie"), "FALSE");
    EXPECT_EQ(Stored(GameFamily::Mireholt, "RetainGunModels"), "FALSE");
}

TEST_F(Editors, GeneralOptionsVideoResolutionSelectsByPrefixAndStoresTypedTextAsTyped) {
    ASSERT_TRUE(Start());
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {{"1024", "1024x768"}, {"800X600", "800x600"}, {"1280x960", "1280x960"}, {"1600x1200", "1600x1200"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SetString(GameFamily::Mireholt, "VideoResolution", c.stored);
        HWND dialog = Open(kGeneralOptionsEditor);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(ItemText(dialog, IDC_VIDEO_RESOLUTION), c.shown);
        Ok(dialog);
        EXPECT_EQ(Stored(GameFamily::Mireholt, "VideoResolution"), c.shown);
    }

    // Typed text, in the list or not, is stored as typed; typing stops at 79 characters.
    HWND dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    HWND edit = ComboEdit(Item(dialog, IDC_VIDEO_RESOLUTION));
    ASSERT_TRUE(edit);
    EXPECT_EQ(Query(edit, EM_GETLIMITTEXT), 79);
    TypeClear(edit);
    Type(edit, "1366x768");
    Click(Item(dialog, IDOK));
    WaitClosed(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "VideoResolution"), "1366x768");

    dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    edit = ComboEdit(Item(dialog, IDC_VIDEO_RESOLUTION));
    TypeClear(edit);
    Type(edit, std::string(85, '9'));
    Click(Item(dialog, IDOK));
    WaitClosed(dialog);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "VideoResolution"), std::string(79, '9'));
}

TEST_F(Editors, GeneralOptionsShowsALongerStoredResolutionWholeAndLeavesItStored) {
    const std::string longText = "1920x1080" + std::string(91, ' ') + "end";
    SetString(GameFamily::Mireholt, "VideoResolution", longText);
    SetString(GameFamily::Mireholt, "GoreOn", "FALSE");
    ASSERT_TRUE(Start());
    HWND dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ItemText(dialog, IDC_VIDEO_RESOLUTION), longText);
    Click(Item(dialog, IDC_BLOOD));
    Ok(dialog);
    EXPECT_EQ(GetText(GameFamily::Mireholt, "VideoResolution"), longText);
    EXPECT_EQ(Stored(GameFamily::Mireholt, "GoreOn"), "TRUE");
}

TEST_F(Editors, GeneralOptionsForTheOrvantaFamilyDisablesThirteenControlsButNotUseMaxSounds) {
    for (const BoolValue& b : kGeneralMireholtOnly) SetString(GameFamily::Orvanta, b.name, "TRUE");
    SetString(GameFamily::Orvanta, "UseMaxSounds", "TRUE");  // not loaded for Orvanta
    SetString(GameFamily::Orvanta, "FullScreen", "TRUE");    // loaded, but cannot be changed
    SetString(GameFamily::Orvanta, "Movie On", "TRUE");
    ASSERT_TRUE(Start());
    for (int radio : {IDC_SELECT_OV, IDC_SELECT_BM}) {
        SCOPED_TRACE(radio);
        Choose(*app, radio);
        HWND dialog = Open(kGeneralOptionsEditor);
        ASSERT_TRUE(dialog);
        for (const BoolValue& b : kGeneralMireholtOnly) {
            EXPECT_FALSE(Enabled(dialog, b.id)) << b.name;
            EXPECT_FALSE(Checked(dialog, b.id)) << b.name;  // held from construction, not loaded
        }
        EXPECT_FALSE(Enabled(dialog, IDC_AFTER_DEATH));
        EXPECT_FALSE(Enabled(dialog, IDC_FULLSCREEN));
        EXPECT_TRUE(Checked(dialog, IDC_FULLSCREEN));
        for (int id : {IDC_INTRO_MOVIE_OFF, IDC_BLOOD, IDC_AUTO_TARGETTING, IDC_SHOW_FOG, IDC_USE_MAX_SOUNDS,
                       IDC_VIDEO_RESOLUTION, IDOK, IDCANCEL})
            EXPECT_TRUE(Enabled(dialog, id)) << id;
        EXPECT_FALSE(Checked(dialog, IDC_INTRO_MOVIE_OFF));
        if (radio == IDC_SELECT_OV) {
            EXPECT_FALSE(Checked(dialog, IDC_USE_MAX_SOUNDS));
            Click(Item(dialog, IDC_USE_MAX_SOUNDS));
        } else {
            EXPECT_TRUE(Checked(dialog, IDC_USE_MAX_SOUNDS));  // carried from the OV run
        }
        Ok(dialog);
        EXPECT_EQ(ValueCount(GameFamily::Orvanta), 1 + 19);
        for (const BoolValue& b : kGeneralMireholtOnly) EXPECT_EQ(Stored(GameFamily::Orvanta, b.name), "FALSE");
        EXPECT_EQ(Stored(GameFamily::Orvanta, "UseMaxSounds"), "TRUE");
        EXPECT_EQ(Stored(GameFamily::Orvanta, "FullScreen"), "TRUE");
        EXPECT_EQ(Stored(GameFamily::Orvanta, "PlayIntroMovie"), "TRUE");
        SetString(GameFamily::Orvanta, "UseMaxSounds", "FALSE");
    }
}

TEST_F(Editors, GeneralOptionsMireholtOnlyValuesCarryIntoTheOrvantaFamily) {
    SetString(GameFamily::Mireholt, "CharacterShadows", "TRUE");
    SetString(GameFamily::Mireholt, "UseMaxSounds", "TRUE");
    SetString(GameFamily::Orvanta, "CharacterShadows", "FALSE");
    ASSERT_TRUE(Start());
    HWND dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    Cancel(dialog);  // the read-back keeps what the opening showed
    Choose(*app, IDC_SELECT_OV);
    dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Checked(dialog, IDC_CHARACTER_SHADOWS));
    EXPECT_TRUE(Checked(dialog, IDC_USE_MAX_SOUNDS));
    Ok(dialog);
    EXPECT_EQ(Stored(GameFamily::Orvanta, "CharacterShadows"), "TRUE");
    EXPECT_EQ(Stored(GameFamily::Orvanta, "UseMaxSounds"), "TRUE");
}

// --- Templates -------------------------------------------------------------------------------------

// A combo box's list as its template's .rc writes it, in list order.
std::vector<std::string> RcList(const char* rcFile, const char* control) {
    return ListTexts(ReadRcLists(SourceFile(std::string("res/") + rcFile)), control);
}

TEST_F(Editors, TemplatesHoldTheirControlsInTabOrderWithTheirListsAndCaptions) {
    ASSERT_TRUE(Start());
    HWND dialog = Open(kPlayerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ControlOrder(dialog), (std::vector<int>{IDOK, IDCANCEL, -1, IDC_PLAYER_NAME, -1, -1, IDC_PRIMARY_WEAPON,
                                                      IDC_SECONDARY_WEAPON}));
    EXPECT_EQ(ComboItems(Item(dialog, IDC_PRIMARY_WEAPON)), RcList("player_config_dlg.rc", "IDC_PRIMARY_WEAPON"));
    EXPECT_EQ(ComboItems(Item(dialog, IDC_SECONDARY_WEAPON)), RcList("player_config_dlg.rc", "IDC_SECONDARY_WEAPON"));
    for (int id : {IDOK, IDCANCEL}) EXPECT_TRUE(::GetWindowLongA(Item(dialog, id), GWL_STYLE) & BS_FLAT) << id;
    // Typing in a weapon box stops at its visible width.
    EXPECT_FALSE(::GetWindowLongA(Item(dialog, IDC_PRIMARY_WEAPON), GWL_STYLE) & CBS_AUTOHSCROLL);
    EXPECT_EQ(FocusedControl(dialog), Item(dialog, IDOK));
    Cancel(dialog);

    dialog = Open(kServerConfigEditor);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ControlOrder(dialog),
              (std::vector<int>{IDOK, IDCANCEL, -1, IDC_SERVER_NAME, -1, IDC_MOTD, -1, IDC_SHOW_ENEMIES,
                                IDC_ALLOW_AUTO_TARGETING, IDC_RANDOM_MAPS, IDC_RANDOM_TEAMS, IDC_RANDOM_INSERTIONS,
                                IDC_USE_KIT_RESTRICTIONS, IDC_ALLOW_ARMPATCHES, IDC_FORCE_FOG, IDC_FORCE_WEATHER,
                                IDC_LOUD_FOOTSTEPS, IDC_USE_PASSWORD, IDC_PASSWORD, IDC_SHOW_ENEMY_NAMES}));
    EXPECT_EQ(ItemText(dialog, IDC_ALLOW_ARMPATCHES), "Allow Armpatches ");
    EXPECT_FALSE(::GetWindowLongA(Item(dialog, IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(LOWORD(Query(dialog, DM_GETDEFID)), IDOK);
    EXPECT_EQ(FocusedControl(dialog), Item(dialog, IDOK));
    Cancel(dialog);

    dialog = Open(kGeneralOptionsEditor);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ControlOrder(dialog),
              (std::vector<int>{IDOK, IDCANCEL, IDC_INTRO_MOVIE_OFF, -1, IDC_BLOOD, IDC_AUTO_TARGETTING, IDC_CD_MUSIC,
                                IDC_ACTION_MUSIC, IDC_RECORD_MISSION, IDC_ALWAYS_RUN, -1, IDC_SHOW_FOG, IDC_SHOW_SKY,
                                IDC_WEATHER_FX, IDC_CHARACTER_SHADOWS, IDC_DYNAMIC_LIGHTING, IDC_SHOW_TOOLTIPS,
                                IDC_FULLSCREEN, IDC_FOOTSTEP_SOUNDS, IDC_SHOW_WEAPONS, IDC_AFTER_DEATH,
                                IDC_VIDEO_RESOLUTION, -1, IDC_USE_MAX_SOUNDS}));
    EXPECT_EQ(ItemText(dialog, IDC_SHOW_WEAPONS), "Show Weapons ");
    EXPECT_EQ(ItemText(dialog, IDC_AFTER_DEATH), "after death");
    EXPECT_EQ(ComboItems(Item(dialog, IDC_VIDEO_RESOLUTION)),
              (std::vector<std::string>{"320x200", "320x240", "400x300", "512x384", "600x400", "640x480", "800x600",
                                        "1024x768", "1152x864", "1280x1024", "1600x1200"}));
    EXPECT_EQ(LOWORD(Query(dialog, DM_GETDEFID)), IDOK);
    EXPECT_EQ(FocusedControl(dialog), Item(dialog, IDOK));
    Cancel(dialog);
}

}  // namespace
