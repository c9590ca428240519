// Pasting "HOST:PORT" into the main window's and the Address Book's address fields.
#include <gtest/gtest.h>

#include "address_book_ids.h"
#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const char kHost[] = "MultiplayerManualHostAddress";
const char kPort[] = "MultiplayerManualJoinPort";

struct PasteCase {
    const char* clipboard;
    const char* address;  // the address field after the paste
    const char* port;     // the port field after the paste
};

// The fields start as "old" and "1111", all of "old" selected; a paste that is not split replaces the
// selection with the clipboard's text, as an edit's own paste does.
const PasteCase kMainCases[] = {
    {"203.0.113.7:2346", "203.0.113.7", "2346"},
    {"  play.example.org:2347\r\n", "play.example.org", "2347"},
    {"\r\n\t198.51.100.4:1\n", "198.51.100.4", "1"},
    {"203.0.113.7", "203.0.113.7", "1111"},                        // no port
    {" 203.0.113.7 ", " 203.0.113.7 ", "1111"},                    // not split: pasted with its blanks
    {"[2001:db8::1]:2346", "[2001:db8::1]:2346", "1111"},          // IPv6
    {"2001:db8::1", "2001:db8::1", "1111"},
    {"203.0.113.7:123456", "203.0.113.7:123456", "1111"},          // too long a port
    {"203.0.113.7:0", "203.0.113.7:0", "1111"},
    {"join 203.0.113.7:2346", "join 203.0.113.7:2346", "1111"},
    {"-server:2346", "-server:2346", "1111"},
};

class Paste : public ::testing::Test {
protected:
    Sandbox sandbox;
};

TEST_F(Paste, MainWindowSplitsHostColonPortAndPastesAnythingElseUnchanged) {
    sandbox.SeedServer(GameFamily::Mireholt, "192.0.2.7", "2346");
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    HWND address = app.Item(IDC_SERVER_ADDRESS), port = app.Item(IDC_PORT);
    for (const PasteCase& c : kMainCases) {
        SCOPED_TRACE(c.clipboard);
        SetText(address, "old");
        SetText(port, "1111");
        Query(address, EM_SETSEL, 0, -1);
        PasteInto(address, c.clipboard);
        EXPECT_EQ(Text(address), c.address);
        EXPECT_EQ(Text(port), c.port);
    }
    // Pasting stores nothing: the fields are saved by the buttons, as typing is.
    EXPECT_EQ(GetText(GameFamily::Mireholt, kHost), "192.0.2.7");
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kHost), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TypeOf(GameFamily::Mireholt, kPort), static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(app.NoMessageWindow());
    // The paste into the port field itself is the edit's own.
    Query(port, EM_SETSEL, 0, -1);
    PasteInto(port, "203.0.113.7:2346");
    EXPECT_EQ(Text(port), "203.");  // typing and pasting stop at its four characters
}

TEST_F(Paste, AFiveDigitPortIsSplitAndTheNextSaveSaysTheFieldHoldsFour) {
    sandbox.SeedServer(GameFamily::Mireholt, "192.0.2.7", "2346");
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    PasteInto(app.Item(IDC_SERVER_ADDRESS), "203.0.113.7:27015");
    EXPECT_EQ(Text(app.Item(IDC_PORT)), "27015");
    // As with a stored long port: Join says so, then goes on with the long text.
    Click(app.Item(IDC_JOIN));
    EXPECT_EQ(app.TakeMessage(), "This field holds at most 4 characters.");
    auto started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "Mireholt.exe -client 203.0.113.7 27015");
}

