// What the player is told when the game or telnet does not start: in the main window, in an Address
// Book row and for --join and links; the values are stored all the same.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "address_book_ids.h"
#include "harness.h"
#include "toolkit_dlg_ids.h"
#include "win32/ProcessStarter.h"

using namespace harness;

namespace {

enum class Failure { MissingExe, NotAProgram, MissingFolder, FolderNotSet };
enum class Where { MainWindow, AddressBook, JoinOption, Link };

// Mireholt installed with a stored server, then broken; returns the first paragraph of the message
// its Join must show (the whole texts are the core's tests). The program starts in sandbox.work.
std::string Break(Sandbox& sandbox, Failure failure) {
    sandbox.SeedServer(GameFamily::Mireholt, "203.0.113.5", "2222");
    SetString(GameFamily::Mireholt, "z_ip2", "192.0.2.7");
    SetString(GameFamily::Mireholt, "z_port2", "2346");
    const std::string exe = Join(sandbox.mireholtDir, "Mireholt.exe"), gone = Join(sandbox.root, "Moved away");
    switch (failure) {
    case Failure::MissingExe:
        ::DeleteFileA(exe.c_str());
        return "Mireholt.exe was not found in " + sandbox.mireholtDir + ".";
    case Failure::NotAProgram:
        std::ofstream(exe, std::ios::binary | std::ios::trunc) << "This is not a program.\r\n";
        return "Mireholt.exe in " + sandbox.mireholtDir + " is not a program that runs on this system, or it is "
                                                          "damaged.";
    case Failure::MissingFolder:
        SetString(GameFamily::Mireholt, kPathValue, gone);
        return "Mireholt.exe could not be started: the game's installation folder, " + gone + ", does not exist.";
    case Failure::FolderNotSet:
        DeleteValue(GameFamily::Mireholt, kPathValue);
        return "Mireholt.exe could not be started: the game's installation folder is not set (its "
               "InstallationPath value is missing or empty), so it was looked for in " + sandbox.work + ".";
    }
    return "";
}

// Starts the program and joins 192.0.2.7:2346 from there; returns the window the message must be on.
HWND JoinFrom(std::unique_ptr<Toolkit>& app, const Sandbox& sandbox, Where where) {
    const CommandTail tail = where == Where::JoinOption ? Args({"--join", "mh", "192.0.2.7:2346"})
                             : where == Where::Link     ? Args({"mhtoolkit://join/mh/192.0.2.7:2346"})
                                                        : CommandTail{};
    app = std::make_unique<Toolkit>(sandbox.work, tail);
    if (where == Where::Link) app->Dismiss(app->WaitMessageBox(), IDYES);  // "Join ... with Mireholt?"
    HWND main = app->Main();
    if (where == Where::MainWindow) {
        SetText(app->Item(IDC_SERVER_ADDRESS), "192.0.2.7");
        SetText(app->Item(IDC_PORT), "2346");
        Click(app->Item(IDC_JOIN));
    } else if (where == Where::AddressBook) {
        Click(app->Item(IDC_ADDRESS_BOOK));
        HWND book = app->WaitDialog("Address Book");
        Click(::GetDlgItem(book, IDC_BOOK_JOIN2));
        return book;
    }
    return main;
}

// The warning of a failed start: on the dialog at hand, with the exclamation icon and OK alone.
void ExpectWarning(Toolkit& app, HWND owner, const std::string& opening) {
    MessageBoxInfo box = app.WaitMessageBox();
    EXPECT_EQ(box.text.substr(0, box.text.find("\n\n")), opening);
    EXPECT_EQ(box.owner, owner);
    EXPECT_EQ(IconOf(box), BoxIcon::Exclamation);
    EXPECT_FALSE(::GetDlgItem(box.hWnd, IDCANCEL) || ::GetDlgItem(box.hWnd, IDNO));
    app.Dismiss(box);
    EXPECT_TRUE(ReadStarted().empty());
}

std::string NameOf(const ::testing::TestParamInfo<Where>& where) {
    const char* names[] = {"MainWindow", "AddressBook", "JoinOption", "Link"};
    return names[static_cast<int>(where.param)];
}

// One surface a test, so that a fault's waits stay within the test's time.
class JoinFailure : public ::testing::TestWithParam<Where> {};
INSTANTIATE_TEST_SUITE_P(Everywhere, JoinFailure,
                         ::testing::Values(Where::MainWindow, Where::AddressBook, Where::JoinOption, Where::Link),
                         NameOf);

TEST_P(JoinFailure, SaysWhyTheGameDidNotStartAndStoresTheServer) {
    const Where where = GetParam();
    for (Failure failure : {Failure::MissingExe, Failure::NotAProgram, Failure::MissingFolder, Failure::FolderNotSet}) {
        SCOPED_TRACE(static_cast<int>(failure));
        Sandbox sandbox;
        const std::string message = Break(sandbox, failure);
        std::unique_ptr<Toolkit> app;
        HWND owner = JoinFrom(app, sandbox, where);
        ASSERT_TRUE(owner);
        ExpectWarning(*app, owner, message);
        EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), "192.0.2.7");
        EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), "2346");
        EXPECT_EQ(TypeOf(GameFamily::Mireholt, kPortValue), static_cast<DWORD>(REG_EXPAND_SZ));
        // A request's window stays open with its game and fields: never an unseen end.
        RoundTrip(app->Main());
        EXPECT_TRUE(::IsWindowVisible(owner));
        EXPECT_TRUE(IsChecked(app->Item(IDC_SELECT_MH)));
        EXPECT_EQ(Text(app->Item(IDC_SERVER_ADDRESS)), where == Where::AddressBook ? "203.0.113.5" : "192.0.2.7");
        EXPECT_FALSE(app->WaitExit(0));
        if (where != Where::MainWindow) continue;
        // Create says the same, after storing its port.
        SetText(app->Item(IDC_PORT), "2347");
        Click(app->Item(IDC_CREATE));
        ExpectWarning(*app, owner, message);
        EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), "2347");
    }
}

