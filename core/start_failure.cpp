#include "core/start_failure.h"

namespace {

bool NotFound(unsigned long error) {
    return error == start_error::kFileNotFound || error == start_error::kPathNotFound ||
           error == start_error::kDirectory;
}

bool NotAProgram(unsigned long error) {
    return error == start_error::kBadFormat || error == start_error::kInvalidExeSignature ||
           error == start_error::kExeMarkedInvalid || error == start_error::kBadExeFormat ||
           error == start_error::kExeMachineTypeMismatch;
}

std::string Trimmed(const std::string& text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string GameNotFound(const StartFailure& f, const std::string& exe) {
    if (f.installationPath.empty())
        return exe + " could not be started: the game's installation folder is not set (its InstallationPath "
                     "value is missing or empty), so it was looked for in " + f.folder +
               ".\n\nReinstall or repair the game, so that it records its folder.";
    if (!f.installationFolderExists)
        return exe + " could not be started: the game's installation folder, " + f.installationPath +
               ", does not exist.\n\nIf the game has moved, reinstall or repair it, so that it records its new "
               "folder.";
    return exe + " was not found in " + f.folder +
           ".\n\nCheck the game's installation in that folder, or reinstall the game.";
}

std::string TelnetMissing(const StartFailure& f, const std::string& parameters) {
    if (f.onWine)
        return "telnet.exe was not found. Wine and Proton prefixes have no Telnet client.\n\nUse your system's own "
               "telnet against the same server:\n\ntelnet " + parameters;
    return "telnet.exe was not found. Windows ships its Telnet Client turned off.\n\nTo turn it on, open \"Turn "
           "Windows features on or off\" (search for it in the Start menu), tick \"Telnet Client\" and choose OK; "
           "or run this in a Command Prompt opened as administrator:\n\n"
           "dism /online /Enable-Feature /FeatureName:TelnetClient";
}

}  // namespace

StartFailureReport DescribeStartFailure(const StartFailure& f) {
    const ProgramAndParameters line = SplitCommandLine(f.commandLine);
    const std::string& exe = line.program;
    const bool game = f.program == LaunchProgram::Game;
    StartFailureReport report;
    if (!f.elevated && f.error == start_error::kElevationRequired) {
        report.offerElevation = true;
        report.text = exe + " is set to run as administrator. Start it as administrator?";
        if (game && f.machineValuesDiffer)
            report.text += "\n\nAs administrator the game will use the machine's settings, which differ from your "
                           "own copy (see Settings Location in the window's system menu).";
        return report;
    }
    if (!f.elevated && NotFound(f.error) && game) {
        report.text = GameNotFound(f, exe);
    } else if (!f.elevated && NotFound(f.error) && f.program == LaunchProgram::Telnet) {
        report.text = TelnetMissing(f, line.parameters);
    } else if (NotAProgram(f.error)) {
        report.text = game ? exe + " in " + f.folder +
                                 " is not a program that runs on this system, or it is damaged.\n\nReinstall or "
                                 "repair the game."
                           : exe + " is not a program that runs on this system, or it is damaged.";
    } else {
        const std::string systemText = Trimmed(f.systemText);
        report.text = exe + " could not be started" + (f.elevated ? " as administrator" : "") + " (error " +
                      std::to_string(f.error) + ")" + (systemText.empty() ? "." : ": " + systemText);
    }
    return report;
}

ProgramAndParameters SplitCommandLine(const std::string& commandLine) {
    const std::size_t blank = commandLine.find(' ');
    if (blank == std::string::npos) return {commandLine, std::string()};
    return {commandLine.substr(0, blank), commandLine.substr(blank + 1)};
}
