// The address book, driven through the real program: opening, storing entries, and the row actions.
#include <gtest/gtest.h>

#include <memory>

#include "address_book_ids.h"
#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const int kIpEdits[] = {IDC_BOOK_IP1, IDC_BOOK_IP2, IDC_BOOK_IP3, IDC_BOOK_IP4, IDC_BOOK_IP5};
const int kPortEdits[] = {IDC_BOOK_PORT1, IDC_BOOK_PORT2, IDC_BOOK_PORT3, IDC_BOOK_PORT4, IDC_BOOK_PORT5};

std::string IpValue(int row) { return "z_ip" + std::to_string(row); }
std::string PortValue(int row) { return "z_port" + std::to_string(row); }

void SeedRow(GameFamily family, int row, const std::string& ip, const std::string& port) {
    SetString(family, IpValue(row), ip);
    SetString(family, PortValue(row), port);
}

class AddressBook : public ::testing::Test {
protected:
    HWND StartToolkit() { return StartToolkitIn(sandbox.work); }
    HWND StartToolkitIn(const std::string& dir) {
        app = std::make_unique<Toolkit>(dir);
        return app->Main();
    }

    // Clicks "Address Book" and waits for the book.
    HWND OpenBook() {
        Click(app->Item(IDC_ADDRESS_BOOK));
        HWND book = app->WaitDialog("Address Book");
        if (book) WaitFocus(book, IDC_BOOK_IP1);
        return book;
    }
    void CloseBook(HWND book) {
        Click(::GetDlgItem(book, IDOK));
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(book); }));
    }
    bool WaitFocus(HWND book, int id) { return WaitForFocus(book, ::GetDlgItem(book, id)); }
    // The ten entries as shown, addresses of rows 1 to 5, then their ports.
    std::vector<std::string> Shown(HWND book) {
        std::vector<std::string> shown;
        for (int id : kIpEdits) shown.push_back(Text(::GetDlgItem(book, id)));
        for (int id : kPortEdits) shown.push_back(Text(::GetDlgItem(book, id)));
        return shown;
    }
    // Whether any message box window of the program exists, shown or not yet shown.
    bool AnyMessageBoxWindow() {
        for (HWND hWnd : AllDialogs(app->Pid()))
            if (IsMessageBox(hWnd)) return true;
        return false;
    }

    Sandbox sandbox;
    std::unique_ptr<Toolkit> app;
};

// --- Opening ------------------------------------------------------------------------------------------

TEST_F(AddressBook, IsRefusedWhileBrightmoorIsChosen) {
    sandbox.InstallGame(GameFamily::Orvanta);
    sandbox.InstallGame(GameFamily::Mireholt);
    HWND main = StartToolkit();
    ASSERT_TRUE(main);
    Choose(*app, IDC_SELECT_BM);
    Click(app->Item(IDC_ADDRESS_BOOK));
    MessageBoxInfo box = app->WaitMessageBox();
    EXPECT_EQ(box.text, "Address Book is for OV and MH Only!");
    EXPECT_EQ(box.caption, "MHToolkit");
    EXPECT_EQ(box.owner, main);
    EXPECT_EQ(IconOf(box), BoxIcon::None);
    app->Dismiss(box);

    // Had the book opened after the message, it would exist by the time the thread is back in a loop.
    RoundTrip(main);
    for (HWND hWnd : AllDialogs(app->Pid())) EXPECT_NE(Text(hWnd), "Address Book");
    EXPECT_TRUE(::IsWindowEnabled(main));

    Choose(*app, IDC_SELECT_OV);
    HWND book = OpenBook();
    ASSERT_TRUE(book);
    EXPECT_EQ(Text(::GetDlgItem(book, IDC_BOOK_TITLE)), "OV Address Book");
}