TEST(StartFailures, TelnetMissingUnderWineSaysSoAndGivesTheSystemsOwnCommand) {
    // Neither the system's folders nor the path hold a telnet.exe (the server is loopback all the same).
    char found[MAX_PATH] = {};
    ASSERT_EQ(::SearchPathA(nullptr, "telnet.exe", nullptr, MAX_PATH, found, nullptr), 0u) << found;
    Sandbox sandbox;
    sandbox.SeedServer(GameFamily::Mireholt, "127.0.0.1", "9");
    SetString(GameFamily::Mireholt, "z_ip1", "127.0.0.1");
    SetString(GameFamily::Mireholt, "z_port1", "9");
    // A copy of the program in a folder of its own, without the stand-ins beside it.
    const std::string own = Join(sandbox.root, "toolkit"), exe = Join(own, "MHToolkit.exe");
    MakeDir(own);
    ASSERT_TRUE(::CopyFileA(Join(Join(TestDir(), "app"), "MHToolkit.exe").c_str(), exe.c_str(), FALSE));
    const std::string opening = "telnet.exe was not found. Wine and Proton prefixes have no Telnet client.";

    Toolkit app(sandbox.work, exe);
    ASSERT_TRUE(app.Main());
    Click(app.Item(IDC_TELNET));
    ExpectWarning(app, app.Main(), opening);
    Click(app.Item(IDC_ADDRESS_BOOK));
    HWND book = app.WaitDialog("Address Book");
    Click(::GetDlgItem(book, IDC_BOOK_TELNET1));
    MessageBoxInfo box = app.WaitMessageBox();
    EXPECT_EQ(box.owner, book);
    EXPECT_EQ(box.text, opening + "\n\nUse your system's own telnet against the same server:\n\ntelnet 127.0.0.1 9");
    app.Dismiss(box);
}

// Called directly: the program starts as administrator only where a plain start is refused for want
// of elevation, which Wine never does.
TEST(StartFailures, AsAdministratorTheSameCommandLineStartsInTheCurrentFolder) {
    Sandbox sandbox;
    const std::string before = CurrentFolder();
    ASSERT_TRUE(::SetCurrentDirectoryA(sandbox.mireholtDir.c_str()));
    const DWORD started = StartProgramElevated(nullptr, "Mireholt.exe -client   2346");
    const DWORD missing = StartProgramElevated(nullptr, "orvanta.exe -client 192.0.2.7 2346");
    ::SetCurrentDirectoryA(before.c_str());
    EXPECT_EQ(started, 0u);
    EXPECT_EQ(missing, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    const std::vector<Started> log = WaitStarted(1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].directory, sandbox.mireholtDir);
    // The shell may name the program by its path; the parameters follow as they were.
    EXPECT_EQ(log[0].exe + log[0].commandLine.substr(log[0].commandLine.find(' ')), "Mireholt.exe -client   2346");
    EXPECT_TRUE(RunsOnWine());
}

// The start as administrator that the elevated copy of the values makes: it hands back the started
// process, which the caller waits for, and starts in the folder given.
TEST(StartFailures, AsAdministratorWithAHandleTheStartedProcessCanBeAwaited) {
    Sandbox sandbox;
    const std::string exe = Join(sandbox.mireholtDir, "Mireholt.exe");
    HANDLE process = nullptr;
    ASSERT_EQ(StartAsAdministrator(nullptr, exe.c_str(), "-x 1", sandbox.work.c_str(), SW_HIDE, &process), 0u);
    ASSERT_TRUE(process);
    EXPECT_EQ(::WaitForSingleObject(process, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1;
    EXPECT_TRUE(::GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, 0u);
    ::CloseHandle(process);
    const std::vector<Started> log = ReadStarted();  // recorded before it ended
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].directory, sandbox.work);

    const std::string missing = Join(sandbox.work, "missing.exe");
    EXPECT_EQ(StartAsAdministrator(nullptr, missing.c_str(), "", nullptr, SW_HIDE, &process),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
