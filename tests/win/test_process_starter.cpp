// The starter of the launch actions' programs, called directly for the start as administrator, which
// the program reaches only where a plain start is refused for want of elevation (never under Wine).
#include <gtest/gtest.h>

#include "harness.h"
#include "win32/ProcessStarter.h"

using namespace harness;

namespace {

TEST(ProcessStarter, AsAdministratorItStartsTheSameCommandLineInTheCurrentFolder) {
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
    EXPECT_EQ(log[0].exe, "Mireholt.exe");
    EXPECT_EQ(log[0].directory, sandbox.mireholtDir);
    // The shell may name the program by its path; the parameters follow as they were.
    const std::string tail = " -client   2346";
    EXPECT_EQ(log[0].commandLine.substr(log[0].commandLine.size() - tail.size()), tail) << log[0].commandLine;
    EXPECT_TRUE(RunsOnWine());
}

}  // namespace