TEST_F(AddressBook, OpensWithTheChosenFamilysEntriesOnly) {
    sandbox.InstallGame(GameFamily::Orvanta);
    sandbox.InstallGame(GameFamily::Mireholt);
    for (int row = 1; row <= 4; ++row)
        SeedRow(GameFamily::Mireholt, row, "192.0.2.1" + std::to_string(row), "10" + std::to_string(row));
    for (int row = 1; row <= 5; ++row)
        SeedRow(GameFamily::Orvanta, row, "198.51.100." + std::to_string(row), "20" + std::to_string(row));
    const std::vector<std::string> mireholt = {"192.0.2.11", "192.0.2.12", "192.0.2.13", "192.0.2.14", "",
                                               "101",        "102",        "103",        "104",        ""};
    const std::vector<std::string> orvanta = {"198.51.100.1", "198.51.100.2", "198.51.100.3", "198.51.100.4",
                                              "198.51.100.5", "201",          "202",          "203",
                                              "204",          "205"};

    HWND main = StartToolkit();
    ASSERT_TRUE(main);
    // Right after start-up Mireholt is preselected.
    HWND book = OpenBook();
    ASSERT_TRUE(book);
    EXPECT_EQ(Text(::GetDlgItem(book, IDC_BOOK_TITLE)), "MH Address Book");
    EXPECT_TRUE(::GetWindowLongA(::GetDlgItem(book, IDC_BOOK_TITLE), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_EQ(::GetWindow(book, GW_OWNER), main);
    EXPECT_FALSE(::IsWindowEnabled(main));
    EXPECT_EQ(Shown(book), mireholt);
    CloseBook(book);

    Choose(*app, IDC_SELECT_OV);
    book = OpenBook();
    ASSERT_TRUE(book);
    EXPECT_EQ(Text(::GetDlgItem(book, IDC_BOOK_TITLE)), "OV Address Book");
    EXPECT_EQ(Shown(book), orvanta);
    CloseBook(book);

    // Every opening reloads: nothing of Orvanta's entries is carried back to Mireholt.
    Choose(*app, IDC_SELECT_MH);
    book = OpenBook();
    ASSERT_TRUE(book);
    EXPECT_EQ(Text(::GetDlgItem(book, IDC_BOOK_TITLE)), "MH Address Book");
    EXPECT_EQ(Shown(book), mireholt);
    CloseBook(book);
    EXPECT_TRUE(::IsWindowEnabled(main));
}

// --- Storing entries ------------------------------------------------------------------------------------

TEST_F(AddressBook, TypingThenTabbingAwayStoresAndAClearedEntryStoresEmpty) {
    sandbox.InstallGame(GameFamily::Mireholt);
    SeedRow(GameFamily::Mireholt, 1, "192.0.2.1", "2346");
    ASSERT_TRUE(StartToolkit());
    HWND book = OpenBook();
    ASSERT_TRUE(book);

    SetText(::GetDlgItem(book, IDC_BOOK_IP1), "203.0.113.9");
    FocusNext(book);
    ASSERT_TRUE(WaitFor([] { return GetText(GameFamily::Mireholt, "z_ip1") == "203.0.113.9"; }));
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, "z_ip1"), static_cast<DWORD>(REG_EXPAND_SZ));

    ASSERT_TRUE(WaitFocus(book, IDC_BOOK_PORT1));
    SetText(::GetDlgItem(book, IDC_BOOK_PORT1), "");
    FocusNext(book);
    ASSERT_TRUE(WaitFor([] { return TypeOf(GameFamily::Mireholt, "z_port1") == REG_EXPAND_SZ; }));
    auto port = GetValue(GameFamily::Mireholt, "z_port1");
    ASSERT_TRUE(port);
    EXPECT_EQ(port->data, std::string(1, '\0'));  // emptied, not deleted
    CloseBook(book);
}

TEST_F(AddressBook, TypingThenClickingCloseStoresThatEntryAndNothingElse) {
    sandbox.InstallGame(GameFamily::Mireholt);
    for (int row = 1; row <= 5; ++row)
        SeedRow(GameFamily::Mireholt, row, "192.0.2." + std::to_string(row), "230" + std::to_string(row));
    SetString(GameFamily::Mireholt, kAddressValue, "192.0.2.200");
    SetString(GameFamily::Mireholt, kPortValue, "2346");
    ASSERT_TRUE(StartToolkit());
    const int values = ValueCount(GameFamily::Mireholt);
    HWND book = OpenBook();
    ASSERT_TRUE(book);

    FocusControl(book, ::GetDlgItem(book, IDC_BOOK_PORT3));
    ASSERT_TRUE(WaitFocus(book, IDC_BOOK_PORT3));
    SetText(::GetDlgItem(book, IDC_BOOK_PORT3), "2999");
    CloseBook(book);

    EXPECT_EQ(GetText(GameFamily::Mireholt, "z_port3"), "2999");
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, "z_port3"), static_cast<DWORD>(REG_EXPAND_SZ));
    // Row 1's address lost the focus to row 3's port: rewritten unchanged.
    EXPECT_EQ(GetText(GameFamily::Mireholt, "z_ip1"), "192.0.2.1");
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, "z_ip1"), static_cast<DWORD>(REG_EXPAND_SZ));
    for (int row = 1; row <= 5; ++row) {
        if (row != 1) {
            EXPECT_EQ(TypeOf(GameFamily::Mireholt, IpValue(row)), static_cast<DWORD>(REG_SZ)) << row;
        }
        if (row != 3) {
            EXPECT_EQ(TypeOf(GameFamily::Mireholt, PortValue(row)), static_cast<DWORD>(REG_SZ)) << row;
        }
    }
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kAddressValue), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kPortValue), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ValueCount(GameFamily::Mireholt), values);
}

