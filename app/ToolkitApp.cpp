#include "ToolkitApp.h"

#include <cstdlib>

#include "MachineValues.h"
#include "ToolkitDlg.h"

CToolkitApp theApp;

BOOL CToolkitApp::InitInstance() {
    if (RunMachineValuesOption(__argc, __argv, &m_nExitCode)) return FALSE;
    // Any top-level window with the main window's title counts as a running copy.
    if (::FindWindowA(nullptr, "MH Toolkit")) {
        AfxMessageBox("MH Toolkit is already running!", MB_OK, 0);
        return FALSE;
    }
    CToolkitDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CToolkitApp::ExitInstance() { return m_nExitCode; }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
