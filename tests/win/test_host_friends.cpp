// Host for Friends as far as it goes without a network: the system-menu item opens the dialog for the
// game chosen in the main window with its port as typed, the copy buttons wait for an open port,
// and Close or Esc ends it. Open Port and Close Port talk to a router: their tests run inside network
// namespaces with a real one, never here.
#include <gtest/gtest.h>

#include "harness.h"
#include "host_friends_ids.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

class HostForFriends : public ::testing::Test {
protected:
    HWND Start() {
        app = std::make_unique<Toolkit>(sandbox.work);
        return app->Main();
    }
    HWND Open() { return OpenHostForFriends(*app); }
    void Close(HWND dialog) {
        Click(::GetDlgItem(dialog, IDCANCEL));
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
        RoundTrip(app->Main());
    }
    bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

    Sandbox sandbox;
    std::unique_ptr<Toolkit> app;
};

TEST_F(HostForFriends, OpensForTheChosenGameWithThePortAsTyped) {
    sandbox.SeedBothFamilies();
    ASSERT_TRUE(Start());
    struct Case {
        int radio;         // 0: the game shown at start
        const char* port;  // typed into the main window, not saved; nullptr: as loaded
        const char* game, *shownPort;
    };
    const Case cases[] = {
        {0, nullptr, "Mireholt", "2346"},
        {IDC_SELECT_BM, "", "Brightmoor", ""},
        {IDC_SELECT_MH, "0", "Mireholt", "0"},  // checked only when a button asks the router
        {IDC_SELECT_OV, "27015", "Orvanta", "27015"},  // longer than the main window keeps: no save, no message
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.game);
        if (c.radio) Choose(*app, c.radio);
        if (c.port) SetText(app->Item(IDC_PORT), c.port);
        HWND dialog = Open();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(::GetWindow(dialog, GW_OWNER), app->Main());
        EXPECT_FALSE(::IsWindowEnabled(app->Main()));
        EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_HOST_GAME)), c.game);
        EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_HOST_PORT)), c.shownPort);
        EXPECT_EQ(Text(::GetDlgItem(dialog, IDC_HOST_RESULT)), "");
        for (int id : {IDC_HOST_OPEN, IDC_HOST_CLOSE_PORT, IDCANCEL}) EXPECT_TRUE(Enabled(dialog, id)) << id;
        for (int id : {IDC_HOST_COPY_LINK, IDC_HOST_COPY_ADDRESS}) EXPECT_FALSE(Enabled(dialog, id)) << id;
        const LONG resultStyle = ::GetWindowLongA(::GetDlgItem(dialog, IDC_HOST_RESULT), GWL_STYLE);
        EXPECT_TRUE((resultStyle & ES_READONLY) && (resultStyle & ES_MULTILINE));
        Close(dialog);
        EXPECT_TRUE(::IsWindowEnabled(app->Main()));
    }
    EXPECT_TRUE(app->NoMessageWindow());
    // Nothing was saved: the stored ports are the seeded ones.
    EXPECT_EQ(GetText(GameFamily::Orvanta, kPortValue), "1111");
    EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), "2346");
}

}  // namespace
