// The main window's join requests (command line, links, hand-over from a later start) and the
// system-menu items Your Addresses, link registration and Host for Friends.
#include "core/launch.h"
#include "toolkit_dlg_ids.h"
#include "ui/HostForFriendsDlg.h"
#include "ui/ToolkitDlg.h"
#include "ui/YourAddressesDlg.h"
#include "win32/HandOver.h"
#include "win32/LinkRegistration.h"

namespace {

std::string FieldText(HWND dialog, int id) {
    char text[256] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

}  // namespace

LRESULT CToolkitDlg::OnCopyData(WPARAM, LPARAM lParam) {
    // Everything is checked again here: the sender may be any program.
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != kHandOverTag || data->cbData > kMaxPackedBytes || (data->cbData && !data->lpData))
        return 0;
    const auto args = UnpackArguments(std::string(static_cast<const char*>(data->lpData), data->cbData));
    if (!args) return 0;
    Request request = ParseArguments(*args);
    if (request.kind != RequestKind::Join && request.kind != RequestKind::Link) return 0;
    // A dialog or message box of ours is open over the window: refused, the sender says so.
    if (!::IsWindowEnabled(m_hWnd)) return kHandOverBusy;
    m_requests.push_back(PendingRequest{std::move(request), false});
    ::PostMessageA(m_hWnd, kCarryOutRequest, 0, 0);
    return kHandOverAccepted;
}

LRESULT CToolkitDlg::OnCarryOutRequest(WPARAM, LPARAM) {
    if (m_requests.empty()) return 0;
    const PendingRequest pending = std::move(m_requests.front());
    m_requests.pop_front();
    // A dialog opened since the request was taken: it is dropped rather than run under that dialog.
    if (::IsWindowEnabled(m_hWnd)) CarryOutRequest(pending);
    return 0;
}

void CToolkitDlg::CarryOutRequest(const PendingRequest& pending) {
    if (!pending.atStart) {
        if (::IsIconic(m_hWnd)) ::ShowWindow(m_hWnd, SW_RESTORE);
        ::SetForegroundWindow(m_hWnd);
    }
    if (pending.request.kind == RequestKind::Link && !ConfirmLink(pending.request)) {
        if (pending.atStart) EndDialog(IDCANCEL);
        return;
    }
    if (JoinFor(pending.request) && pending.atStart) EndDialog(IDOK);
}

bool CToolkitDlg::ConfirmLink(const Request& request) {
    // The port the join will use when the link has none: the game's stored one, read without the
    // side effect on the installed flags that the selection's reads have.
    const std::string storedPort = m_selection.Store().Read(InfoOf(request.target).family, kJoinPortValue);
    const std::string question = LinkQuestion(request, storedPort);
    // Asked on its own: a window not shown yet stays hidden when the answer starts the game.
    return ::MessageBoxA(m_hWnd, question.c_str(), AfxGetAppName(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
           IDYES;
}

bool CToolkitDlg::JoinFor(const Request& request) {
    // As a click on the game's radio, but without its not-installed message: Join shows that one.
    m_selection.SelectTarget(request.target);
    LoadSelectedGame();
    m_strServerAddress = request.server.host;
    if (request.server.port) m_strPort = *request.server.port;
    UpdateData(FALSE);
    ShowSettingsLocationItem(false);
    return JoinServer();
}

LRESULT CToolkitDlg::OnInitMenuPopup(WPARAM, LPARAM lParam) {
    if (HIWORD(lParam)) {
        ShowLinksCheck();  // the system menu: registration may have changed meanwhile
        ShowHostingItem();
    }
    Default();
    return 0;
}

LRESULT CToolkitDlg::OnDestroy(WPARAM, LPARAM) {
    ::RemovePropA(m_hWnd, kHandOverProperty);
    Default();
    return 0;
}

void CToolkitDlg::ShowLinksCheck() {
    if (HMENU sysMenu = ::GetSystemMenu(m_hWnd, FALSE))
        ::CheckMenuItem(sysMenu, IDM_OPEN_LINKS, MF_BYCOMMAND | (LinksRegistered() ? MF_CHECKED : MF_UNCHECKED));
}

void CToolkitDlg::OnToggleLinks() {
    const bool registered = LinksRegistered();
    if (!(registered ? UnregisterLinks() : RegisterLinks()))
        MessageBox(registered ? kUnregisterLinksFailed : kRegisterLinksFailed, nullptr, MB_OK | MB_ICONHAND);
    ShowLinksCheck();
}

void CToolkitDlg::OnYourAddresses() {
    // The fields as they stand, without a save (which could stop on the port's length).
    CYourAddressesDlg dlg;
    dlg.m_strShownAddress = FieldText(m_hWnd, IDC_LOCAL_IP);
    dlg.m_strServerAddress = FieldText(m_hWnd, IDC_SERVER_ADDRESS);
    dlg.m_strPort = FieldText(m_hWnd, IDC_PORT);
    dlg.DoModal();
}

void CToolkitDlg::OnHostForFriends() {
    // The game whose radio is on and the port as typed, without a save.
    CHostForFriendsDlg dlg;
    dlg.m_target = LaunchTargetOfSelection(::IsDlgButtonChecked(m_hWnd, IDC_SELECT_BM) == BST_CHECKED ? 0 : -1,
                                           ::IsDlgButtonChecked(m_hWnd, IDC_SELECT_OV) == BST_CHECKED ? 0 : -1);
    dlg.m_strPort = FieldText(m_hWnd, IDC_PORT);
    dlg.m_hosting = m_hosting;
    dlg.DoModal();
}
