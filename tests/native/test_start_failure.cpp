// The message for a program of a launch action that does not start.
#include <gtest/gtest.h>

#include "core/start_failure.h"

namespace {

using namespace start_error;
constexpr LaunchProgram kGame = LaunchProgram::Game, kPing = LaunchProgram::Ping, kTelnet = LaunchProgram::Telnet;
const char kFolder[] = "C:\\Games\\Mireholt";  // the folder every start below used

const char kNotFound[] = "Mireholt.exe was not found in C:\\Games\\Mireholt.\n\nCheck the game's installation in "
                         "that folder, or reinstall the game.";
const char kNotAProgram[] = "Mireholt.exe in C:\\Games\\Mireholt is not a program that runs on this system, or it "
                            "is damaged.\n\nReinstall or repair the game.";
const char kAsk[] = "Mireholt.exe is set to run as administrator. Start it as administrator?";
const char kDenied[] = "Mireholt.exe could not be started (error 5): Access is denied.";

TEST(StartFailure, EachFailureHasItsMessage) {
    const struct {
        LaunchProgram program;
        unsigned long error;
        const char* installationPath;
        bool folderExists, machineValuesDiffer, onWine, elevated;
        const char* text;
    } cases[] = {
        {kGame, kFileNotFound, kFolder, true, false, false, false, kNotFound},
        {kGame, kPathNotFound, kFolder, true, false, false, false, kNotFound},
        {kGame, kDirectory, kFolder, true, false, false, false, kNotFound},
        {kGame, kFileNotFound, "", false, false, false, false,
         "Mireholt.exe could not be started: the game's installation folder is not set (its InstallationPath value "
         "is missing or empty), so it was looked for in C:\\Games\\Mireholt.\n\nReinstall or repair the game, so "
         "that it records its folder."},
        {kGame, kPathNotFound, "D:\\Old", false, false, false, false,
         "Mireholt.exe could not be started: the game's installation folder, D:\\Old, does not exist.\n\nIf the "
         "game has moved, reinstall or repair it, so that it records its new folder."},
        {kGame, kBadExeFormat, kFolder, true, false, false, false, kNotAProgram},
        {kGame, kBadFormat, kFolder, true, false, false, false, kNotAProgram},
        {kGame, kInvalidExeSignature, kFolder, true, false, false, false, kNotAProgram},
        {kGame, kExeMarkedInvalid, kFolder, true, false, false, false, kNotAProgram},
        {kGame, kExeMachineTypeMismatch, "D:\\Old", false, false, false, false,  // folder unasked
         "Mireholt.exe in C:\\Games\\Mireholt is made for another kind of Windows (for example 64-bit Windows) "
         "than this one, so it cannot run here."},
        {kGame, kExeMachineTypeMismatch, kFolder, true, false, false, true,
         "Mireholt.exe in C:\\Games\\Mireholt is made for another kind of Windows (for example 64-bit Windows) "
         "than this one, so it cannot run here."},
        {kTelnet, kExeMachineTypeMismatch, "", false, false, false, false,
         "telnet.exe is made for another kind of Windows (for example 64-bit Windows) than this one, so it cannot "
         "run here."},
        {kGame, kElevationRequired, kFolder, true, false, false, false, kAsk},
        {kGame, kElevationRequired, kFolder, true, true, false, false,
         "Mireholt.exe is set to run as administrator. Start it as administrator?\n\nAs administrator the game will "
         "use the machine's settings, which differ from your own copy (see Settings Location in the window's system "
         "menu)."},
        {kPing, kElevationRequired, "", false, true, false, false,
         "ping.exe is set to run as administrator. Start it as administrator?"},
        {kGame, 5, kFolder, true, false, false, false, kDenied},
        {kGame, 2, kFolder, true, false, false, true,  // the start as administrator: never asked again
         "Mireholt.exe could not be started as administrator (error 2): Access is denied."},
        {kGame, kElevationRequired, kFolder, true, false, false, true,
         "Mireholt.exe could not be started as administrator (error 740): Access is denied."},
        {kTelnet, kFileNotFound, "", false, false, false, false,
         "telnet.exe was not found. Windows ships its Telnet Client turned off.\n\nTo turn it on, open \"Turn "
         "Windows features on or off\" (search for it in the Start menu), tick \"Telnet Client\" and choose OK; or "
         "run this in a Command Prompt opened as administrator:\n\ndism /online /Enable-Feature "
         "/FeatureName:TelnetClient"},
        {kTelnet, kPathNotFound, "", false, false, true, false,
         "telnet.exe was not found. Wine and Proton prefixes have no Telnet client.\n\nUse your system's own telnet "
         "against the same server:\n\ntelnet 192.0.2.7 23"},
        {kTelnet, 5, "", false, false, true, false, "telnet.exe could not be started (error 5): Access is denied."},
        {kTelnet, kBadExeFormat, "", false, false, false, false,
         "telnet.exe is not a program that runs on this system, or it is damaged."},
        {kPing, kFileNotFound, "", false, false, true, false,
         "ping.exe could not be started (error 2): Access is denied."},
    };
    for (const auto& c : cases) {
        StartFailure failure{c.program, "", c.error, "Access is denied.\r\n", c.elevated, kFolder,
                             c.installationPath, c.folderExists, c.machineValuesDiffer, c.onWine};
        failure.commandLine = c.program == kGame ? "Mireholt.exe -client 192.0.2.7 2346"
                              : c.program == kPing ? "ping.exe 192.0.2.7" : "telnet.exe 192.0.2.7 23";
        const StartFailureReport report = DescribeStartFailure(failure);
        EXPECT_EQ(report.text, c.text) << c.error;
        EXPECT_EQ(report.offerElevation, c.error == kElevationRequired && !c.elevated) << c.text;
    }
    // The system has no text for it.
    const StartFailure silent{kGame, "Mireholt.exe", 1450, " \r\n", false, kFolder, kFolder, true, false, false};
    EXPECT_EQ(DescribeStartFailure(silent).text, "Mireholt.exe could not be started (error 1450).");
}

TEST(StartFailure, TheShellGetsTheProgramAndTheRestOfTheLine) {
    const char* cases[][3] = {{"Mireholt.exe -client   2346", "Mireholt.exe", "-client   2346"},
                              {"orvantaMP.exe -server 2346", "orvantaMP.exe", "-server 2346"},
                              {"ping.exe", "ping.exe", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c[0]).program, c[1]);
        EXPECT_EQ(SplitCommandLine(c[0]).parameters, c[2]);
    }
}

}  // namespace
