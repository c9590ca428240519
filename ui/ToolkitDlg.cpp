#include "ui/ToolkitDlg.h"

#include "core/launch.h"
#include "host_friends_ids.h"
#include "resource.h"
#include "settings_location_ids.h"
#include "toolkit_dlg_ids.h"
#include "ui/AboutDlg.h"
#include "ui/SettingsLocationDlg.h"
#include "core/host_texts.h"
#include "win32/HandOver.h"
#include "win32/HostingService.h"
#include "win32/LocalAddress.h"
#include "win32/ServerPaste.h"
#include "win32/Win32Registry.h"

namespace {

const char kBrightmoorRefusal[] = "Address Book is for OV and MH Only!";

// Inserts an item before the About item's separator, starting a group of its own with a separator
// when the item before is not one of the group.
void InsertBeforeAbout(HMENU menu, UINT id, const char* text) {
    const int count = ::GetMenuItemCount(menu);
    int at = count;
    for (int i = 1; i < count; ++i)
        if (::GetMenuItemID(menu, i) == IDM_ABOUTBOX) at = i - 1;
    const UINT previous = at > 0 ? ::GetMenuItemID(menu, at - 1) : 0;
    if (previous < IDM_YOUR_ADDRESSES || previous >= 0xF000) {
        ::InsertMenuA(menu, static_cast<UINT>(at), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        ++at;
    }
    ::InsertMenuA(menu, static_cast<UINT>(at), MF_BYPOSITION | MF_STRING, id, text);
}

}  // namespace

BEGIN_MESSAGE_MAP(CToolkitDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_JOIN, OnJoin)
    ON_BN_CLICKED(IDC_PING, OnPing)
    ON_BN_CLICKED(IDC_CREATE, OnCreateServer)
    ON_BN_CLICKED(IDC_ABOUT, OnAbout)
    ON_EN_VSCROLL(IDC_LOCAL_IP, ShowLocalIP)
    ON_BN_CLICKED(IDC_SELECT_MH, OnSelectMH)
    ON_BN_CLICKED(IDC_SELECT_BM, OnSelectBM)
    ON_BN_CLICKED(IDC_SELECT_OV, OnSelectOV)
    ON_BN_CLICKED(IDC_TELNET, OnTelnet)
    ON_BN_CLICKED(IDC_PLAYER_CONFIG, OnPlayerConfig)
    ON_BN_CLICKED(IDC_SERVER_CONFIG, OnServerConfig)
    ON_BN_CLICKED(IDC_GENERAL_OPTIONS, OnGeneralOptions)
    ON_BN_CLICKED(IDC_ADDRESS_BOOK, OnAddressBook)
    ON_MESSAGE(WM_COPYDATA, OnCopyData)
    ON_MESSAGE(kCarryOutRequest, OnCarryOutRequest)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
    ON_MESSAGE(kHostingChanged, OnHostingChanged)
    ON_MESSAGE(kQuitClosed, OnQuitClosed)
    ON_MESSAGE(WM_TIMER, OnTimer)
END_MESSAGE_MAP()

CToolkitDlg::CToolkitDlg(CDialog* pParent)
    : CDialog(IDD_TOOLKIT_DIALOG, pParent),
      m_selection(SystemSettings()),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_hosting(HostingService::Create()) {}

CToolkitDlg::~CToolkitDlg() {
    m_hosting->Notify(nullptr, 0);
    m_hosting->Release();
}

void CToolkitDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_SERVER_ADDRESS, m_strServerAddress);
    DDX_Text(pDX, IDC_PORT, m_strPort);
    DDV_MaxChars(pDX, m_strPort, 4);
    DDX_Text(pDX, IDC_LOCAL_IP, m_strLocalIP);
    DDX_Radio(pDX, IDC_SELECT_BM, m_selection.m_nBMRadio);
    DDX_Radio(pDX, IDC_SELECT_OV, m_selection.m_nOVRadio);
    DDX_Radio(pDX, IDC_SELECT_MH, m_selection.m_nMHRadio);
}

BOOL CToolkitDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (HMENU sysMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        char about[64] = {};
        ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, about, sizeof about);
        if (about[0]) {
            ::AppendMenuA(sysMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(sysMenu, MF_STRING, IDM_ABOUTBOX, about);
        }
        AddSystemMenuItems(sysMenu);
    }
    m_hosting->Notify(m_hWnd, kHostingChanged);

    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_selection.m_nMHRadio = 0;
    m_selection.m_bOVInstalled = m_selection.m_bBMInstalled = m_selection.m_bMHInstalled = TRUE;
    m_strServerAddress = m_selection.ReadSetting(kHostAddressValue);
    m_strPort = m_selection.ReadSetting(kJoinPortValue);
    // The first look-up ran while the window was being made (see CToolkitApp::InitInstance).
    m_strLocalIP = TakeLocalIPLookup();
    UpdateData(FALSE);
    FollowInstallationPath();
    m_pictures.Fit(m_hWnd, IDD_TOOLKIT_DIALOG);
    ShowSettingsLocationItem(true);

    SplitServerPastes(GetDlgItem(IDC_SERVER_ADDRESS), GetDlgItem(IDC_PORT));
    ::SetPropA(m_hWnd, kHandOverProperty, reinterpret_cast<HANDLE>(1));
    if (m_startRequest) {
        // Handled before the dialog's loop first runs idle, that is before the window shows.
        m_requests.push_back(PendingRequest{std::move(*m_startRequest), true});
        ::PostMessageA(m_hWnd, kCarryOutRequest, 0, 0);
    }
    return TRUE;
}