TEST_F(Paste, AddressBookSplitIntoTheRowAndStoresItsPortAsIfTypedAndLeft) {
    sandbox.InstallGame(GameFamily::Mireholt);
    const int ips[] = {IDC_BOOK_IP1, IDC_BOOK_IP2, IDC_BOOK_IP3, IDC_BOOK_IP4, IDC_BOOK_IP5};
    const int ports[] = {IDC_BOOK_PORT1, IDC_BOOK_PORT2, IDC_BOOK_PORT3, IDC_BOOK_PORT4, IDC_BOOK_PORT5};
    for (int row = 1; row <= 5; ++row) {
        SetString(GameFamily::Mireholt, "z_ip" + std::to_string(row), "192.0.2." + std::to_string(row));
        SetString(GameFamily::Mireholt, "z_port" + std::to_string(row), "100" + std::to_string(row));
    }
    Toolkit app(sandbox.work);
    ASSERT_TRUE(app.Main());
    Click(app.Item(IDC_ADDRESS_BOOK));
    HWND book = app.WaitDialog("Address Book");
    ASSERT_TRUE(book);

    for (int row = 1; row <= 5; ++row) {
        SCOPED_TRACE(row);
        const std::string host = "198.51.100." + std::to_string(row), port = std::to_string(27000 + row);
        HWND ip = ::GetDlgItem(book, ips[row - 1]);
        FocusControl(book, ip);
        ASSERT_TRUE(WaitFor([&] { return FocusedControl(book) == ip; }));
        PasteInto(ip, "\r\n " + host + ":" + port + " \r\n");
        EXPECT_EQ(Text(ip), host);
        EXPECT_EQ(Text(::GetDlgItem(book, ports[row - 1])), port);
        // The port is stored at once; the address, as typed text, when its field is left.
        EXPECT_EQ(GetText(GameFamily::Mireholt, "z_port" + std::to_string(row)), port);
        EXPECT_EQ(TypeOf(GameFamily::Mireholt, "z_port" + std::to_string(row)), static_cast<DWORD>(REG_EXPAND_SZ));
        EXPECT_EQ(GetText(GameFamily::Mireholt, "z_ip" + std::to_string(row)), "192.0.2." + std::to_string(row));
        FocusNext(book);
        EXPECT_TRUE(WaitFor([&] { return GetText(GameFamily::Mireholt, "z_ip" + std::to_string(row)) == host; }));
    }

    // Anything else is pasted unchanged and stores nothing.
    HWND ip2 = ::GetDlgItem(book, IDC_BOOK_IP2), port2 = ::GetDlgItem(book, IDC_BOOK_PORT2);
    for (const PasteCase& c : kMainCases) {
        if (std::string(c.port) != "1111") continue;
        SCOPED_TRACE(c.clipboard);
        SetText(ip2, "");
        PasteInto(ip2, c.clipboard);
        EXPECT_EQ(Text(ip2), c.address);
        EXPECT_EQ(Text(port2), "27002");
    }
    EXPECT_EQ(GetText(GameFamily::Mireholt, "z_port2"), "27002");
    // The main window's fields and stored server are not touched by the book's paste.
    EXPECT_EQ(GetText(GameFamily::Mireholt, kHost), "<missing>");
    EXPECT_TRUE(app.NoMessageWindow());
}

TEST_F(Paste, CtrlVShiftInsertAndTheContextMenuAllSplit) {
    sandbox.SeedServer(GameFamily::Mireholt, "192.0.2.7", "2346");
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    HWND address = app.Item(IDC_SERVER_ADDRESS), port = app.Item(IDC_PORT);
    ASSERT_TRUE(WaitFor([&] { return FocusedControl(main) == address; }));

    struct KeyCase {
        const char* keys;
        const char* host;
        const char* port;
    };
    const KeyCase cases[] = {{"ctrl+v", "203.0.113.1", "2001"},
                             {"shift+Insert", "203.0.113.2", "2002"},
                             {"shift+F10 p", "203.0.113.3", "2003"}};  // the edit's context menu, Paste
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.keys);
        SetText(address, "");
        ASSERT_TRUE(SetClipboardText(std::string(c.host) + ":" + c.port + "\n"));
        ASSERT_TRUE(PressKeys(main, c.keys));
        EXPECT_TRUE(WaitFor([&] { return Text(address) == c.host; })) << Text(address);
        EXPECT_EQ(Text(port), c.port);
    }
}

}  // namespace
