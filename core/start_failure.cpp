#include "core/start_failure.h"

namespace {

bool NotFound(unsigned long error) {
    return error == start_error::kFileNotFound || error == start_error::kPathNotFound ||
           error == start_error::kDirectory;
}

bool NotAProgram(unsigned long error) {
    return error == start_error::kBadFormat || error == start_error::kInvalidExeSignature ||
           error == start_error::kExeMarkedInvalid || error == start_error::kBadExeFormat;
}

std::string Trimmed(const std::string& text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// Messages with placeholders: $E the program, $F the folder it was started in, $I the game's
// installation folder, $P the rest of the command line.
const char kGameMissing[] =
    "$E was not found in $F.\n\nCheck the game's installation in that folder, or reinstall the game.";
const char kFolderNotSet[] =
    "$E could not be started: the game's installation folder is not set (its InstallationPath value is missing "
    "or empty), so it was looked for in $F.\n\nReinstall or repair the game, so that it records its folder.";
const char kFolderGone[] =
    "$E could not be started: the game's installation folder, $I, does not exist.\n\nIf the game has moved, "
    "reinstall or repair it, so that it records its new folder.";
const char kGameNotAProgram[] =
    "$E in $F is not a program that runs on this system, or it is damaged.\n\nReinstall or repair the game.";
const char kNotAProgramText[] = "$E is not a program that runs on this system, or it is damaged.";
// A sound program for another processor: no reinstall mends that.
const char kGameForOtherWindows[] =
    "$E in $F is made for another kind of Windows (for example 64-bit Windows) than this one, so it cannot "
    "run here.";
const char kForOtherWindows[] =
    "$E is made for another kind of Windows (for example 64-bit Windows) than this one, so it cannot run here.";
const char kAskElevation[] = "$E is set to run as administrator. Start it as administrator?";
const char kAskElevationSplit[] =
    "$E is set to run as administrator. Start it as administrator?\n\nAs administrator the game will use the "
    "machine's settings, which differ from your own copy (see Settings Location in the window's system menu).";
const char kTelnetOnWindows[] =
    "telnet.exe was not found. Windows ships its Telnet Client turned off.\n\nTo turn it on, open \"Turn Windows "
    "features on or off\" (search for it in the Start menu), tick \"Telnet Client\" and choose OK; or run this in "
    "a Command Prompt opened as administrator:\n\ndism /online /Enable-Feature /FeatureName:TelnetClient";
const char kTelnetOnWine[] =
    "telnet.exe was not found. Wine and Proton prefixes have no Telnet client.\n\nUse your system's own telnet "
    "against the same server:\n\ntelnet $P";

std::string Fill(const char* pattern, const StartFailure& f, const ProgramAndParameters& line) {
    std::string text;
    for (const char* p = pattern; *p; ++p) {
        if (*p != '$') {
            text += *p;
            continue;
        }
        switch (*++p) {
        case 'E': text += line.program; break;
        case 'F': text += f.folder; break;
        case 'I': text += f.installationPath; break;
        default: text += line.parameters; break;
        }
    }
    return text;
}

const char* PatternFor(const StartFailure& f) {
    const bool game = f.program == LaunchProgram::Game;
    if (!f.elevated && f.error == start_error::kElevationRequired)
        return game && f.machineValuesDiffer ? kAskElevationSplit : kAskElevation;
    if (!f.elevated && NotFound(f.error) && game) {
        if (f.installationPath.empty()) return kFolderNotSet;
        return f.installationFolderExists ? kGameMissing : kFolderGone;
    }
    if (!f.elevated && NotFound(f.error) && f.program == LaunchProgram::Telnet)
        return f.onWine ? kTelnetOnWine : kTelnetOnWindows;
    if (NotAProgram(f.error)) return game ? kGameNotAProgram : kNotAProgramText;
    if (f.error == start_error::kExeMachineTypeMismatch) return game ? kGameForOtherWindows : kForOtherWindows;
    return nullptr;
}

}  // namespace

StartFailureReport DescribeStartFailure(const StartFailure& f) {
    const ProgramAndParameters line = SplitCommandLine(f.commandLine);
    StartFailureReport report;
    report.offerElevation = !f.elevated && f.error == start_error::kElevationRequired;
    if (const char* pattern = PatternFor(f)) {
        report.text = Fill(pattern, f, line);
        return report;
    }
    const std::string systemText = Trimmed(f.systemText);
    report.text = line.program + " could not be started" + (f.elevated ? " as administrator" : "") + " (error " +
                  std::to_string(f.error) + ")" + (systemText.empty() ? "." : ": " + systemText);
    return report;
}

ProgramAndParameters SplitCommandLine(const std::string& commandLine) {
    const std::size_t blank = commandLine.find(' ');
    if (blank == std::string::npos) return {commandLine, std::string()};
    return {commandLine.substr(0, blank), commandLine.substr(blank + 1)};
}
