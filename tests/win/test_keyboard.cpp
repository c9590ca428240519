// The keyboard and the ways of closing the real program. A few tests type real keystrokes
// through the X server; the rest post the keys and commands to the program.
#include <gtest/gtest.h>

#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

class Keyboard : public ::testing::Test {
protected:
    void SeedMireholt(const std::string& port) { sandbox.SeedServer(GameFamily::Mireholt, "192.0.2.7", port); }

    // The stored values are untouched: same text, still the REG_SZ they were seeded as.
    void ExpectStoredUnchanged(const std::string& port) {
        auto address = GetValue(GameFamily::Mireholt, kAddressValue);
        auto stored = GetValue(GameFamily::Mireholt, kPortValue);
        ASSERT_TRUE(address && stored);
        EXPECT_EQ(address->Text(), "192.0.2.7");
        EXPECT_EQ(stored->Text(), port);
        EXPECT_EQ(address->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(stored->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(ValueCount(GameFamily::Mireholt), 3);
        EXPECT_FALSE(GameKeyExists(GameFamily::Orvanta));
    }

    Sandbox sandbox;
};

const std::optional<DWORD> kExitedNormally(0);

// --- Real keystrokes -------------------------------------------------------------------------------------

TEST_F(Keyboard, TabVisitsTheTabStopsInTemplateOrderAndWrapsAround) {
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    // The radios have no tab stop in the template; checking one gives it the stop of its group.
    const int order[] = {IDC_JOIN,          IDC_PING,           IDC_CREATE,        IDC_PORT,
                         IDC_ABOUT,         IDC_LOCAL_IP,       IDC_PLAYER_CONFIG, IDC_SERVER_CONFIG,
                         IDC_GENERAL_OPTIONS, IDC_ADDRESS_BOOK, IDC_SELECT_MH,     IDC_TELNET,
                         IDC_SERVER_ADDRESS};
    ASSERT_TRUE(WaitFor([&] { return FocusedControl(main) == app.Item(IDC_SERVER_ADDRESS); }));
    for (int id : order) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(PressKeys(main, "Tab"));
        ASSERT_TRUE(WaitFor([&] { return FocusedControl(main) == app.Item(id); }))
            << "focus on " << ::GetDlgCtrlID(FocusedControl(main));
    }
    ASSERT_TRUE(PressKeys(main, "shift+Tab"));
    EXPECT_TRUE(WaitFor([&] { return FocusedControl(main) == app.Item(IDC_TELNET); }));
}

TEST_F(Keyboard, EnterInTheAddressFieldEndsTheProgramWithoutWriting) {
    SeedMireholt("2346");
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    SetText(app.Item(IDC_SERVER_ADDRESS), "203.0.113.9");
    SetText(app.Item(IDC_PORT), "77");
    ASSERT_TRUE(WaitFor([&] { return FocusedControl(main) == app.Item(IDC_SERVER_ADDRESS); }));
    ASSERT_TRUE(PressKeys(main, "Return"));
    EXPECT_EQ(app.WaitExit(), kExitedNormally);
    ExpectStoredUnchanged("2346");
}

TEST_F(Keyboard, EscapeEndsTheProgram) {
    SeedMireholt("2346");
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    SetText(app.Item(IDC_SERVER_ADDRESS), "203.0.113.9");
    ASSERT_TRUE(PressKeys(main, "Escape"));
    EXPECT_EQ(app.WaitExit(), kExitedNormally);
    ExpectStoredUnchanged("2346");
}

TEST_F(Keyboard, SystemMenuOpensWithAltSpaceAndItsLastItemOpensTheAboutBox) {
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    // Up from the first item wraps round to the last one, the program's own.
    ASSERT_TRUE(PressKeys(main, "alt+space Up Return"));
    HWND about = app.WaitDialog("");
    ASSERT_TRUE(about);
    EXPECT_FALSE(::IsWindowEnabled(main));  // the main window waits while the box is open
    ::PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(about); }));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowEnabled(main) != FALSE; }));
    EXPECT_FALSE(app.WaitExit(0));
}

// --- Posted keys and commands ------------------------------------------------------------------------------

TEST_F(Keyboard, CloseBoxAndCloseMessageEndTheProgramWithoutWriting) {
    SeedMireholt("2346");
    for (UINT message : {static_cast<UINT>(WM_SYSCOMMAND), static_cast<UINT>(WM_CLOSE)}) {
        SCOPED_TRACE(message);
        Toolkit app(sandbox.work);
        HWND main = app.Main();
        ASSERT_TRUE(main);
        SetText(app.Item(IDC_SERVER_ADDRESS), "203.0.113.9");
        if (message == WM_SYSCOMMAND)
            ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);  // what the close box sends
        else
            ::PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(app.WaitExit(), kExitedNormally);
        EXPECT_TRUE(app.NoMessageBox());
    }
    ExpectStoredUnchanged("2346");
}

TEST_F(Keyboard, EnterWithAStoredPortOverFourCharactersKeepsTheProgramOpen) {
    SeedMireholt("234678");
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    HWND address = app.Item(IDC_SERVER_ADDRESS);

    PostKey(address, VK_RETURN);
    EXPECT_EQ(app.TakeMessage(), "This field holds at most 4 characters.");
    // Still running and working: a Ping, whose save fails the same way, goes through afterwards.
    Click(app.Item(IDC_PING));
    EXPECT_EQ(app.TakeMessage(), "This field holds at most 4 characters.");
    EXPECT_EQ(WaitStarted(1).size(), 1u);
    EXPECT_FALSE(app.WaitExit(0));
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_TRUE(WaitForFocus(main, app.Item(IDC_PORT))) << FocusReport(main);

    // Once the port fits, Enter ends it; the long stored port was never overwritten.
    SetText(app.Item(IDC_PORT), "2346");
    FocusControl(main, address);
    ASSERT_TRUE(WaitFor([&] { return FocusedControl(main) == address; }));
    PostKey(address, VK_RETURN);
    EXPECT_EQ(app.WaitExit(), kExitedNormally);
    ExpectStoredUnchanged("234678");
}

}  // namespace