TEST_F(AddressBook, TabbingThroughUnchangedEditsRewritesEachUnchangedInTabOrder) {
    sandbox.InstallGame(GameFamily::Mireholt);
    // Row 4 has no address yet: leaving its empty edit stores the empty string.
    auto address = [](int row) { return row == 4 ? std::string() : "192.0.2." + std::to_string(row); };
    for (int row = 1; row <= 5; ++row) {
        if (row != 4) SetString(GameFamily::Mireholt, IpValue(row), address(row));
        SetString(GameFamily::Mireholt, PortValue(row), "230" + std::to_string(row));
    }
    ASSERT_TRUE(StartToolkit());
    HWND book = OpenBook();
    ASSERT_TRUE(book);

    const int tabOrder[] = {IDC_BOOK_PORT1, IDC_BOOK_IP2,   IDC_BOOK_PORT2, IDC_BOOK_IP3,   IDC_BOOK_PORT3,
                            IDC_BOOK_IP4,   IDC_BOOK_PORT4, IDC_BOOK_IP5,   IDC_BOOK_PORT5, IDOK};
    for (int id : tabOrder) {
        FocusNext(book);
        ASSERT_TRUE(WaitFocus(book, id)) << id;
    }
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(TypeOf(GameFamily::Mireholt, IpValue(row)), static_cast<DWORD>(REG_EXPAND_SZ)) << row;
        EXPECT_EQ(TypeOf(GameFamily::Mireholt, PortValue(row)), static_cast<DWORD>(REG_EXPAND_SZ)) << row;
        EXPECT_EQ(GetText(GameFamily::Mireholt, IpValue(row)), address(row));
        EXPECT_EQ(GetText(GameFamily::Mireholt, PortValue(row)), "230" + std::to_string(row));
    }
    CloseBook(book);
}

TEST_F(AddressBook, TypingStopsAt79CharactersWhileALongerStoredEntryIsShownWholeAndKept) {
    sandbox.InstallGame(GameFamily::Mireholt);
    const std::string stored = "host-" + std::string(95, 'l') + ".example";
    SetString(GameFamily::Mireholt, "z_ip2", stored);
    ASSERT_TRUE(StartToolkit());
    HWND book = OpenBook();
    ASSERT_TRUE(book);
    for (int id = IDC_BOOK_IP1; id <= IDC_BOOK_PORT5; ++id) {
        EXPECT_EQ(Query(Item(book, id), EM_GETLIMITTEXT), 79) << id;
    }
    EXPECT_EQ(Text(::GetDlgItem(book, IDC_BOOK_IP2)), stored);

    // Typed keys beyond the limit are refused, so the whole typed entry fits the store.
    HWND ip1 = ::GetDlgItem(book, IDC_BOOK_IP1);
    for (int i = 0; i < 90; ++i) ::PostMessageA(ip1, WM_CHAR, 'a' + i % 26, 1);
    FocusNext(book);
    ASSERT_TRUE(WaitFor([] { return GetText(GameFamily::Mireholt, "z_ip1").size() == 79; }));
    EXPECT_EQ(GetText(GameFamily::Mireholt, "z_ip1").substr(0, 3), "abc");

    // Leaving the long entry leaves it as stored; the port written after it shows the write was due.
    FocusControl(book, ::GetDlgItem(book, IDC_BOOK_IP2));
    ASSERT_TRUE(WaitFocus(book, IDC_BOOK_IP2));
    FocusNext(book);
    ASSERT_TRUE(WaitFocus(book, IDC_BOOK_PORT2));
    SetText(::GetDlgItem(book, IDC_BOOK_PORT2), "2346");
    FocusNext(book);
    ASSERT_TRUE(WaitFor([] { return GetText(GameFamily::Mireholt, "z_port2") == "2346"; }));
    EXPECT_EQ(GetText(GameFamily::Mireholt, "z_ip2"), stored);
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, "z_ip2"), static_cast<DWORD>(REG_SZ));

    // The row acts on the whole entry.
    Click(::GetDlgItem(book, IDC_BOOK_PING2));
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "ping.exe " + stored);
    CloseBook(book);
}

