// Start-up of the real program: what the main window shows first, the single-copy rule, the
// system-menu item and the local IP field.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

class StartUp : public ::testing::Test {
protected:
    std::string AppExe() const { return Join(Join(TestDir(), "app"), "MHToolkit.exe"); }

    Sandbox sandbox;
};

TEST_F(StartUp, ShowsMireholtWithItsStoredServerInItsInstallationFolder) {
    sandbox.SeedBothFamilies();
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);

    EXPECT_TRUE(IsChecked(app.Item(IDC_SELECT_MH)));
    EXPECT_FALSE(IsChecked(app.Item(IDC_SELECT_OV)));
    EXPECT_FALSE(IsChecked(app.Item(IDC_SELECT_BM)));
    EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), "192.0.2.7");
    EXPECT_EQ(Text(app.Item(IDC_PORT)), "2346");
    EXPECT_EQ(Text(main), "MH Toolkit");
    EXPECT_TRUE(app.NoMessageBox());
    EXPECT_TRUE(WaitFor([&] { return FocusedControl(main) == app.Item(IDC_SERVER_ADDRESS); }));

    // Ping changes no folder: it runs where start-up left the program.
    Click(app.Item(IDC_PING));
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].exe, "ping.exe");
    EXPECT_EQ(started[0].directory, sandbox.mireholtDir);

    // Reading wrote nothing back: the seeded values keep their type.
    EXPECT_EQ(GetValue(GameFamily::Mireholt, kAddressValue)->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(GetValue(GameFamily::Mireholt, kPortValue)->type, static_cast<DWORD>(REG_SZ));
}

TEST_F(StartUp, MissingMireholtKeyStaysSilentUntilMireholtIsUsed) {
    sandbox.InstallGame(GameFamily::Orvanta);
    SetString(GameFamily::Orvanta, kAddressValue, "198.51.100.1");
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());

    // The dialog only shows once its initialisation is over, so a start-up message would be up by now.
    EXPECT_TRUE(app.NoMessageWindow());
    EXPECT_TRUE(IsChecked(app.Item(IDC_SELECT_MH)));
    EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), "");
    EXPECT_EQ(Text(app.Item(IDC_PORT)), "");

    SetText(app.Item(IDC_SERVER_ADDRESS), "192.0.2.7");
    SetText(app.Item(IDC_PORT), "2346");
    Click(app.Item(IDC_PING));
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].directory, sandbox.work);  // no installation folder to follow

    Click(app.Item(IDC_JOIN));
    EXPECT_EQ(app.TakeMessage(), "Mireholt is not installed!");
    EXPECT_FALSE(GameKeyExists(GameFamily::Mireholt));
}

TEST_F(StartUp, SecondCopyIsRefusedWithAWarningAndEndsWithCodeZero) {
    sandbox.SeedBothFamilies();
    Toolkit first(sandbox.work);
    ASSERT_TRUE(first.Main());

    Toolkit second(sandbox.work);
    MessageBoxInfo box = second.WaitMessageBox();
    ASSERT_TRUE(box.hWnd);
    EXPECT_EQ(box.text, "MH Toolkit is already running!");
    EXPECT_EQ(box.caption, "MHToolkit");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(IconOf(box), BoxIcon::Exclamation);
    // The refusal is the only window of the second copy.
    EXPECT_EQ(AllDialogs(second.Pid()), std::vector<HWND>{box.hWnd});

    second.Dismiss(box);
    EXPECT_EQ(second.WaitExit(), std::optional<DWORD>(0));

    // The first copy goes on undisturbed.
    EXPECT_FALSE(first.WaitExit(0));
    EXPECT_TRUE(::IsWindowVisible(first.Main()));
    EXPECT_TRUE(first.NoMessageBox());
}

TEST_F(StartUp, AnyWindowTitledMHToolkitBlocksAndTheCaptionFollowsTheExeName) {
    const std::string renamed = Join(sandbox.root, "Tool.v2.exe");
    ASSERT_TRUE(::CopyFileA(AppExe().c_str(), renamed.c_str(), FALSE));
    {
        ForeignWindow other("MH Toolkit");
        ASSERT_TRUE(other.hWnd());

        Toolkit refused(sandbox.work, renamed);
        MessageBoxInfo box = refused.WaitMessageBox();
        ASSERT_TRUE(box.hWnd);
        EXPECT_EQ(box.text, "MH Toolkit is already running!");
        EXPECT_EQ(box.caption, "Tool.v2");  // the file name without its last extension
        EXPECT_EQ(IconOf(box), BoxIcon::Exclamation);
        refused.Dismiss(box);
        EXPECT_EQ(refused.WaitExit(), std::optional<DWORD>(0));
    }
    // With that window gone the title test passes: the title was the only reason.
    Toolkit started(sandbox.work, renamed);
    ASSERT_TRUE(started.Main());
    EXPECT_TRUE(started.NoMessageBox());
}

