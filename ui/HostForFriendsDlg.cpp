#include "ui/HostForFriendsDlg.h"

#include <atomic>

#include "core/host_texts.h"
#include "core/server_address.h"
#include "host_friends_ids.h"
#include "win32/Clipboard.h"
#include "win32/HostingService.h"

namespace {

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
    ON_CONTROL(EN_CHANGE, IDC_HOST_PORT, OnPortChanged)
    ON_MESSAGE(kWorkDone, OnWorkDone)
    ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()

// What the dialog and its worker share. Each holds a reference; the last one frees it.
struct CHostForFriendsDlg::Job {
    bool open = true;
    std::string port;
    GameTarget target = GameTarget::MH;
    HostingService* hosting = nullptr;  // a reference of its own
    std::atomic<bool> cancel{false};
    HostOutcome outcome;  // the worker's, read once it has posted kWorkDone

    SRWLOCK lock = SRWLOCK_INIT;
    HWND window = nullptr;  // under the lock: where the result goes; null once the dialog let go

    LONG references = 2;
    void Release() {
        if (::InterlockedDecrement(&references) == 0) {
            hosting->Release();
            delete this;
        }
    }

    static DWORD WINAPI Run(LPVOID parameter) {
        auto* job = static_cast<Job*>(parameter);
        job->outcome =
            job->hosting->Run(job->open ? HostAction::Open : HostAction::Close, job->port, job->target, job->cancel);
        ::AcquireSRWLockExclusive(&job->lock);
        if (job->window) ::PostMessageA(job->window, kWorkDone, 0, reinterpret_cast<LPARAM>(job));
        ::ReleaseSRWLockExclusive(&job->lock);
        job->Release();
        return 0;
    }
};

CHostForFriendsDlg::CHostForFriendsDlg() : CDialog(IDD_HOST_FRIENDS) {}

CHostForFriendsDlg::~CHostForFriendsDlg() { LetGo(); }

BOOL CHostForFriendsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetDlgItemTextA(m_hWnd, IDC_HOST_GAME, InfoOf(m_target).name);
    // The main window's port; with none there, a port held for friends.
    std::string port = m_strPort;
    const std::vector<std::string> held = m_hosting ? m_hosting->HeldPorts() : std::vector<std::string>();
    if (port.empty() && !held.empty()) port = held.front();
    ::SetDlgItemTextA(m_hWnd, IDC_HOST_PORT, port.c_str());
    OnPortChanged();
    ::SetTimer(m_hWnd, kStatusTimer, 1000, nullptr);
    return TRUE;
}

// A port held for friends, typed or shown at the start, shows what is held, kept up to date; another
// port shows nothing.
void CHostForFriendsDlg::OnPortChanged() {
    if (m_job || !m_hosting) return;
    char text[64] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_HOST_PORT, text, sizeof text);
    GameTarget target = m_target;
    const std::optional<HostingStatus> status = m_hosting->Status(text, &target);
    if (status) {
        m_heldPort = text;
        ShowHeld();
        OfferToFriends(target, status->opened);
    } else if (m_showingHeld) {
        ForgetHeld();
    }
}

bool CHostForFriendsDlg::ShowHeld() {
    const std::optional<HostingStatus> status =
        m_hosting && !m_heldPort.empty() ? m_hosting->Status(m_heldPort) : std::nullopt;
    m_showingHeld = status.has_value();
    if (!status) return false;
    m_result = HostingText(*status);
    ShowResult(m_result);
    return true;
}

void CHostForFriendsDlg::ForgetHeld() {
    m_showingHeld = false;
    m_heldPort.clear();
    m_link.clear();
    m_address.clear();
    for (int id : {IDC_HOST_COPY_LINK, IDC_HOST_COPY_ADDRESS}) EnableDlgItem(id, FALSE);
    m_result.clear();
    ShowResult(m_result);
}

LRESULT CHostForFriendsDlg::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam == kStatusTimer && m_showingHeld && !m_job && !ShowHeld()) ForgetHeld();
    return 0;
}

void CHostForFriendsDlg::OfferToFriends(GameTarget target, const HostOutcome& opened) {
    m_address = ShareText(opened.router.externalAddress, opened.port);
    m_link = JoinLink(target, opened.router.externalAddress, opened.port);
    for (int id : {IDC_HOST_COPY_LINK, IDC_HOST_COPY_ADDRESS}) EnableDlgItem(id, TRUE);
}

// Enter: Open Port, when it can be clicked.
void CHostForFriendsDlg::OnOK() {
    if (::IsWindowEnabled(GetDlgItem(IDC_HOST_OPEN))) OnOpenPort();
}

// Close (also while the router is looked for or asked): the dialog ends at once; the worker ends
// on its own.
void CHostForFriendsDlg::OnCancel() {
    LetGo();
    EndDialog(IDCANCEL);
}

void CHostForFriendsDlg::OnOpenPort() {
    std::string port;
    if (TakePort(port)) Start(true, port);
}

void CHostForFriendsDlg::OnClosePort() {
    std::string port;
    if (TakePort(port)) Start(false, port);
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

void CHostForFriendsDlg::Start(bool open, const std::string& port) {
    if (m_job || !m_hosting) return;
    auto* job = new Job;
    job->open = open;
    job->port = port;
    job->target = m_target;
    job->hosting = m_hosting;
    m_hosting->AddRef();
    job->window = m_hWnd;
    m_showingHeld = false;
    m_link.clear();
    m_address.clear();
    // The focus leaves the buttons about to be disabled for one that stays.
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDCANCEL)), TRUE);
    for (int id : {IDC_HOST_OPEN, IDC_HOST_CLOSE_PORT, IDC_HOST_COPY_LINK, IDC_HOST_COPY_ADDRESS})
        EnableDlgItem(id, FALSE);
    ::SendDlgItemMessageA(m_hWnd, IDC_HOST_PORT, EM_SETREADONLY, TRUE, 0);
    m_result = kLookingForRouter;
    ShowResult(m_result);
    m_job = job;
    if (HANDLE thread = ::CreateThread(nullptr, 0, Job::Run, job, 0, nullptr)) {
        ::CloseHandle(thread);
        return;
    }
    job->outcome = NoRouterOutcome(port, std::string(), !open);
    job->Release();  // the worker's reference: there is none
    OnWorkDone(0, reinterpret_cast<LPARAM>(job));
}

void CHostForFriendsDlg::LetGo() {
    if (!m_job) return;
    m_job->cancel = true;
    ::AcquireSRWLockExclusive(&m_job->lock);
    m_job->window = nullptr;
    ::ReleaseSRWLockExclusive(&m_job->lock);
    m_job->Release();
    m_job = nullptr;
}

LRESULT CHostForFriendsDlg::OnWorkDone(WPARAM, LPARAM lParam) {
    if (!m_job || reinterpret_cast<Job*>(lParam) != m_job) return 0;
    const HostOutcome outcome = m_job->outcome;
    LetGo();
    m_result = OutcomeText(outcome);
    ShowResult(m_result);
    const bool opened = outcome.result == HostResult::Opened;
    for (int id : {IDC_HOST_OPEN, IDC_HOST_CLOSE_PORT, IDC_HOST_COPY_LINK, IDC_HOST_COPY_ADDRESS})
        EnableDlgItem(id, id == IDC_HOST_OPEN || id == IDC_HOST_CLOSE_PORT);
    if (opened) OfferToFriends(m_target, outcome);
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
