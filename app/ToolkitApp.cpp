#include "app/ToolkitApp.h"

#include <commctrl.h>

#include "app/RunWithoutWindow.h"
#include "ui/ToolkitDlg.h"
#include "win32/HandOver.h"
#include "win32/LocalAddress.h"

CToolkitApp theApp;

BOOL CToolkitApp::InitInstance() {
    const std::vector<std::string> args = ProgramArguments();
    Request request = ParseArguments(args);
    // These, the elevated copy of per-user values among them, come before the single-instance rule.
    if (!NeedsMainWindow(request)) {
        m_nExitCode = RunWithoutWindow(request);
        return FALSE;
    }
    // The manifest asks for Common Controls 6 (themed controls).
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    // Any top-level window with the main window's title counts as a running copy; a join request
    // goes to it when it is ours.
    if (::FindWindowA(nullptr, "MH Toolkit")) {
        if (request.kind == RequestKind::Open || !HandOver(args, &m_nExitCode))
            AfxMessageBox("MH Toolkit is already running!", MB_OK, 0);
        return FALSE;
    }
    // The local address is looked up while the main window is made; OnInitDialog takes it.
    StartLocalIPLookup();
    CToolkitDlg dlg;
    if (request.kind != RequestKind::Open) dlg.m_startRequest.emplace(std::move(request));
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CToolkitApp::ExitInstance() { return m_nExitCode; }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
