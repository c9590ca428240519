// The About box, opened from its button, the system menu and system commands of the main window.
#include <gtest/gtest.h>

#include <memory>

#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox.InstallGame(GameFamily::Mireholt);
        SetString(GameFamily::Mireholt, kAddressValue, "192.0.2.7");
        SetString(GameFamily::Mireholt, kPortValue, "2346");
        app = std::make_unique<Toolkit>(sandbox.work);
        main = app->Main();
        ASSERT_TRUE(main);
    }

    // Any About box of the program, shown or not yet shown: an untitled dialog that is no message box.
    std::vector<HWND> AboutBoxes() {
        std::vector<HWND> boxes;
        for (HWND hWnd : AllDialogs(app->Pid()))
            if (hWnd != main && Text(hWnd).empty() && !IsMessageBox(hWnd)) boxes.push_back(hWnd);
        return boxes;
    }
    // A popup menu of the program is showing.
    bool MenuOpen() {
        for (HWND menu = ::FindWindowExA(nullptr, nullptr, "#32768", nullptr); menu;
             menu = ::FindWindowExA(nullptr, menu, "#32768", nullptr)) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(menu, &pid);
            if (pid == app->Pid() && ::IsWindowVisible(menu)) return true;
        }
        return false;
    }
    void SysCommand(WPARAM command) { ::PostMessageA(main, WM_SYSCOMMAND, command, 0); }
    // Closes the box with its caption's close box; true once no About box is left and the main window
    // takes input again.
    bool CloseAndSettle(HWND box) {
        ::PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        return WaitFor([&] { return AboutBoxes().empty() && ::IsWindowEnabled(main); }, 3000);
    }

    Sandbox sandbox;
    std::unique_ptr<Toolkit> app;
    HWND main = nullptr;
};

struct BoxShape {
    LONG style;
    RECT client;
    std::vector<std::string> childClasses;
    LONG pictureStyle;
    bool hasPicture;
};

BoxShape ShapeOf(HWND box) {
    BoxShape shape{};
    shape.style = ::GetWindowLongA(box, GWL_STYLE);
    ::GetClientRect(box, &shape.client);
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        shape.childClasses.push_back(ClassName(child));
        shape.pictureStyle = ::GetWindowLongA(child, GWL_STYLE);
        shape.hasPicture = Query(child, STM_GETIMAGE, IMAGE_BITMAP) != 0;
    }
    return shape;
}

TEST_F(AboutBox, ButtonAndSystemMenuItemOpenTheSamePictureBox) {
    Click(app->Item(IDC_ABOUT));
    HWND box = app->WaitDialog("");
    ASSERT_TRUE(box);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), main);
    EXPECT_FALSE(::IsWindowEnabled(main));  // the main window waits
    const BoxShape fromButton = ShapeOf(box);
    EXPECT_EQ(fromButton.childClasses, std::vector<std::string>{"Static"});
    EXPECT_EQ(fromButton.pictureStyle & SS_TYPEMASK, SS_BITMAP);
    EXPECT_TRUE(fromButton.pictureStyle & SS_CENTERIMAGE);
    EXPECT_TRUE(fromButton.pictureStyle & SS_SUNKEN);
    EXPECT_TRUE(fromButton.hasPicture);
    const LONG frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(fromButton.style & frame, frame);
    // Escape closes it.
    PostKey(box, VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return AboutBoxes().empty() && ::IsWindowEnabled(main); }));

    // The system menu, opened from the keyboard: its last item.
    ::PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(WaitFor([&] { return MenuOpen(); }));
    PostKey(main, VK_END);
    PostKey(main, VK_RETURN);
    box = app->WaitDialog("");
    ASSERT_TRUE(box);
    const BoxShape fromMenu = ShapeOf(box);
    EXPECT_EQ(fromMenu.childClasses, fromButton.childClasses);
    EXPECT_EQ(fromMenu.pictureStyle, fromButton.pictureStyle);
    EXPECT_EQ(fromMenu.style, fromButton.style);
    EXPECT_EQ(fromMenu.client.right, fromButton.client.right);
    EXPECT_EQ(fromMenu.client.bottom, fromButton.client.bottom);
    EXPECT_TRUE(CloseAndSettle(box));
}

TEST_F(AboutBox, SystemCommandsOpenItByAllButTheirLowFourBits) {
    for (WPARAM command : {16, 31}) {
        SysCommand(command);
        HWND box = app->WaitDialog("");
        ASSERT_TRUE(box) << command;
        EXPECT_TRUE(CloseAndSettle(box)) << command;
    }
    // 15 and 32 open nothing: had either opened a box, the one that 16 opens after them would be
    // stacked on it, and closing that one would leave a box behind and the main window disabled.
    SysCommand(15);
    SysCommand(32);
    SysCommand(16);
    HWND box = app->WaitDialog("");
    ASSERT_TRUE(box);
    EXPECT_TRUE(CloseAndSettle(box));
}

TEST_F(AboutBox, StandardSystemCommandsStillWork) {
    SysCommand(SC_MINIMIZE);
    EXPECT_TRUE(WaitFor([&] { return ::IsIconic(main) != FALSE; }));
    SysCommand(SC_RESTORE);
    EXPECT_TRUE(WaitFor([&] { return ::IsIconic(main) == FALSE; }));
    SysCommand(SC_CLOSE);
    EXPECT_EQ(app->WaitExit(), std::optional<DWORD>(0));
}

TEST_F(AboutBox, MainWindowContinuesUnchangedAfterTheBoxCloses) {
    ASSERT_EQ(Text(app->Item(IDC_SERVER_ADDRESS)), "192.0.2.7");
    SetText(app->Item(IDC_SERVER_ADDRESS), "typed, not yet saved");
    const std::string localIp = Text(app->Item(IDC_LOCAL_IP));
    const int values = ValueCount(GameFamily::Mireholt);

    Click(app->Item(IDC_ABOUT));
    HWND box = app->WaitDialog("");
    ASSERT_TRUE(box);
    ASSERT_TRUE(CloseAndSettle(box));

    EXPECT_EQ(Text(app->Item(IDC_SERVER_ADDRESS)), "typed, not yet saved");
    EXPECT_EQ(Text(app->Item(IDC_PORT)), "2346");
    EXPECT_EQ(Text(app->Item(IDC_LOCAL_IP)), localIp);
    EXPECT_TRUE(IsChecked(app->Item(IDC_SELECT_MH)));
    EXPECT_FALSE(IsChecked(app->Item(IDC_SELECT_OV)));
    EXPECT_FALSE(IsChecked(app->Item(IDC_SELECT_BM)));
    EXPECT_EQ(ValueCount(GameFamily::Mireholt), values);
    EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), "192.0.2.7");

    // And it still acts: Ping takes the typed address.
    Click(app->Item(IDC_PING));
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "ping.exe typed, not yet saved");
}

}  // namespace
