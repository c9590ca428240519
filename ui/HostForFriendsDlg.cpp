#include "ui/HostForFriendsDlg.h"

#include "core/command_line.h"
#include "core/server_address.h"
#include "host_friends_ids.h"
#include "win32/Clipboard.h"
#include "win32/LocalAddress.h"
#include "win32/PortMapper.h"

namespace {

// The search gives up after this long (a round may run a little past it).
constexpr unsigned kSearchMs = 7000;

std::wstring FromUtf8(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHostForFriendsDlg, CDialog)
    ON_BN_CLICKED(IDC_HOST_OPEN, OnOpenPort)
    ON_BN_CLICKED(IDC_HOST_CLOSE_PORT, OnClosePort)
    ON_BN_CLICKED(IDC_HOST_COPY_LINK, OnCopyLink)
    ON_BN_CLICKED(IDC_HOST_COPY_ADDRESS, OnCopyAddress)
    ON_MESSAGE(kWorkDone, OnWorkDone)
END_MESSAGE_MAP()

CHostForFriendsDlg::CHostForFriendsDlg() : CDialog(IDD_HOST_FRIENDS) {}

CHostForFriendsDlg::~CHostForFriendsDlg() { StopWork(); }

INT_PTR CHostForFriendsDlg::DoModal() {
    const INT_PTR result = CDialog::DoModal();
    StopWork();
    return result;
}

BOOL CHostForFriendsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetDlgItemTextA(m_hWnd, IDC_HOST_GAME, InfoOf(m_target).name);
    ::SetDlgItemTextA(m_hWnd, IDC_HOST_PORT, m_strPort.c_str());
    return TRUE;
}

// Enter: Open Port, when it can be clicked.
void CHostForFriendsDlg::OnOK() {
    if (::IsWindowEnabled(GetDlgItem(IDC_HOST_OPEN))) OnOpenPort();
}

// Close (also while the router is looked for): the dialog ends at once; the worker stops at its
// next step and is waited for when the dialog is gone.
void CHostForFriendsDlg::OnCancel() {
    m_cancel = true;
    EndDialog(IDCANCEL);
}

void CHostForFriendsDlg::OnOpenPort() {
    std::string port;
    if (TakePort(port)) Start(Action::Open, port);
}

void CHostForFriendsDlg::OnClosePort() {
    std::string port;
    if (TakePort(port)) Start(Action::Close, port);
}

bool CHostForFriendsDlg::TakePort(std::string& port) {
    char text[64] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_HOST_PORT, text, sizeof text);
    port = text;
    if (IsPort(port)) return true;
    MessageBox(kBadPortMessage, nullptr, MB_OK | MB_ICONEXCLAMATION);
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_HOST_PORT)), TRUE);
    ::SendDlgItemMessageA(m_hWnd, IDC_HOST_PORT, EM_SETSEL, 0, -1);
    return false;
}

void CHostForFriendsDlg::Start(Action action, const std::string& port) {
    if (m_worker) return;
    m_action = action;
    m_workPort = port;
    m_workWindow = m_hWnd;
    m_cancel = false;
    m_link.clear();
    m_address.clear();
    // The focus leaves the buttons about to be disabled for one that stays.
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDCANCEL)), TRUE);
    for (int id : {IDC_HOST_OPEN, IDC_HOST_CLOSE_PORT, IDC_HOST_COPY_LINK, IDC_HOST_COPY_ADDRESS})
        EnableDlgItem(id, FALSE);
    ::SendDlgItemMessageA(m_hWnd, IDC_HOST_PORT, EM_SETREADONLY, TRUE, 0);
    m_result = kLookingForRouter;
    ShowResult(m_result);
    m_worker = ::CreateThread(nullptr, 0, Work, this, 0, nullptr);
    if (!m_worker) {
        m_outcome = NoRouterOutcome(port, std::string());
        OnWorkDone(0, 0);
    }
}

// The worker: everything that touches the network, the router client made and ended here.
DWORD WINAPI CHostForFriendsDlg::Work(LPVOID self) {
    auto* dialog = static_cast<CHostForFriendsDlg*>(self);
    const std::string& port = dialog->m_workPort;
    HostOutcome outcome;
    {
        PortMapper mapper;
        RouterInfo router;
        if (mapper.Discover(dialog->m_cancel, kSearchMs, router)) {
            if (!dialog->m_cancel)
                outcome = dialog->m_action == Action::Open ? mapper.Open(port, MappingDescription(dialog->m_target))
                                                           : mapper.Close(port);
        } else if (!dialog->m_cancel) {
            // Forwarding by hand needs this PC's address, found without the router.
            outcome = NoRouterOutcome(port, LookUpLocalIP());
        }
    }
    dialog->m_outcome = outcome;
    if (!dialog->m_cancel) ::PostMessageA(dialog->m_workWindow, kWorkDone, 0, 0);
    return 0;
}

void CHostForFriendsDlg::StopWork() {
    if (!m_worker) return;
    m_cancel = true;
    // The worker ends within a round of its search (about a second). Meanwhile this thread's windows
    // are painted and answer sent messages; nothing posted is taken, so no click is acted on.
    while (::MsgWaitForMultipleObjects(1, &m_worker, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        if (::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    ::CloseHandle(m_worker);
    m_worker = nullptr;
}

LRESULT CHostForFriendsDlg::OnWorkDone(WPARAM, LPARAM) {
    StopWork();  // it has posted its last word: this only collects it
    m_result = OutcomeText(m_outcome);
    ShowResult(m_result);
    const bool opened = m_outcome.result == HostResult::Opened;
    if (opened) {
        m_address = JoinAddress(m_outcome.router.externalAddress, m_outcome.port);
        m_link = JoinLink(m_target, m_outcome.router.externalAddress, m_outcome.port);
    }
    for (int id : {IDC_HOST_OPEN, IDC_HOST_CLOSE_PORT}) EnableDlgItem(id, TRUE);
    for (int id : {IDC_HOST_COPY_LINK, IDC_HOST_COPY_ADDRESS}) EnableDlgItem(id, opened);
    ::SendDlgItemMessageA(m_hWnd, IDC_HOST_PORT, EM_SETREADONLY, FALSE, 0);
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(opened ? IDC_HOST_COPY_LINK : IDC_HOST_OPEN)),
                   TRUE);
    return 0;
}

void CHostForFriendsDlg::OnCopyLink() { Copy(m_link); }

void CHostForFriendsDlg::OnCopyAddress() { Copy(m_address); }

void CHostForFriendsDlg::Copy(const std::string& text) {
    if (text.empty()) return;
    const std::string status =
        PutTextOnClipboard(m_hWnd, text) ? "Copied " + text : std::string("The clipboard could not be opened.");
    ShowResult(m_result + "\r\n\r\n" + status);
}

void CHostForFriendsDlg::ShowResult(const std::string& text) {
    ::SetDlgItemTextW(m_hWnd, IDC_HOST_RESULT, FromUtf8(text).c_str());
}