void CToolkitDlg::AddSystemMenuItems(HMENU sysMenu) {
    InsertBeforeAbout(sysMenu, IDM_YOUR_ADDRESSES, "Your Addresses...");
    InsertBeforeAbout(sysMenu, IDM_OPEN_LINKS, "Open mhtoolkit:// links with MH Toolkit");
    InsertBeforeAbout(sysMenu, IDM_SETTINGS_LOCATION, kSettingsLocationItem);
    InsertBeforeAbout(sysMenu, IDM_HOST_FRIENDS, "Host for Friends...");
    ShowLinksCheck();
}

void CToolkitDlg::OnSysCommand(UINT nID, LPARAM) {
    switch (nID & 0xFFF0) {
    case IDM_ABOUTBOX: OnAbout(); break;
    case IDM_YOUR_ADDRESSES: OnYourAddresses(); break;
    case IDM_OPEN_LINKS: OnToggleLinks(); break;
    case IDM_SETTINGS_LOCATION: OnSettingsLocation(); break;
    case IDM_HOST_FRIENDS: OnHostForFriends(); break;
    default: Default(); break;
    }
}

void CToolkitDlg::ShowHostingItem() {
    if (HMENU sysMenu = ::GetSystemMenu(m_hWnd, FALSE))
        ::ModifyMenuA(sysMenu, IDM_HOST_FRIENDS, MF_BYCOMMAND | MF_STRING, IDM_HOST_FRIENDS,
                      HostMenuText(m_hosting->HeldPorts(), m_hosting->Failing()).c_str());
}

LRESULT CToolkitDlg::OnHostingChanged(WPARAM, LPARAM) {
    ShowHostingItem();
    return 0;
}

void CToolkitDlg::OnOK() {
    if (m_quitCode) return;
    if (!m_hosting->HeldPorts().empty() && !UpdateData(TRUE)) return;
    if (!QuitClosingPort(IDOK)) CDialog::OnOK();
}

void CToolkitDlg::OnCancel() {
    if (m_quitCode) return;
    if (!QuitClosingPort(IDCANCEL)) CDialog::OnCancel();
}

bool CToolkitDlg::QuitClosingPort(INT_PTR code) {
    const std::vector<std::string> ports = m_hosting->HeldPorts();
    if (ports.empty()) return false;
    if (MessageBox(QuitQuestion(ports).c_str(), nullptr, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) != IDYES)
        return true;  // No: the program keeps running, and the port open
    m_quitCode = code;
    ::EnableWindow(m_hWnd, FALSE);
    m_hosting->CloseForQuit(m_hWnd, kQuitClosed);
    ::SetTimer(m_hWnd, kQuitTimer, kQuitCloseMs, nullptr);
    return true;
}

LRESULT CToolkitDlg::OnQuitClosed(WPARAM, LPARAM) {
    if (!m_quitCode) return 0;
    ::KillTimer(m_hWnd, kQuitTimer);
    ::EnableWindow(m_hWnd, TRUE);
    EndDialog(m_quitCode);
    return 0;
}

LRESULT CToolkitDlg::OnTimer(WPARAM wParam, LPARAM lParam) {
    if (wParam == kQuitTimer) return OnQuitClosed(wParam, lParam);
    Default();
    return 0;
}

void CToolkitDlg::OnAbout() {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

void CToolkitDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        Default();
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    ::SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    ::GetClientRect(m_hWnd, &rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
}

HCURSOR CToolkitDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }

void CToolkitDlg::ShowLocalIP() {
    m_strLocalIP = LookUpLocalIP();
    UpdateData(FALSE);
}

void CToolkitDlg::OnSelectOV() { SelectGame(GameTarget::OV); }
void CToolkitDlg::OnSelectBM() { SelectGame(GameTarget::BM); }
void CToolkitDlg::OnSelectMH() { SelectGame(GameTarget::MH); }

void CToolkitDlg::SelectGame(GameTarget target) {
    UpdateData(TRUE);
    LoadSelectedGame();
    UpdateData(FALSE);
    if (!m_selection.IsInstalled(target)) MessageBox(InfoOf(target).notInstalledMessage);
    ShowSettingsLocationItem(false);
}

void CToolkitDlg::OnSettingsLocation() {
    CSettingsLocationDlg dlgLocation(m_selection.Family());
    dlgLocation.DoModal();
    ShowSettingsLocationItem(true);  // the dialog may have copied values or forgotten the copy
}

void CToolkitDlg::ShowSettingsLocationItem(bool recheck) {
    const GameFamily family = m_selection.Family();
    const unsigned long writes = m_selection.Store().Writes();
    if (!recheck && m_itemFamily == family && m_itemWrites == writes) return;
    m_itemFamily = family;
    m_itemWrites = writes;
    UpdateSettingsLocationItem(m_hWnd, family);
}

void CToolkitDlg::LoadSelectedGame() {
    FollowInstallationPath();
    m_strServerAddress = m_selection.ReadSetting(kHostAddressValue);
    m_strPort = m_selection.ReadSetting(kJoinPortValue);
}

void CToolkitDlg::OnAddressBook() {
    if (m_selection.m_nBMRadio == 0) {
        MessageBox(kBrightmoorRefusal);
        return;
    }
    m_dlgAddressBook.m_family = m_selection.m_nOVRadio == 0 ? GameFamily::Orvanta : GameFamily::Mireholt;
    m_dlgAddressBook.m_pStore = &SystemSettings();
    m_dlgAddressBook.DoModal();
}

void CToolkitDlg::FollowInstallationPath() {
    ::SetCurrentDirectoryA(m_selection.ReadSetting(kInstallationPathValue).c_str());
}
