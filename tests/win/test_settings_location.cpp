// The Settings Location dialog and its system-menu item, driven through the real program: the machine
// key against the per-user copy, the run-as-administrator flags, and mending the split.
#include <gtest/gtest.h>

#include <memory>

#include "core/machine_values.h"
#include "harness.h"
#include "settings_location_ids.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const char kItem[] = "Settings Location...";
const char kItemDiffers[] = "Settings Location... (differs)";

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }
std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

using Rows = std::vector<std::vector<std::string>>;

class SettingsLocationTest : public ::testing::Test {
protected:
    HWND Start() {
        app = std::make_unique<Toolkit>(sandbox.work);
        return app->Main();
    }
    // The item's text, or "<missing>"; checks its place in the program's group before the About item,
    // between the links item and Host for Friends.
    std::string ItemText() {
        const std::vector<MenuItem> items = SystemMenu(app->Main());
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].id != IDM_SETTINGS_LOCATION) continue;
            EXPECT_EQ(i + 4, items.size());
            EXPECT_EQ(items[i - 1].id, 0x30u);  // the links item
            EXPECT_EQ(items[i + 1].id, 0x50u);  // Host for Friends
            EXPECT_TRUE(items[i + 2].type & MFT_SEPARATOR);
            EXPECT_EQ(items.back().id, 16u);
            return items[i].text;
        }
        return "<missing>";
    }
    // The item's text once Mireholt is chosen again after a game of the other family: read anew.
    std::string ItemForMireholtAgain() {
        Choose(*app, IDC_SELECT_OV);
        Choose(*app, IDC_SELECT_MH);
        return ItemText();
    }
    HWND Open() {
        ::PostMessageA(app->Main(), WM_SYSCOMMAND, IDM_SETTINGS_LOCATION, 0);
        return app->WaitDialog("Settings Location");
    }
    void Close(HWND dialog) {
        Click(::GetDlgItem(dialog, IDCANCEL));
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
        RoundTrip(app->Main());
    }
    Rows Table(HWND dialog) { return ListViewRows(::GetDlgItem(dialog, IDC_SL_VALUES)); }
    std::string Shown(HWND dialog, int id) { return Text(::GetDlgItem(dialog, id)); }
    bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
    // The keyboard still works in the dialog: an enabled control of it has the focus.
    // The focus on an enabled control of the dialog. After a message box it may come back a moment
    // later (seen once under load, with Wine 8): it is waited for, briefly.
    bool KeyboardReady(HWND dialog) {
        return WaitFor([&] {
            HWND focus = FocusedControl(dialog);
            return focus && ::GetParent(focus) == dialog && ::IsWindowEnabled(focus);
        }, 3000);
    }

    // Mireholt installed, with values of every kind in the machine key and the per-user copy.
    void SeedSplit() {
        sandbox.InstallGame(GameFamily::Mireholt);
        SetString(GameFamily::Mireholt, "Equal", "same");
        SetUserCopyString(GameFamily::Mireholt, "Equal", "same");
        SetString(GameFamily::Mireholt, "MultiplayerPlayerName", "Machine Ranger");
        SetUserCopyString(GameFamily::Mireholt, "multiplayerplayername", "My Ranger");
        SetString(GameFamily::Mireholt, "OnlyMachine", "kept");
        SetUserCopyString(GameFamily::Mireholt, "OnlyMine", "mine");
        SetUserCopyString(GameFamily::Mireholt, "ALongText", longText);
        SetRaw(GameFamily::Mireholt, "Volume", REG_DWORD, Dword(70));
        SetUserCopyRaw(GameFamily::Mireholt, "Volume", REG_DWORD, Dword(258));
        SetUserCopyRaw(GameFamily::Mireholt, "Blob", REG_BINARY, std::string("\x00\xff\x10", 3));
        SetString(GameFamily::Mireholt, "Expanded", "%TEMP%", REG_EXPAND_SZ);
        SetUserCopyString(GameFamily::Mireholt, "Expanded", "%TEMP%");
        // The other family's copy is never touched.
        sandbox.InstallGame(GameFamily::Orvanta);
        SetUserCopyString(GameFamily::Orvanta, "MultiplayerPlayerName", "Orvanta Ranger");
    }
    std::string MireholtExe() { return Join(sandbox.mireholtDir, "Mireholt.exe"); }

    const std::string longText = std::string(400, 'L') + " end";
    Sandbox sandbox;
    std::unique_ptr<Toolkit> app;
};

