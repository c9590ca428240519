// What the player is told when a launch action's program does not start, chosen from the program,
// the system's error code and what is known about the folders.
#pragma once

#include <string>

#include "core/launch.h"

// The system error codes the rule tells apart (their winerror.h values).
namespace start_error {
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kBadFormat = 11;
constexpr unsigned long kInvalidExeSignature = 191;
constexpr unsigned long kExeMarkedInvalid = 192;
constexpr unsigned long kBadExeFormat = 193;
constexpr unsigned long kExeMachineTypeMismatch = 216;
constexpr unsigned long kDirectory = 267;  // the folder to start in is not valid
constexpr unsigned long kElevationRequired = 740;
constexpr unsigned long kCancelled = 1223;  // the administrator prompt was refused
}  // namespace start_error

struct StartFailure {
    LaunchProgram program = LaunchProgram::Game;
    std::string commandLine;
    unsigned long error = 0;
    std::string systemText;  // the system's own text for the error
    bool elevated = false;   // the failing start was the one as administrator
    std::string folder;      // the current folder the start used
    // For a game: its InstallationPath as stored ("" when missing) and whether that folder exists.
    std::string installationPath;
    bool installationFolderExists = false;
    // For a game: the machine's values differ from the player's per-user copy.
    bool machineValuesDiffer = false;
    bool onWine = false;
};

struct StartFailureReport {
    std::string text;
    // The text is a question: Yes (not the default) starts the same command line as administrator.
    bool offerElevation = false;
};

StartFailureReport DescribeStartFailure(const StartFailure& failure);

// A command line's program and the rest, as a shell start takes them apart:
// "orvanta.exe -client a b" is "orvanta.exe" and "-client a b".
struct ProgramAndParameters {
    std::string program, parameters;
};
ProgramAndParameters SplitCommandLine(const std::string& commandLine);
