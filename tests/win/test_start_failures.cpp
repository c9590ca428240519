// What the player is told when the game or telnet does not start: in the main window, in an Address
// Book row and for --join and links; the values are stored all the same.
#include <gtest/gtest.h>

#include <fstream>

#include "address_book_ids.h"
#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

enum class Failure { MissingExe, NotAProgram, MissingFolder, FolderNotSet };
const Failure kFailures[] = {Failure::MissingExe, Failure::NotAProgram, Failure::MissingFolder,
                             Failure::FolderNotSet};
const char* NameOf(Failure failure) {
    const char* names[] = {"missing exe", "not a program", "missing folder", "folder not set"};
    return names[static_cast<int>(failure)];
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Mireholt installed with a stored server and row 2 of its address book, then broken; returns the
// message its Join must show. The program starts in sandbox.work.
std::string Break(Sandbox& sandbox, Failure failure) {
    sandbox.SeedServer(GameFamily::Mireholt, "203.0.113.5", "2222");
    SetString(GameFamily::Mireholt, "z_ip2", "192.0.2.7");
    SetString(GameFamily::Mireholt, "z_port2", "2346");
    const std::string exe = Join(sandbox.mireholtDir, "Mireholt.exe");
    const std::string gone = Join(sandbox.root, "Moved away");
    switch (failure) {
    case Failure::MissingExe:
        ::DeleteFileA(exe.c_str());
        return "Mireholt.exe was not found in " + sandbox.mireholtDir +
               ".\n\nCheck the game's installation in that folder, or reinstall the game.";
    case Failure::NotAProgram:
        WriteText(exe, "This is not a program.\r\n");
        return "Mireholt.exe in " + sandbox.mireholtDir +
               " is not a program that runs on this system, or it is damaged.\n\nReinstall or repair the game.";
    case Failure::MissingFolder:
        SetString(GameFamily::Mireholt, kPathValue, gone);
        return "Mireholt.exe could not be started: the game's installation folder, " + gone +
               ", does not exist.\n\nIf the game has moved, reinstall or repair it, so that it records its new "
               "folder.";
    case Failure::FolderNotSet:
        DeleteValue(GameFamily::Mireholt, kPathValue);
        return "Mireholt.exe could not be started: the game's installation folder is not set (its "
               "InstallationPath value is missing or empty), so it was looked for in " + sandbox.work +
               ".\n\nReinstall or repair the game, so that it records its folder.";
    }
    return "";
}

// The warning of a failed start: its text, on the dialog at hand, with the exclamation icon; then
// dismissed. Nothing was started, and Join stored the server first.
void ExpectWarning(Toolkit& app, HWND owner, const std::string& text) {
    MessageBoxInfo box = app.WaitMessageBox();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "MHToolkit");
    EXPECT_EQ(box.owner, owner);
    EXPECT_EQ(IconOf(box), BoxIcon::Exclamation);
    EXPECT_FALSE(::GetDlgItem(box.hWnd, IDCANCEL) || ::GetDlgItem(box.hWnd, IDNO));
    app.Dismiss(box);
    EXPECT_TRUE(ReadStarted().empty());
}

void ExpectJoinStored(const std::string& address, const std::string& port) {
    EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), address);
    EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), port);
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kAddressValue), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kPortValue), static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST(StartFailures, JoinInTheMainWindowSaysWhyTheGameDidNotStart) {
    for (Failure failure : kFailures) {
        SCOPED_TRACE(NameOf(failure));
        Sandbox sandbox;
        const std::string message = Break(sandbox, failure);
        Toolkit app(sandbox.work);
        HWND main = app.Main();
        ASSERT_TRUE(main);
        SetText(app.Item(IDC_SERVER_ADDRESS), "192.0.2.7");
        SetText(app.Item(IDC_PORT), "2346");
        Click(app.Item(IDC_JOIN));
        ExpectWarning(app, main, message);
        ExpectJoinStored("192.0.2.7", "2346");
        // Create says the same, after storing its port.
        SetText(app.Item(IDC_PORT), "2347");
        Click(app.Item(IDC_CREATE));
        ExpectWarning(app, main, message);
        EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), "2347");
        RoundTrip(main);
        EXPECT_TRUE(app.NoMessageWindow());
    }
}