// --- Row actions --------------------------------------------------------------------------------------------

TEST_F(AddressBook, JoinStartsTheFamilysClientAndMakesTheRowItsManualTarget) {
    sandbox.InstallGame(GameFamily::Orvanta);
    sandbox.InstallGame(GameFamily::Mireholt);
    SetString(GameFamily::Mireholt, kAddressValue, "192.0.2.1");
    SetString(GameFamily::Mireholt, kPortValue, "1111");
    SetString(GameFamily::Orvanta, kAddressValue, "198.51.100.1");
    SetString(GameFamily::Orvanta, kPortValue, "2222");
    SeedRow(GameFamily::Mireholt, 3, "192.0.2.33", "2333");
    SeedRow(GameFamily::Orvanta, 5, "198.51.100.55", "2355");
    HWND main = StartToolkit();
    ASSERT_TRUE(main);
    ASSERT_EQ(Text(app->Item(IDC_SERVER_ADDRESS)), "192.0.2.1");
    // The book does not look at the installation again: the client is found through the folder the
    // main window chose at start-up.
    SetString(GameFamily::Mireholt, kPathValue, sandbox.orvantaDir);

    HWND book = OpenBook();
    ASSERT_TRUE(book);
    Click(::GetDlgItem(book, IDC_BOOK_JOIN3));
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].exe, "Mireholt.exe");
    EXPECT_EQ(started[0].commandLine, "Mireholt.exe -client 192.0.2.33 2333");
    EXPECT_EQ(started[0].directory, sandbox.mireholtDir);
    EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), "192.0.2.33");
    EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), "2333");
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kAddressValue), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(GetText(GameFamily::Orvanta, kAddressValue), "198.51.100.1");
    EXPECT_EQ(GetText(GameFamily::Orvanta, kPortValue), "2222");
    CloseBook(book);
    EXPECT_EQ(Text(app->Item(IDC_SERVER_ADDRESS)), "192.0.2.1");
    EXPECT_EQ(Text(app->Item(IDC_PORT)), "1111");

    Choose(*app, IDC_SELECT_OV);
    book = OpenBook();
    ASSERT_TRUE(book);
    Click(::GetDlgItem(book, IDC_BOOK_JOIN5));
    started = WaitStarted(2);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].exe, "orvanta.exe");
    EXPECT_EQ(started[1].commandLine, "orvanta.exe -client 198.51.100.55 2355");
    EXPECT_EQ(started[1].directory, sandbox.orvantaDir);
    EXPECT_EQ(GetText(GameFamily::Orvanta, kAddressValue), "198.51.100.55");
    EXPECT_EQ(GetText(GameFamily::Orvanta, kPortValue), "2355");
    EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), "192.0.2.33");
    CloseBook(book);
    EXPECT_EQ(Text(app->Item(IDC_SERVER_ADDRESS)), "198.51.100.1");
    EXPECT_EQ(Text(app->Item(IDC_PORT)), "2222");
    EXPECT_TRUE(app->NoMessageBox());
}