TEST_F(StartUp, SystemMenuEndsWithASeparatorAndTheAboutItem) {
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);

    const std::vector<MenuItem> items = SystemMenu(main);
    ASSERT_GE(items.size(), 3u);
    const MenuItem& about = items.back();
    const MenuItem& separator = items[items.size() - 2];
    EXPECT_EQ(about.id, 16u);
    EXPECT_EQ(about.text, "&About ov...");
    EXPECT_EQ(about.type, static_cast<UINT>(MFT_STRING));
    EXPECT_TRUE(separator.type & MFT_SEPARATOR);
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const MenuItem& item) { return item.id == 16; }), 1);
    // The standard commands stay in the menu.
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const MenuItem& item) { return item.id == SC_CLOSE; }));
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const MenuItem& item) { return item.id == SC_MINIMIZE; }));
}

// The first address of this host, looked up as the program does it.
std::string OwnAddress() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 0), &data) != 0) return std::string();
    std::string text;
    char name[256] = {};
    if (::gethostname(name, 255) == 0)
        if (const hostent* host = ::gethostbyname(name))
            if (host->h_addr_list && host->h_addr_list[0])
                text = ::inet_ntoa(*reinterpret_cast<const in_addr*>(host->h_addr_list[0]));
    ::WSACleanup();
    return text;
}

bool IsDottedAddress(const std::string& text) {
    static const std::regex form(R"((25[0-5]|2[0-4]\d|1?\d?\d)(\.(25[0-5]|2[0-4]\d|1?\d?\d)){3})");
    return std::regex_match(text, form);
}

TEST_F(StartUp, IpFieldShowsTheHostsFirstAddressDotted) {
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    const std::string shown = Text(app.Item(IDC_LOCAL_IP));
    EXPECT_TRUE(IsDottedAddress(shown)) << shown;
    EXPECT_EQ(shown, OwnAddress());
    if (!SuiteAddress().empty()) {
        EXPECT_EQ(shown, SuiteAddress());  // the namespace's adapter
    }
    // Read-only: shown, not for typing.
    EXPECT_TRUE(::GetWindowLongA(app.Item(IDC_LOCAL_IP), GWL_STYLE) & ES_READONLY);
}

TEST_F(StartUp, IpRefreshPutsFieldsAndRadiosBackToTheLastSavedValues) {
    sandbox.SeedBothFamilies();
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    HWND address = app.Item(IDC_SERVER_ADDRESS), port = app.Item(IDC_PORT), ip = app.Item(IDC_LOCAL_IP);

    // Typing and a radio state that no save has taken yet.
    SetText(address, "203.0.113.9");
    SetText(port, "77");
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(app.Item(IDC_SELECT_MH), BM_SETCHECK, BST_UNCHECKED, 0, SMTO_NORMAL, 5000, &ignored);
    ::SendMessageTimeoutA(app.Item(IDC_SELECT_BM), BM_SETCHECK, BST_CHECKED, 0, SMTO_NORMAL, 5000, &ignored);
    SetText(ip, "");

    ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_LOCAL_IP, EN_VSCROLL), reinterpret_cast<LPARAM>(ip));
    EXPECT_TRUE(WaitFor([&] { return Text(address) == "192.0.2.7"; }));
    EXPECT_EQ(Text(port), "2346");
    EXPECT_TRUE(IsChecked(app.Item(IDC_SELECT_MH)));
    EXPECT_FALSE(IsChecked(app.Item(IDC_SELECT_BM)));
    EXPECT_TRUE(IsDottedAddress(Text(ip))) << Text(ip);
    EXPECT_TRUE(app.NoMessageBox());
    EXPECT_EQ(GetValue(GameFamily::Mireholt, kAddressValue)->type, static_cast<DWORD>(REG_SZ));
}

}  // namespace