TEST(StartFailures, JoinInAnAddressBookRowSaysWhyOnTheBook) {
    for (Failure failure : kFailures) {
        SCOPED_TRACE(NameOf(failure));
        Sandbox sandbox;
        const std::string message = Break(sandbox, failure);
        Toolkit app(sandbox.work);
        ASSERT_TRUE(app.Main());
        Click(app.Item(IDC_ADDRESS_BOOK));
        HWND book = app.WaitDialog("Address Book");
        ASSERT_TRUE(book);
        Click(::GetDlgItem(book, IDC_BOOK_JOIN2));
        ExpectWarning(app, book, message);
        ExpectJoinStored("192.0.2.7", "2346");
        EXPECT_TRUE(::IsWindowVisible(book));
    }
}

TEST(StartFailures, AJoinRequestOpensTheWindowWithTheGameTheFieldsAndTheMessage) {
    for (bool link : {false, true}) {
        for (Failure failure : kFailures) {
            SCOPED_TRACE(std::string(NameOf(failure)) + (link ? ", link" : ", --join"));
            Sandbox sandbox;
            const std::string message = Break(sandbox, failure);
            Toolkit app(sandbox.work, link ? Args({"mhtoolkit://join/mh/192.0.2.7:2346"})
                                           : Args({"--join", "mh", "192.0.2.7:2346"}));
            if (link) {
                MessageBoxInfo question = app.WaitMessageBox();
                EXPECT_EQ(question.text, "Join 192.0.2.7:2346 with Mireholt?");
                app.Dismiss(question, IDYES);
            }
            MessageBoxInfo box = app.WaitMessageBox();
            HWND main = app.Main();
            ASSERT_TRUE(main);
            EXPECT_TRUE(IsChecked(app.Item(IDC_SELECT_MH)));
            EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), "192.0.2.7");
            EXPECT_EQ(Text(app.Item(IDC_PORT)), "2346");
            EXPECT_EQ(box.owner, main);
            ExpectWarning(app, main, message);
            ExpectJoinStored("192.0.2.7", "2346");
            // The window stays open: the player sees what happened and can try again.
            RoundTrip(main);
            EXPECT_TRUE(::IsWindowVisible(main));
            EXPECT_FALSE(app.WaitExit(0));
        }
    }
}

TEST(StartFailures, TelnetMissingUnderWineSaysSoAndGivesTheSystemsOwnCommand) {
    // Neither the system's folders nor the path hold a telnet.exe; else the toolkit's copy below would
    // find it (the server is loopback all the same).
    char found[MAX_PATH] = {};
    ASSERT_EQ(::SearchPathA(nullptr, "telnet.exe", nullptr, MAX_PATH, found, nullptr), 0u) << found;
    Sandbox sandbox;
    sandbox.SeedServer(GameFamily::Mireholt, "127.0.0.1", "9");
    SetString(GameFamily::Mireholt, "z_ip1", "127.0.0.1");
    SetString(GameFamily::Mireholt, "z_port1", "9");
    // A copy of the program in a folder of its own, without the stand-ins beside it.
    const std::string own = Join(sandbox.root, "toolkit");
    MakeDir(own);
    const std::string exe = Join(own, "MHToolkit.exe");
    ASSERT_TRUE(::CopyFileA(Join(Join(TestDir(), "app"), "MHToolkit.exe").c_str(), exe.c_str(), FALSE));
    const std::string message =
        "telnet.exe was not found. Wine and Proton prefixes have no Telnet client.\n\nUse your system's own telnet "
        "against the same server:\n\ntelnet 127.0.0.1 9";

    Toolkit app(sandbox.work, exe);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    Click(app.Item(IDC_TELNET));
    ExpectWarning(app, main, message);
    Click(app.Item(IDC_ADDRESS_BOOK));
    HWND book = app.WaitDialog("Address Book");
    ASSERT_TRUE(book);
    Click(::GetDlgItem(book, IDC_BOOK_TELNET1));
    ExpectWarning(app, book, message);
}

}  // namespace