TEST_F(SettingsLocationTest, ShowsBothPlacesAndEveryValueThatDiffersWhole) {
    SeedSplit();
    ASSERT_TRUE(Start());
    HWND dialog = Open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), app->Main());
    EXPECT_EQ(FocusedControl(dialog), ::GetDlgItem(dialog, IDC_SL_VALUES));
    EXPECT_EQ(Shown(dialog, IDC_SL_MACHINE_KEY), "HKEY_LOCAL_MACHINE\\Software\\Tarnwell\\Mireholt (32-bit view)");
    EXPECT_EQ(Shown(dialog, IDC_SL_MACHINE_STATE), "exists");
    EXPECT_EQ(Shown(dialog, IDC_SL_USER_KEY), "HKEY_CURRENT_USER\\" + UserCopyPath(GameFamily::Mireholt));
    EXPECT_EQ(Shown(dialog, IDC_SL_USER_STATE), "exists");
    // Wine has no virtualization: the token query fails safe.
    EXPECT_EQ(Shown(dialog, IDC_SL_VIRTUALIZED),
              "This program is not virtualized: it reads and writes the machine key itself.");

    const Rows expected = {
        {"ALongText", "(not present)", longText},
        {"Blob", "(not present)", "REG_BINARY: 00 ff 10"},
        {"Expanded", "REG_EXPAND_SZ: %TEMP%", "REG_SZ: %TEMP%"},
        {"InstallationPath", sandbox.mireholtDir, "(not present)"},
        {"MultiplayerPlayerName", "Machine Ranger", "My Ranger"},
        {"OnlyMachine", "kept", "(not present)"},
        {"OnlyMine", "(not present)", "mine"},
        {"Volume", "REG_DWORD: 70 (0x46)", "REG_DWORD: 258 (0x102)"},
    };
    EXPECT_EQ(Table(dialog), expected);
    // The first row is selected and shown whole below the table.
    EXPECT_EQ(Shown(dialog, IDC_SL_DETAIL), "ALongText\r\nMachine: (not present)\r\nYours: " + longText);
    EXPECT_EQ(Shown(dialog, IDC_SL_RUNAS), MireholtExe() + ": not set to run as administrator");
    EXPECT_EQ(Shown(dialog, IDC_SL_EXPLANATION),
              "Started normally, the game reads your per-user copy first (the machine value where the copy has "
              "none); started as administrator, it reads the machine values only.");
    EXPECT_TRUE(Enabled(dialog, IDC_SL_MATCH));
    EXPECT_TRUE(Enabled(dialog, IDC_SL_FORGET));

    // Closing changes nothing.
    const RegValues machine = MachineValues(GameFamily::Mireholt), mine = UserCopyValues(GameFamily::Mireholt);
    Close(dialog);
    EXPECT_EQ(MachineValues(GameFamily::Mireholt), machine);
    EXPECT_EQ(UserCopyValues(GameFamily::Mireholt), mine);
    EXPECT_TRUE(app->NoMessageWindow());
}

TEST_F(SettingsLocationTest, SaysWhatDoesNotExistAndOffersNothing) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(app->NoMessageWindow());
    EXPECT_EQ(ItemText(), kItem);
    HWND dialog = Open();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Shown(dialog, IDC_SL_MACHINE_STATE), "does not exist");
    EXPECT_EQ(Shown(dialog, IDC_SL_USER_STATE), "does not exist");
    EXPECT_TRUE(Table(dialog).empty());
    EXPECT_EQ(Shown(dialog, IDC_SL_DETAIL), "No value differs.");
    EXPECT_EQ(Shown(dialog, IDC_SL_RUNAS), "The games' executables are unknown: the installation path is not set.");
    EXPECT_EQ(Shown(dialog, IDC_SL_EXPLANATION),
              "There is no per-user copy: started normally or as administrator, the game reads the machine values.");
    EXPECT_FALSE(Enabled(dialog, IDC_SL_MATCH));
    EXPECT_FALSE(Enabled(dialog, IDC_SL_FORGET));
    Close(dialog);
}

