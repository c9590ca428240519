// The message for a program of a launch action that does not start.
#include <gtest/gtest.h>

#include "core/start_failure.h"

namespace {

using namespace start_error;

const char kInstall[] = "C:\\Games\\Mireholt";
const char kJoin[] = "Mireholt.exe -client 192.0.2.7 2346";

struct Case {
    const char* name;
    StartFailure failure;
    const char* text;
    bool offerElevation;
};

// A game's start in its installation folder, which exists.
StartFailure Game(unsigned long error, const char* commandLine = kJoin) {
    StartFailure f;
    f.program = LaunchProgram::Game;
    f.commandLine = commandLine;
    f.error = error;
    f.systemText = "The system's text.\r\n";
    f.folder = kInstall;
    f.installationPath = kInstall;
    f.installationFolderExists = true;
    return f;
}

StartFailure Tool(LaunchProgram program, const char* commandLine, unsigned long error, bool onWine = false) {
    StartFailure f;
    f.program = program;
    f.commandLine = commandLine;
    f.error = error;
    f.systemText = "The system's text.\r\n";
    f.folder = kInstall;
    f.onWine = onWine;
    return f;
}

template <class Change>
StartFailure With(StartFailure f, Change change) {
    change(f);
    return f;
}

const char kNotFound[] =
    "Mireholt.exe was not found in C:\\Games\\Mireholt.\n\nCheck the game's installation in that folder, or "
    "reinstall the game.";
const char kNotSet[] =
    "Mireholt.exe could not be started: the game's installation folder is not set (its InstallationPath value is "
    "missing or empty), so it was looked for in C:\\Users\\me.\n\nReinstall or repair the game, so that it records "
    "its folder.";
const char kGone[] =
    "orvanta.exe could not be started: the game's installation folder, D:\\Old\\Orvanta, does not exist.\n\nIf "
    "the game has moved, reinstall or repair it, so that it records its new folder.";
const char kNotAProgram[] =
    "Mireholt.exe in C:\\Games\\Mireholt is not a program that runs on this system, or it is damaged.\n\nReinstall "
    "or repair the game.";
const char kAdmin[] = "Mireholt.exe is set to run as administrator. Start it as administrator?";
const char kAdminSplit[] =
    "Mireholt.exe is set to run as administrator. Start it as administrator?\n\nAs administrator the game will use "
    "the machine's settings, which differ from your own copy (see Settings Location in the window's system menu).";
const char kTelnetWindows[] =
    "telnet.exe was not found. Windows ships its Telnet Client turned off.\n\nTo turn it on, open \"Turn Windows "
    "features on or off\" (search for it in the Start menu), tick \"Telnet Client\" and choose OK; or run this in a "
    "Command Prompt opened as administrator:\n\ndism /online /Enable-Feature /FeatureName:TelnetClient";
const char kTelnetWine[] =
    "telnet.exe was not found. Wine and Proton prefixes have no Telnet client.\n\nUse your system's own telnet "
    "against the same server:\n\ntelnet 192.0.2.7 23";

TEST(StartFailure, EachFailureHasItsMessage) {
    const Case cases[] = {
        {"game missing", Game(kFileNotFound), kNotFound, false},
        {"game's path missing", Game(kPathNotFound), kNotFound, false},
        {"folder invalid", Game(kDirectory), kNotFound, false},
        {"folder not set", With(Game(kFileNotFound), [](StartFailure& f) {
             f.installationPath = "";
             f.installationFolderExists = false;
             f.folder = "C:\\Users\\me";
         }), kNotSet, false},
        {"folder gone", With(Game(kFileNotFound, "orvanta.exe -server 2346"), [](StartFailure& f) {
             f.installationPath = "D:\\Old\\Orvanta";
             f.installationFolderExists = false;
         }), kGone, false},
        {"not a program", Game(kBadExeFormat), kNotAProgram, false},
        {"bad format", Game(kBadFormat), kNotAProgram, false},
        {"no MZ signature", Game(kInvalidExeSignature), kNotAProgram, false},
        {"marked invalid", Game(kExeMarkedInvalid), kNotAProgram, false},
        {"other machine", Game(kExeMachineTypeMismatch), kNotAProgram, false},
        // The folder is only looked at when the file is not found.
        {"not a program, folder gone", With(Game(kBadExeFormat), [](StartFailure& f) {
             f.installationFolderExists = false;
         }), kNotAProgram, false},
        {"administrator", Game(kElevationRequired), kAdmin, true},
        {"administrator, settings split", With(Game(kElevationRequired), [](StartFailure& f) {
             f.machineValuesDiffer = true;
         }), kAdminSplit, true},
        {"ping as administrator", With(Tool(LaunchProgram::Ping, "ping.exe 192.0.2.7", kElevationRequired),
                                       [](StartFailure& f) { f.machineValuesDiffer = true; }),
         "ping.exe is set to run as administrator. Start it as administrator?", true},
        {"access denied", Game(5), "Mireholt.exe could not be started (error 5): The system's text.", false},
        {"no system text", With(Game(1450), [](StartFailure& f) { f.systemText = " \r\n"; }),
         "Mireholt.exe could not be started (error 1450).", false},
        {"telnet missing, Windows", Tool(LaunchProgram::Telnet, "telnet.exe 192.0.2.7 23", kFileNotFound),
         kTelnetWindows, false},
        {"telnet missing, Wine", Tool(LaunchProgram::Telnet, "telnet.exe 192.0.2.7 23", kFileNotFound, true),
         kTelnetWine, false},
        {"telnet denied", Tool(LaunchProgram::Telnet, "telnet.exe 192.0.2.7 23", 5, true),
         "telnet.exe could not be started (error 5): The system's text.", false},
        {"telnet not a program", Tool(LaunchProgram::Telnet, "telnet.exe 192.0.2.7 23", kBadExeFormat),
         "telnet.exe is not a program that runs on this system, or it is damaged.", false},
        {"ping missing", Tool(LaunchProgram::Ping, "ping.exe 192.0.2.7", kFileNotFound, true),
         "ping.exe could not be started (error 2): The system's text.", false},
        {"ping not a program", Tool(LaunchProgram::Ping, "ping.exe -n 1 x", kExeMachineTypeMismatch),
         "ping.exe is not a program that runs on this system, or it is damaged.", false},
        // The start as administrator failed: never asked again, never a folder's story.
        {"elevated, failed", With(Game(kFileNotFound), [](StartFailure& f) { f.elevated = true; }),
         "Mireholt.exe could not be started as administrator (error 2): The system's text.", false},
        {"elevated, 740 again", With(Game(kElevationRequired), [](StartFailure& f) { f.elevated = true; }),
         "Mireholt.exe could not be started as administrator (error 740): The system's text.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StartFailureReport report = DescribeStartFailure(c.failure);
        EXPECT_EQ(report.text, c.text);
        EXPECT_EQ(report.offerElevation, c.offerElevation);
    }
}

TEST(StartFailure, TheShellGetsTheProgramAndTheRestOfTheLine) {
    const struct {
        const char *line, *program, *parameters;
    } cases[] = {
        {kJoin, "Mireholt.exe", "-client 192.0.2.7 2346"},
        {"Mireholt.exe -client   2346", "Mireholt.exe", "-client   2346"},  // a blank address stays
        {"orvantaMP.exe -server 2346", "orvantaMP.exe", "-server 2346"},
        {"ping.exe", "ping.exe", ""},
    };
    for (const auto& c : cases) {
        const ProgramAndParameters split = SplitCommandLine(c.line);
        EXPECT_EQ(split.program, c.program) << c.line;
        EXPECT_EQ(split.parameters, c.parameters) << c.line;
    }
}

}  // namespace
