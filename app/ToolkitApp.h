// The application object: carries out command-line requests, refuses a second copy (or hands a
// join request to it), otherwise runs the main window.
#pragma once

#include "framework/dialog.h"

class CToolkitApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    int m_nExitCode = 0;  // the process's exit code: other than 0 when a command-line request failed
};
