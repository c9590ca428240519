// Joining from the command line and from links, the hand-over to an open window, and the usage.
#include <gtest/gtest.h>

#include <memory>

#include "harness.h"
#include "toolkit_dlg_ids.h"

using namespace harness;

namespace {

const char kHost[] = "MultiplayerManualHostAddress";
const char kPort[] = "MultiplayerManualJoinPort";
const char kBadLink[] = "This is not a valid MH Toolkit link.";

struct Game {
    const char* code;
    int radio;
    const char* exe;
    GameFamily family;
    const char* name;
};
const Game kGames[] = {{"ov", IDC_SELECT_OV, "orvanta.exe", GameFamily::Orvanta, "Orvanta"},
                       {"bm", IDC_SELECT_BM, "orvantaMP.exe", GameFamily::Orvanta, "Brightmoor"},
                       {"mh", IDC_SELECT_MH, "Mireholt.exe", GameFamily::Mireholt, "Mireholt"}};

// The stored servers of both families, raw.
struct Stored {
    std::optional<RegValue> values[4];
    bool operator==(const Stored& other) const {
        for (int i = 0; i < 4; ++i) {
            if (values[i].has_value() != other.values[i].has_value()) return false;
            if (values[i] && (values[i]->type != other.values[i]->type || values[i]->data != other.values[i]->data))
                return false;
        }
        return true;
    }
};
Stored ReadStored() {
    return Stored{{GetValue(GameFamily::Orvanta, kHost), GetValue(GameFamily::Orvanta, kPort),
                   GetValue(GameFamily::Mireholt, kHost), GetValue(GameFamily::Mireholt, kPort)}};
}

class Requests : public ::testing::Test {
protected:
    // What a start with these arguments did: it must end by itself.
    Toolkit::Outcome RunAlone(const CommandTail& tail) {
        Toolkit app(sandbox.work, tail);
        return app.WatchUntilExit();
    }
    // Runs a start that must join without showing a window and end with 0; returns what it started.
    Started JoinedUnseen(const CommandTail& tail) {
        const Toolkit::Outcome outcome = RunAlone(tail);
        EXPECT_EQ(outcome.exitCode, std::optional<DWORD>(0));
        EXPECT_FALSE(outcome.showedWindow) << outcome.shown;
        const std::vector<Started> started = WaitStarted(1);
        EXPECT_EQ(started.size(), 1u);
        return started.empty() ? Started{"<nothing started>", "", ""} : started[0];
    }
    // Waits for a message box of the process, checks its text, dismisses it with the button.
    void ExpectBox(Toolkit& app, const std::string& text, int button = IDOK) {
        MessageBoxInfo box = app.WaitMessageBox();
        EXPECT_EQ(box.text, text);
        app.Dismiss(box, button);
    }

