// The framework's end for what would have thrown, on a test program whose handlers fail: the
// program says why it has to close, keeps its windows disabled meanwhile, runs none of the code
// after the failure, and ends with the fatal-error exit code once the message is dismissed.
#include <gtest/gtest.h>

#include "fatal_error_ids.h"
#include "harness.h"

using namespace harness;

namespace {

const std::optional<DWORD> kFatalErrorExit(3);
const char kOutOfMemory[] = "The program ran out of memory and has to close.";
const char kInternalError[] = "The program met an internal error and has to close.";

struct Fault {
    int button;
    const char* what;
    const char* message;
    bool inDialog;  // failed in a dialog's handler
};

const Fault kFaults[] = {
    {IDC_EXHAUST_MEMORY, "an allocation fails in a click handler", kOutOfMemory, true},
    {IDC_LIBRARY_ERROR, "an index out of range in a click handler", kInternalError, true},
    {IDC_OPEN_FAILING, "an index out of range in a nested dialog's initialisation", kInternalError, true},
    {IDC_END_AND_FAIL, "an allocation failure after the dialog has ended", kOutOfMemory, false},
};

TEST(FatalError, AFailureEndsTheProgramAtOnceWithAMessage) {
    Sandbox sandbox;
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.what);
        const std::string wentOn = Join(sandbox.work, "went-on");
        ::DeleteFileA(wentOn.c_str());
        Toolkit app(sandbox.work, Join(TestDir(), "fatal_error.exe"));
        HWND dialog = app.WaitDialog("Fatal Error Test");
        ASSERT_TRUE(dialog);
        Click(Item(dialog, fault.button));
        MessageBoxInfo box = app.WaitMessageBox();
        ASSERT_TRUE(box.hWnd);
        EXPECT_EQ(box.text, fault.message);
        EXPECT_EQ(box.caption, "fatal_error");
        EXPECT_EQ(IconOf(box), BoxIcon::Hand);
        if (fault.inDialog) {
            EXPECT_FALSE(::IsWindowEnabled(dialog));  // no handler can run while the box is up
        }
        EXPECT_FALSE(app.WaitExit(0));
        app.Dismiss(box);
        EXPECT_EQ(app.WaitExit(), kFatalErrorExit);
        // Nothing after the failing statement ran.
        EXPECT_EQ(::GetFileAttributesA(wentOn.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

}  // namespace