TEST_F(SettingsLocationTest, RunAsAdministratorIsFoundInEveryPlaceWindowsKeepsIt) {
    const struct {
        HKEY root;
        REGSAM view;
        const char* layers;
        bool runsAsAdmin;
        const char* shown;
    } cases[] = {
        {HKEY_CURRENT_USER, 0, "~ RUNASADMIN", true, "set to run as administrator, for you"},
        {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, "$ WINXPSP3 RUNASADMIN", true,
         "set to run as administrator, for every user"},
        {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "RUNASADMIN", true, "set to run as administrator, for every user"},
        {HKEY_CURRENT_USER, 0, "~ WINXPSP3 RUNASINVOKER", false, "not set to run as administrator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layers);
        SeedSplit();
        // Windows keeps the path as it was given; the comparison ignores case.
        std::string path = MireholtExe();
        for (char& ch : path) ch = static_cast<char>(::toupper(static_cast<unsigned char>(ch)));
        SetLayers(c.root, c.view, path, c.layers);
        ASSERT_TRUE(Start());
        EXPECT_EQ(ItemText(), c.runsAsAdmin ? kItemDiffers : kItem);
        EXPECT_TRUE(app->NoMessageWindow());
        HWND dialog = Open();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(Shown(dialog, IDC_SL_RUNAS), MireholtExe() + ": " + c.shown);
        Close(dialog);
        app.reset();
        DeleteLayersBelow(sandbox.root);
    }
}

TEST_F(SettingsLocationTest, MenuItemFollowsTheChosenGameWithoutAMessage) {
    SeedSplit();
    SetLayers(HKEY_CURRENT_USER, 0, Join(sandbox.orvantaDir, "orvantaMP.exe"), "~ RUNASADMIN");
    ASSERT_TRUE(Start());
    // Mireholt has a differing copy but runs normally; Orvanta's expansion runs as administrator.
    EXPECT_EQ(ItemText(), kItem);
    Choose(*app, IDC_SELECT_OV);
    EXPECT_EQ(ItemText(), kItemDiffers);  // the expansion shares Orvanta's key
    Choose(*app, IDC_SELECT_MH);
    EXPECT_EQ(ItemText(), kItem);
    // Read once for each game family chosen: a change made elsewhere shows at the next change of family.
    SetLayers(HKEY_CURRENT_USER, 0, MireholtExe(), "~ RUNASADMIN");
    Choose(*app, IDC_SELECT_BM);
    EXPECT_EQ(ItemText(), kItemDiffers);
    Choose(*app, IDC_SELECT_MH);
    EXPECT_EQ(ItemText(), kItemDiffers);
    EXPECT_EQ(Text(app->Main()), "MH Toolkit");
    EXPECT_TRUE(app->NoMessageWindow());

    // Equal copies do not count, nor do values only the machine key holds.
    ::RegDeleteTreeA(HKEY_CURRENT_USER, UserCopyPath(GameFamily::Mireholt).c_str());
    SetUserCopyString(GameFamily::Mireholt, "Equal", "same");
    EXPECT_EQ(ItemForMireholtAgain(), kItem);

    // A value the machine key lacks differs; once the program itself writes it there (Join stores the
    // port it starts with), the next click shows that, on the chosen game's radio too.
    SetUserCopyRaw(GameFamily::Mireholt, "MultiplayerManualJoinPort", REG_EXPAND_SZ, Sz("4000"));
    EXPECT_EQ(ItemForMireholtAgain(), kItemDiffers);
    SetText(app->Item(IDC_SERVER_ADDRESS), "192.0.2.9");
    SetText(app->Item(IDC_PORT), "4000");
    Click(app->Item(IDC_JOIN));
    ASSERT_EQ(WaitStarted(1).size(), 1u);
    Choose(*app, IDC_SELECT_MH);
    EXPECT_EQ(ItemText(), kItem);
    // The same text of another type differs.
    SetUserCopyRaw(GameFamily::Mireholt, "MultiplayerManualJoinPort", REG_SZ, Sz("4000"));
    EXPECT_EQ(ItemForMireholtAgain(), kItemDiffers);
    EXPECT_TRUE(app->NoMessageWindow());
}

TEST_F(SettingsLocationTest, AJoinRequestThatOpensTheWindowLabelsTheItemForItsGame) {
    SeedSplit();
    SetLayers(HKEY_CURRENT_USER, 0, Join(sandbox.orvantaDir, "orvanta.exe"), "~ RUNASADMIN");
    // Orvanta has no stored port: Join stops with its message and the window opens with Orvanta chosen.
    app = std::make_unique<Toolkit>(sandbox.work, Args({"--join", "ov", "192.0.2.9"}));
    EXPECT_EQ(app->TakeMessage(), "Please enter a port (2346 is default)");
    ASSERT_TRUE(IsChecked(app->Item(IDC_SELECT_OV)));
    EXPECT_EQ(ItemText(), kItemDiffers);
    Choose(*app, IDC_SELECT_MH);
    EXPECT_EQ(ItemText(), kItem);
}

TEST_F(SettingsLocationTest, MakeTheMachineValuesMatchStartsAnElevatedCopyOfTheDifferingValues) {
    SeedSplit();
    SetLayers(HKEY_CURRENT_USER, 0, MireholtExe(), "~ RUNASADMIN");
    ASSERT_TRUE(Start());
    ChildWatch children(app->Process());
    EXPECT_EQ(ItemText(), kItemDiffers);
    RegValues expected = MachineValues(GameFamily::Mireholt);
    const RegValues mine = UserCopyValues(GameFamily::Mireholt);
    const RegValues orvanta = MachineValues(GameFamily::Orvanta), orvantaMine = UserCopyValues(GameFamily::Orvanta);
    // Under the machine key's spelling of a name where it has the value.
    StoredValues copied;
    for (auto names : {std::make_pair("ALongText", "ALongText"), std::make_pair("Blob", "Blob"),
                       std::make_pair("Expanded", "Expanded"),
                       std::make_pair("MultiplayerPlayerName", "multiplayerplayername"),
                       std::make_pair("OnlyMine", "OnlyMine"), std::make_pair("Volume", "Volume")}) {
        const RegValue& value = mine.at(names.second);
        copied[names.first] = StoredValue{value.type, value.data};
    }

    HWND dialog = Open();
    ASSERT_TRUE(dialog);
    Click(::GetDlgItem(dialog, IDC_SL_MATCH));
    // Shown again with what is now true: only the value the per-user copy lacks still differs.
    ASSERT_TRUE(WaitFor([&] { return Table(dialog).size() == 2; }));
    EXPECT_EQ(Table(dialog), (Rows{{"InstallationPath", sandbox.mireholtDir, "(not present)"},
                                   {"OnlyMachine", "kept", "(not present)"}}));
    EXPECT_FALSE(Enabled(dialog, IDC_SL_MATCH));
    EXPECT_TRUE(KeyboardReady(dialog));
    EXPECT_TRUE(app->NoMessageWindow());

    // Wine starts the "runas" verb as a normal start: the program itself, with the option.
    const std::string program = Join(Join(TestDir(), "app"), "MHToolkit.exe");
    EXPECT_EQ(children.CommandLines(), std::vector<std::string>{"\"" + program + "\" --write-machine-values Mireholt " +
                                                                EncodeValues(copied)});

    // The machine key holds the copied values as the per-user copy holds them, and nothing else changed.
    expected.erase("MultiplayerPlayerName");
    expected.erase("Volume");
    expected.erase("Expanded");
    for (const auto& value : copied) expected[value.first] = RegValue{value.second.type, value.second.data};
    EXPECT_EQ(MachineValues(GameFamily::Mireholt), expected);
    EXPECT_EQ(UserCopyValues(GameFamily::Mireholt), mine);
    EXPECT_EQ(MachineValues(GameFamily::Orvanta), orvanta);
    EXPECT_EQ(UserCopyValues(GameFamily::Orvanta), orvantaMine);

    Close(dialog);
    EXPECT_EQ(ItemText(), kItem);
}

TEST_F(SettingsLocationTest, TheCopyOptionWritesOnlyWellFormedValuesAndShowsNoWindow) {
    sandbox.InstallGame(GameFamily::Orvanta);
    SetString(GameFamily::Orvanta, "Kept", "machine");
    // A running copy of the program does not stop it.
    ASSERT_TRUE(Start());
    const RegValues before = MachineValues(GameFamily::Orvanta);
    const StoredValues values = {{"Name", StoredValue{REG_SZ, Sz("caf\xe9 \"&\" | %x%")}},
                                 {"Number", StoredValue{REG_DWORD, Dword(5)}}};
    const std::string payload = EncodeValues(values);
    const char* refused[] = {"--write-machine-values",
                             "--write-machine-values Orvanta",
                             "--write-machine-values orvanta ",
                             "--write-machine-values Orvanta 4e.1.zz",
                             "--write-machine-values Orvanta 4e.1.00 extra",
                             "--write-machine-values Haskett 4e.1.00"};
    for (const char* arguments : refused) {
        EXPECT_EQ(RunToolkit(arguments), std::optional<DWORD>(2)) << arguments;
        EXPECT_EQ(MachineValues(GameFamily::Orvanta), before) << arguments;
    }
    EXPECT_EQ(RunToolkit(MachineValuesParameters(GameFamily::Orvanta, values)), std::optional<DWORD>(0));
    RegValues expected = before;
    for (const auto& value : values) expected[value.first] = RegValue{value.second.type, value.second.data};
    EXPECT_EQ(MachineValues(GameFamily::Orvanta), expected);
    EXPECT_TRUE(MachineValues(GameFamily::Mireholt).empty());

    // A missing key is created, so that an elevated game finds the values too.
    EXPECT_EQ(RunToolkit(MachineValuesParameters(GameFamily::Mireholt, values)), std::optional<DWORD>(0));
    EXPECT_EQ(MachineValues(GameFamily::Mireholt).size(), 2u);
    EXPECT_EQ(Dialogs(app->Pid()).size(), 1u);
}

TEST_F(SettingsLocationTest, ForgetAsksNamingWhatIsLostAndDeletesOnlyThatCopy) {
    SeedSplit();
    ASSERT_TRUE(Start());
    const RegValues machine = MachineValues(GameFamily::Mireholt), mine = UserCopyValues(GameFamily::Mireholt);
    HWND dialog = Open();
    ASSERT_TRUE(dialog);
    for (int answer : {IDNO, IDYES}) {
        Click(::GetDlgItem(dialog, IDC_SL_FORGET));
        MessageBoxInfo box = app->WaitMessageBox();
        ASSERT_TRUE(box.hWnd);
        EXPECT_EQ(box.owner, dialog);
        EXPECT_TRUE(::GetDlgItem(box.hWnd, IDYES) && ::GetDlgItem(box.hWnd, IDNO));
        EXPECT_EQ(box.text.rfind("Forget your per-user copy of the Mireholt settings?\n\nThese values of yours will "
                                 "be lost:\n", 0),
                  0u);
        EXPECT_NE(box.text.find("    MultiplayerPlayerName = My Ranger\n"), std::string::npos);
        EXPECT_NE(box.text.find("    Volume = REG_DWORD: 258 (0x102)\n"), std::string::npos);
        EXPECT_EQ(box.text.find("OnlyMachine"), std::string::npos);
        EXPECT_EQ(box.text.find("Equal"), std::string::npos);
        ::PostMessageA(box.hWnd, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(box.hWnd); }));
        RoundTrip(dialog);
        if (answer == IDNO) {
            EXPECT_EQ(UserCopyValues(GameFamily::Mireholt), mine);
            EXPECT_EQ(Shown(dialog, IDC_SL_USER_STATE), "exists");
        }
    }
    EXPECT_FALSE(UserCopyExists(GameFamily::Mireholt));
    EXPECT_TRUE(UserCopyExists(GameFamily::Orvanta));
    EXPECT_EQ(MachineValues(GameFamily::Mireholt), machine);
    EXPECT_EQ(Shown(dialog, IDC_SL_USER_STATE), "does not exist");
    EXPECT_EQ(Table(dialog), (Rows{{"Equal", "same", "(not present)"},
                                   {"Expanded", "%TEMP%", "(not present)"},
                                   {"InstallationPath", sandbox.mireholtDir, "(not present)"},
                                   {"MultiplayerPlayerName", "Machine Ranger", "(not present)"},
                                   {"OnlyMachine", "kept", "(not present)"},
                                   {"Volume", "REG_DWORD: 70 (0x46)", "(not present)"}}));
    EXPECT_FALSE(Enabled(dialog, IDC_SL_FORGET));
    EXPECT_FALSE(Enabled(dialog, IDC_SL_MATCH));
    EXPECT_TRUE(KeyboardReady(dialog));
    Close(dialog);
}

}  // namespace