    Sandbox sandbox;
};

// --- --join -------------------------------------------------------------------------------------------

TEST_F(Requests, JoinOptionStartsEachGameUnseenExactlyAsTheJoinButtonDoes) {
    for (const Game& game : kGames) {
        SCOPED_TRACE(game.code);
        // By the button.
        sandbox.SeedBothFamilies();
        ::DeleteFileA(Join(TestDir(), "standin.log").c_str());
        {
            Toolkit app(sandbox.work);
            ASSERT_TRUE(app.Main());
            Choose(app, game.radio);
            SetText(app.Item(IDC_SERVER_ADDRESS), "203.0.113.7");
            SetText(app.Item(IDC_PORT), "2346");
            Click(app.Item(IDC_JOIN));
            ASSERT_EQ(WaitStarted(1).size(), 1u);
        }
        const Started byButton = ReadStarted().at(0);
        const Stored storedByButton = ReadStored();

        // By the command line.
        sandbox.SeedBothFamilies();
        ::DeleteFileA(Join(TestDir(), "standin.log").c_str());
        const Started started = JoinedUnseen(Args({"--join", game.code, "203.0.113.7:2346"}));
        EXPECT_EQ(started.commandLine, std::string(game.exe) + " -client 203.0.113.7 2346");
        EXPECT_EQ(started.commandLine, byButton.commandLine);
        EXPECT_EQ(started.directory, byButton.directory);
        EXPECT_TRUE(ReadStored() == storedByButton);
        EXPECT_EQ(GetText(game.family, kHost), "203.0.113.7");
        EXPECT_EQ(TypeOf(game.family, kPort), static_cast<DWORD>(REG_EXPAND_SZ));
    }
}

TEST_F(Requests, JoinOptionWithoutPortUsesTheGamesStoredJoinPort) {
    sandbox.SeedBothFamilies();  // Orvanta's stored port is 1111
    EXPECT_EQ(JoinedUnseen(Args({"--join", "ov", "play.example.org"})).commandLine,
              "orvanta.exe -client play.example.org 1111");
}

TEST_F(Requests, EachStopOfJoinOpensTheWindowWithThatGameTheFieldsAndJoinsMessageOnce) {
    struct Case {
        const char* code;
        const char* server;
        int radio;
        const char* address;
        const char* port;
        const char* message;
    };
    const Case cases[] = {
        // No Orvanta key: Join's installed gate, not the radio's message as well.
        {"bm", "203.0.113.7:2346", IDC_SELECT_BM, "203.0.113.7", "2346", "Brightmoor is not installed!"},
        {"ov", "203.0.113.7", IDC_SELECT_OV, "203.0.113.7", "", "Orvanta is not installed!"},
        // Mireholt installed without a stored port: Join's empty-port check.
        {"mh", "203.0.113.7", IDC_SELECT_MH, "203.0.113.7", "", "Please enter a port (2346 is default)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        DeleteGameKeys();
        sandbox.InstallGame(GameFamily::Mireholt);
        Toolkit app(sandbox.work, Args({"--join", c.code, c.server}));
        MessageBoxInfo box = app.WaitMessageBox();
        EXPECT_EQ(box.text, c.message);
        // The window is up behind its message, with the request's game and fields.
        HWND main = app.Main();
        ASSERT_TRUE(main);
        EXPECT_EQ(box.owner, main);
        EXPECT_TRUE(IsChecked(app.Item(c.radio)));
        EXPECT_EQ(Text(app.Item(IDC_SERVER_ADDRESS)), c.address);
        EXPECT_EQ(Text(app.Item(IDC_PORT)), c.port);
        app.Dismiss(box);
        RoundTrip(main);
        EXPECT_TRUE(app.NoMessageWindow());
        EXPECT_FALSE(app.WaitExit(0));
        EXPECT_TRUE(ReadStarted().empty());
        EXPECT_FALSE(GameKeyExists(GameFamily::Orvanta));
        EXPECT_EQ(GetText(GameFamily::Mireholt, kPort), "<missing>");
    }
}

TEST_F(Requests, HelpAndMalformedCommandLinesShowTheUsageAndNothingElse) {
    sandbox.SeedBothFamilies();
    const Stored before = ReadStored();
    struct Case {
        CommandTail tail;
        const char* opening;  // of the message
        DWORD exitCode;
    };
    const Case cases[] = {
        {Args({"--help"}), "MHToolkit\nOpens the toolkit.", 0},
        {Args({"--join", "ov"}), "This command line is not understood.\n\nMHToolkit\n", 2},
        {Args({"--join", "ov", "-server:2346"}), "This command line is not understood.", 2},
        {Args({"203.0.113.7:2346"}), "This command line is not understood.", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail.text);
        Toolkit app(sandbox.work, c.tail);
        MessageBoxInfo box = app.WaitMessageBox();
        EXPECT_EQ(box.text.substr(0, std::string(c.opening).size()), c.opening);
        EXPECT_NE(box.text.find("--join GAME HOST[:PORT]"), std::string::npos);
        EXPECT_EQ(AllDialogs(app.Pid()), std::vector<HWND>{box.hWnd});  // the box and nothing else
        app.Dismiss(box);
        EXPECT_EQ(app.WaitExit(), std::optional<DWORD>(c.exitCode));
    }
    EXPECT_TRUE(ReadStarted().empty());
    EXPECT_TRUE(ReadStored() == before);
}

// --- A second start hands its request over ----------------------------------------------------------------

TEST_F(Requests, ASecondStartHandsItsJoinToTheOpenWindowAndEndsWithZero) {
    sandbox.SeedBothFamilies();
    Toolkit first(sandbox.work);
    HWND main = first.Main();
    ASSERT_TRUE(main);
    SetText(first.Item(IDC_SERVER_ADDRESS), "typed, not saved");

    const Started started = JoinedUnseen(Args({"--join", "ov", "203.0.113.7:2346"}));
    EXPECT_EQ(started.commandLine, "orvanta.exe -client 203.0.113.7 2346");
    EXPECT_EQ(started.directory, sandbox.orvantaDir);
    EXPECT_EQ(GetText(GameFamily::Orvanta, kHost), "203.0.113.7");
    // The open window did it, as if OV had been chosen and the fields filled, and stays open.
    RoundTrip(main);
    EXPECT_TRUE(IsChecked(first.Item(IDC_SELECT_OV)));
    EXPECT_FALSE(IsChecked(first.Item(IDC_SELECT_MH)));
    EXPECT_EQ(Text(first.Item(IDC_SERVER_ADDRESS)), "203.0.113.7");
    EXPECT_EQ(Text(first.Item(IDC_PORT)), "2346");
    EXPECT_TRUE(::IsWindowVisible(main));
    EXPECT_TRUE(first.NoMessageWindow());

    // A stop shows its message in the open window.
    DeleteGameKeys();
    sandbox.InstallGame(GameFamily::Mireholt);
    Toolkit third(sandbox.work, Args({"--join", "mh", "198.51.100.9"}));
    EXPECT_EQ(third.WaitExit(), std::optional<DWORD>(0));
    MessageBoxInfo box = first.WaitMessageBox();
    EXPECT_EQ(box.text, "Please enter a port (2346 is default)");
    EXPECT_EQ(box.owner, main);
    first.Dismiss(box);
    EXPECT_EQ(Text(first.Item(IDC_SERVER_ADDRESS)), "198.51.100.9");
    EXPECT_TRUE(IsChecked(first.Item(IDC_SELECT_MH)));
    EXPECT_EQ(ReadStarted().size(), 1u);
}

TEST_F(Requests, AnOpenDialogMakesTheHandOverRefusedWithAMessage) {
    sandbox.SeedBothFamilies();
    Toolkit first(sandbox.work);
    ASSERT_TRUE(first.Main());
    Click(first.Item(IDC_ADDRESS_BOOK));
    HWND book = first.WaitDialog("Address Book");
    ASSERT_TRUE(book);

    Toolkit second(sandbox.work, Args({"--join", "ov", "203.0.113.7:2346"}));
    ExpectBox(second, "MH Toolkit has a dialog open. Close it, then try again.");
    EXPECT_EQ(second.WaitExit(), std::optional<DWORD>(1));
    RoundTrip(book);
    EXPECT_TRUE(ReadStarted().empty());
    EXPECT_TRUE(::IsWindowVisible(book));
    EXPECT_TRUE(IsChecked(first.Item(IDC_SELECT_MH)));
}

TEST_F(Requests, AWindowTitledMHToolkitThatIsNotOursGetsNothing) {
    sandbox.SeedBothFamilies();
    ForeignWindow other("MH Toolkit");
    Toolkit app(sandbox.work, Args({"--join", "ov", "203.0.113.7:2346"}));
    ExpectBox(app, "MH Toolkit is already running!");
    EXPECT_EQ(app.WaitExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(ReadStarted().empty());
}

TEST_F(Requests, TheOpenWindowChecksEveryHandedOverPacketAgain) {
    sandbox.SeedBothFamilies();
    Toolkit app(sandbox.work);
    HWND main = app.Main();
    ASSERT_TRUE(main);
    const ULONG_PTR tag = 0x4D485431;
    auto send = [&](ULONG_PTR dwData, const std::string& payload) {
        COPYDATASTRUCT data{dwData, static_cast<DWORD>(payload.size()), const_cast<char*>(payload.data())};
        return Query(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    };
    const std::string z(1, '\0');
    EXPECT_EQ(send(tag + 1, "--join" + z + "ov" + z + "203.0.113.7:2346" + z), 0);  // not our tag
    EXPECT_EQ(send(tag, "--join" + z + "ov" + z + "203.0.113.7:2346"), 0);          // unended
    EXPECT_EQ(send(tag, "--join" + z + "ov" + z + "-server:2346" + z), 0);          // refused by the grammar
    EXPECT_EQ(send(tag, "--register-links" + z), 0);                                 // not a join
    EXPECT_EQ(send(tag, "--help" + z), 0);
    EXPECT_EQ(send(tag, ""), 0);
    EXPECT_EQ(send(tag, "mhtoolkit://join/ov/x%20y" + z), 0);
    EXPECT_EQ(send(tag, std::string(2000, 'a') + z), 0);
    RoundTrip(main);
    EXPECT_TRUE(app.NoMessageWindow());
    EXPECT_TRUE(ReadStarted().empty());
    // The same packet, whole, is taken.
    EXPECT_EQ(send(tag, "--join" + z + "ov" + z + "203.0.113.7:2346" + z), 0x4D48);
    EXPECT_EQ(WaitStarted(1).size(), 1u);
}

// --- Links ------------------------------------------------------------------------------------------

TEST_F(Requests, ALinkAsksFirstYesJoinsUnseenAndNoStartsNothing) {
    for (const Game& game : kGames) {
        SCOPED_TRACE(game.code);
        sandbox.SeedBothFamilies();
        ::DeleteFileA(Join(TestDir(), "standin.log").c_str());
        const std::string link = std::string("mhtoolkit://join/") + game.code + "/203.0.113.7:2346";

        Toolkit declined(sandbox.work, Args({link}));
        MessageBoxInfo box = declined.WaitMessageBox();
        EXPECT_EQ(box.text, std::string("Join 203.0.113.7:2346 with ") + game.name + "?");
        EXPECT_EQ(IconOf(box), BoxIcon::Question);
        EXPECT_TRUE(::GetDlgItem(box.hWnd, IDYES) && ::GetDlgItem(box.hWnd, IDNO));
        // A page's link is not joined by Enter.
        EXPECT_EQ(::GetWindowLongA(::GetDlgItem(box.hWnd, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        EXPECT_EQ(::GetWindowLongA(::GetDlgItem(box.hWnd, IDYES), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
        declined.Dismiss(box, IDNO);
        const Toolkit::Outcome no = declined.WatchUntilExit();
        EXPECT_EQ(no.exitCode, std::optional<DWORD>(0));
        EXPECT_FALSE(no.showedWindow) << no.shown;
        EXPECT_TRUE(ReadStarted().empty());
        EXPECT_EQ(TypeOf(game.family, kHost), static_cast<DWORD>(REG_SZ));

        Toolkit accepted(sandbox.work, Args({link}));
        ExpectBox(accepted, std::string("Join 203.0.113.7:2346 with ") + game.name + "?", IDYES);
        const Toolkit::Outcome yes = accepted.WatchUntilExit();
        EXPECT_EQ(yes.exitCode, std::optional<DWORD>(0));
        EXPECT_FALSE(yes.showedWindow) << yes.shown;
        const std::vector<Started> started = WaitStarted(1);
        ASSERT_EQ(started.size(), 1u);
        EXPECT_EQ(started[0].commandLine, std::string(game.exe) + " -client 203.0.113.7 2346");
        EXPECT_EQ(GetText(game.family, kHost), "203.0.113.7");
        EXPECT_EQ(TypeOf(game.family, kHost), static_cast<DWORD>(REG_EXPAND_SZ));
    }
}

TEST_F(Requests, ALinkWithoutPortAsksWithTheStoredPortOrWithoutOne) {
    sandbox.SeedBothFamilies();  // Orvanta's stored port 1111
    Toolkit withStored(sandbox.work, Args({"mhtoolkit://join/ov/play.example.org/"}));
    ExpectBox(withStored, "Join play.example.org:1111 with Orvanta?", IDYES);
    EXPECT_EQ(withStored.WaitExit(), std::optional<DWORD>(0));
    EXPECT_EQ(WaitStarted(1).at(0).commandLine, "orvanta.exe -client play.example.org 1111");

    // No stored port: asked for the host alone; Join then asks for a port in the window.
    DeleteValue(GameFamily::Mireholt, kPort);
    Toolkit without(sandbox.work, Args({"MHTOOLKIT://join/mh/play.example.org"}));
    ExpectBox(without, "Join play.example.org with Mireholt?", IDYES);
    ExpectBox(without, "Please enter a port (2346 is default)");
    ASSERT_TRUE(without.Main());
    EXPECT_EQ(Text(without.Item(IDC_SERVER_ADDRESS)), "play.example.org");
    EXPECT_EQ(ReadStarted().size(), 1u);
}

TEST_F(Requests, ALinkForTheOpenWindowIsAskedThere) {
    sandbox.SeedBothFamilies();
    Toolkit first(sandbox.work);
    HWND main = first.Main();
    ASSERT_TRUE(main);

    // The second copy ends at once; the open window asks.
    Toolkit second(sandbox.work, Args({"mhtoolkit://join/bm/203.0.113.7:2346"}));
    EXPECT_EQ(second.WaitExit(), std::optional<DWORD>(0));
    MessageBoxInfo box = first.WaitMessageBox();
    EXPECT_EQ(box.text, "Join 203.0.113.7:2346 with Brightmoor?");
    EXPECT_EQ(box.owner, main);
    first.Dismiss(box, IDNO);
    RoundTrip(main);
    EXPECT_TRUE(IsChecked(first.Item(IDC_SELECT_MH)));  // No leaves the window as it was
    EXPECT_EQ(Text(first.Item(IDC_SERVER_ADDRESS)), "192.0.2.7");

    Toolkit third(sandbox.work, Args({"mhtoolkit://join/bm/203.0.113.7:2346"}));
    EXPECT_EQ(third.WaitExit(), std::optional<DWORD>(0));
    ExpectBox(first, "Join 203.0.113.7:2346 with Brightmoor?", IDYES);
    const std::vector<Started> started = WaitStarted(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "orvantaMP.exe -client 203.0.113.7 2346");
    EXPECT_TRUE(IsChecked(first.Item(IDC_SELECT_BM)));
    EXPECT_FALSE(first.WaitExit(0));
}

TEST_F(Requests, MalformedAndHostileLinksStartNothing) {
    sandbox.SeedBothFamilies();
    const Stored before = ReadStored();
    const std::string ok = "mhtoolkit://join/ov/203.0.113.7:2346";
    // As the shell passes them: the open command is "<exe>" "%1". (The grammar's own table is in the
    // core tests.)
    const CommandTail tails[] = {
        Args({"mhtoolkit://join/ov/203.0.113.7%3A2346"}),
        Args({"mhtoolkit://join/ov/203.0.113.7 2346"}),
        Args({"mhtoolkit://join/ov/-server:2346"}),
        Args({"mhtoolkit://join/ov/" + std::string(240, 'a') + ":2346"}),
        Args({"mhtoolkit://join/ov/h\xc3\xa9.example:2346"}),
        CommandTail{"\"mhtoolkit://join/ov/203.0.113.7\" --unregister-links \"\""},  // a quote breaking out
        CommandTail{"\"mhtoolkit://join/ov/x\" --join ov 203.0.113.7:2346"},
        Args({"--join", "ov", ok}),
    };
    for (const CommandTail& tail : tails) {
        SCOPED_TRACE(tail.text);
        Toolkit app(sandbox.work, tail);
        MessageBoxInfo box = app.WaitMessageBox();
        EXPECT_EQ(box.text, kBadLink);
        EXPECT_EQ(AllDialogs(app.Pid()), std::vector<HWND>{box.hWnd});
        app.Dismiss(box);
        EXPECT_EQ(app.WaitExit(), std::optional<DWORD>(2));
    }
    EXPECT_TRUE(ReadStarted().empty());
    EXPECT_TRUE(ReadStored() == before);

    // Refused by the starting copy itself: nothing reaches an open window.
    Toolkit open(sandbox.work);
    ASSERT_TRUE(open.Main());
    Toolkit bad(sandbox.work, Args({"mhtoolkit://join/ov/203.0.113.7%3A2346"}));
    ExpectBox(bad, kBadLink);
    EXPECT_EQ(bad.WaitExit(), std::optional<DWORD>(2));
    RoundTrip(open.Main());
    EXPECT_TRUE(open.NoMessageWindow());
    EXPECT_TRUE(IsChecked(open.Item(IDC_SELECT_MH)));
}

}  // namespace