TEST_F(AddressBook, PingTelnetAndTheirMessagesWithTheAddressCheckedFirst) {
    sandbox.InstallGame(GameFamily::Mireholt);
    SeedRow(GameFamily::Mireholt, 1, "192.0.2.1", "");
    SeedRow(GameFamily::Mireholt, 2, "", "2346");
    SeedRow(GameFamily::Mireholt, 4, " ", "2346");  // a blank is content
    SeedRow(GameFamily::Mireholt, 5, "192.0.2.5", "23");
    ASSERT_TRUE(StartToolkit());
    HWND book = OpenBook();
    ASSERT_TRUE(book);

    Click(::GetDlgItem(book, IDC_BOOK_JOIN1));
    MessageBoxInfo box = app->WaitMessageBox();
    EXPECT_EQ(box.text, "Please enter a port (2346 is default)");
    EXPECT_EQ(box.caption, "MHToolkit");
    EXPECT_EQ(box.owner, book);
    EXPECT_EQ(IconOf(box), BoxIcon::None);
    app->Dismiss(box);

    struct Case {
        int button;
        const char* message;
    };
    const Case cases[] = {
        {IDC_BOOK_TELNET1, "Please enter a port (Default is 2346)"},
        {IDC_BOOK_JOIN2, "Please enter an IP address to connect to!"},
        {IDC_BOOK_PING2, "Please enter an IP address first!"},
        {IDC_BOOK_TELNET2, "Please enter an IP address first!"},
        {IDC_BOOK_JOIN3, "Please enter an IP address to connect to!"},  // both empty: the address only
        {IDC_BOOK_TELNET3, "Please enter an IP address first!"},
        {IDC_BOOK_PING3, "Please enter an IP address first!"},
    };
    for (const Case& c : cases) {
        Click(::GetDlgItem(book, c.button));
        EXPECT_EQ(app->TakeMessage(), c.message) << c.button;
    }

    // Then the actions that run: a second message anywhere above would still be open.
    // One at a time: the program does not wait for what it starts, so two stand-ins may log in any order.
    Click(::GetDlgItem(book, IDC_BOOK_PING1));  // the port plays no part
    WaitStarted(1);
    Click(::GetDlgItem(book, IDC_BOOK_TELNET5));
    auto started = WaitStarted(2);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].exe, "ping.exe");
    EXPECT_EQ(started[0].commandLine, "ping.exe 192.0.2.1");
    EXPECT_EQ(started[1].exe, "telnet.exe");
    EXPECT_EQ(started[1].commandLine, "telnet.exe 192.0.2.5 23");
    EXPECT_FALSE(AnyMessageBoxWindow());
    // Neither the failed actions nor Ping and Telnet wrote a manual target.
    EXPECT_FALSE(GetValue(GameFamily::Mireholt, kAddressValue));
    EXPECT_FALSE(GetValue(GameFamily::Mireholt, kPortValue));

    Click(::GetDlgItem(book, IDC_BOOK_JOIN4));
    started = WaitStarted(3);
    ASSERT_EQ(started.size(), 3u);
    EXPECT_EQ(started[2].commandLine, "Mireholt.exe -client   2346");
    EXPECT_EQ(GetText(GameFamily::Mireholt, kAddressValue), " ");
    EXPECT_EQ(GetText(GameFamily::Mireholt, kPortValue), "2346");
    CloseBook(book);
}

TEST_F(AddressBook, JoinStillStartsWhenTheKeyCannotBeWritten) {
    // No game keys at all; the program starts in Mireholt's folder, which stays its current folder.
    HWND main = StartToolkitIn(sandbox.mireholtDir);
    ASSERT_TRUE(main);
    HWND book = OpenBook();
    ASSERT_TRUE(book);
    EXPECT_EQ(Text(::GetDlgItem(book, IDC_BOOK_TITLE)), "MH Address Book");
    EXPECT_EQ(Shown(book), std::vector<std::string>(10));

    SetText(::GetDlgItem(book, IDC_BOOK_IP1), "192.0.2.7");
    FocusNext(book);
    ASSERT_TRUE(WaitFocus(book, IDC_BOOK_PORT1));
    SetText(::GetDlgItem(book, IDC_BOOK_PORT1), "2346");
    // The click takes the focus from the port edit, whose exchange gives the row what was typed.
    Click(::GetDlgItem(book, IDC_BOOK_JOIN1));
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "Mireholt.exe -client 192.0.2.7 2346");
    EXPECT_EQ(started[0].directory, sandbox.mireholtDir);
    EXPECT_FALSE(GameKeyExists(GameFamily::Mireholt));
    EXPECT_FALSE(GameKeyExists(GameFamily::Orvanta));
    EXPECT_TRUE(app->NoMessageBox());
    CloseBook(book);
}

}  // namespace
