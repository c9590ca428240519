// The application object: refuses a second copy, otherwise runs the main window.
#pragma once

#include "dialog.h"

class CToolkitApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

    int m_nExitCode = 0;  // the process's exit code
};
