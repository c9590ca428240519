#include "ToolkitApp.h"

#include "ToolkitDlg.h"

CToolkitApp theApp;

BOOL CToolkitApp::InitInstance() {
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

int CToolkitApp::ExitInstance() { return 0; }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
