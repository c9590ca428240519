#include "ui/AddressBookDlg.h"

#include "address_book_ids.h"
#include "core/address_book.h"
#include "core/launch.h"
#include "resource.h"
#include "ui/LaunchFlow.h"
#include "win32/ServerPaste.h"

namespace {

// Row r's fields at index r - 1.
CString CAddressBookDlg::* const kAddressFields[kAddressBookRows] = {
    &CAddressBookDlg::m_strIp1, &CAddressBookDlg::m_strIp2, &CAddressBookDlg::m_strIp3,
    &CAddressBookDlg::m_strIp4, &CAddressBookDlg::m_strIp5};
CString CAddressBookDlg::* const kPortFields[kAddressBookRows] = {
    &CAddressBookDlg::m_strPort1, &CAddressBookDlg::m_strPort2, &CAddressBookDlg::m_strPort3,
    &CAddressBookDlg::m_strPort4, &CAddressBookDlg::m_strPort5};

// Row r's edits at index r - 1.
const int kAddressEdits[kAddressBookRows] = {IDC_BOOK_IP1, IDC_BOOK_IP2, IDC_BOOK_IP3, IDC_BOOK_IP4, IDC_BOOK_IP5};
const int kPortEdits[kAddressBookRows] = {IDC_BOOK_PORT1, IDC_BOOK_PORT2, IDC_BOOK_PORT3, IDC_BOOK_PORT4,
                                          IDC_BOOK_PORT5};

const int kEntryEdits[] = {IDC_BOOK_IP1,   IDC_BOOK_IP2,   IDC_BOOK_IP3,   IDC_BOOK_PORT1, IDC_BOOK_PORT2,
                           IDC_BOOK_PORT3, IDC_BOOK_IP4,   IDC_BOOK_IP5,   IDC_BOOK_PORT4, IDC_BOOK_PORT5};

}  // namespace

// --- The dialog ------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CAddressBookDlg, CDialog)
    ON_EN_KILLFOCUS(IDC_BOOK_IP1, OnKillFocusIp1)
    ON_EN_KILLFOCUS(IDC_BOOK_IP2, OnKillFocusIp2)
    ON_EN_KILLFOCUS(IDC_BOOK_IP3, OnKillFocusIp3)
    ON_EN_KILLFOCUS(IDC_BOOK_PORT1, OnKillFocusPort1)
    ON_EN_KILLFOCUS(IDC_BOOK_PORT2, OnKillFocusPort2)
    ON_EN_KILLFOCUS(IDC_BOOK_PORT3, OnKillFocusPort3)
    ON_EN_KILLFOCUS(IDC_BOOK_IP4, OnKillFocusIp4)
    ON_EN_KILLFOCUS(IDC_BOOK_IP5, OnKillFocusIp5)
    ON_EN_KILLFOCUS(IDC_BOOK_PORT4, OnKillFocusPort4)
    ON_EN_KILLFOCUS(IDC_BOOK_PORT5, OnKillFocusPort5)
    ON_BN_CLICKED(IDC_BOOK_JOIN1, OnJoin1)
    ON_BN_CLICKED(IDC_BOOK_JOIN2, OnJoin2)
    ON_BN_CLICKED(IDC_BOOK_JOIN3, OnJoin3)
    ON_BN_CLICKED(IDC_BOOK_JOIN4, OnJoin4)
    ON_BN_CLICKED(IDC_BOOK_JOIN5, OnJoin5)
    ON_BN_CLICKED(IDC_BOOK_PING1, OnPing1)
    ON_BN_CLICKED(IDC_BOOK_PING2, OnPing2)
    ON_BN_CLICKED(IDC_BOOK_PING3, OnPing3)
    ON_BN_CLICKED(IDC_BOOK_PING4, OnPing4)
    ON_BN_CLICKED(IDC_BOOK_PING5, OnPing5)
    ON_BN_CLICKED(IDC_BOOK_TELNET1, OnTelnet1)
    ON_BN_CLICKED(IDC_BOOK_TELNET2, OnTelnet2)
    ON_BN_CLICKED(IDC_BOOK_TELNET3, OnTelnet3)
    ON_BN_CLICKED(IDC_BOOK_TELNET4, OnTelnet4)
    ON_BN_CLICKED(IDC_BOOK_TELNET5, OnTelnet5)
END_MESSAGE_MAP()

CAddressBookDlg::CAddressBookDlg(CDialog* pParent) : CDialog(IDD_ADDRESS_BOOK, pParent) {}

CAddressBookDlg::~CAddressBookDlg() = default;

void CAddressBookDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_BOOK_IP1, m_strIp1);
    DDX_Text(pDX, IDC_BOOK_IP2, m_strIp2);
    DDX_Text(pDX, IDC_BOOK_IP3, m_strIp3);
    DDX_Text(pDX, IDC_BOOK_PORT1, m_strPort1);
    DDX_Text(pDX, IDC_BOOK_PORT2, m_strPort2);
    DDX_Text(pDX, IDC_BOOK_PORT3, m_strPort3);
    DDX_Text(pDX, IDC_BOOK_IP4, m_strIp4);
    DDX_Text(pDX, IDC_BOOK_IP5, m_strIp5);
    DDX_Text(pDX, IDC_BOOK_PORT4, m_strPort4);
    DDX_Text(pDX, IDC_BOOK_PORT5, m_strPort5);
    DDX_Text(pDX, IDC_BOOK_TITLE, m_strTitle);
}

BOOL CAddressBookDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // Typing stops where the store would refuse the entry; a longer stored value is still shown whole.
    for (int id : kEntryEdits)
        ::SendMessageA(GetDlgItem(id), EM_LIMITTEXT, static_cast<WPARAM>(SettingsStore::kMaxWriteLength), 0);
    // "HOST:PORT" pasted into an address fills the row's port too, stored as if typed and left.
    for (int row = 1; row <= kAddressBookRows; ++row)
        SplitServerPastes(GetDlgItem(kAddressEdits[row - 1]), GetDlgItem(kPortEdits[row - 1]),
                          [this, row] { StorePort(row); });

    for (int row = 1; row <= kAddressBookRows; ++row) AddressOf(row) = ReadSetting(AddressValueOf(row));
    for (int row = 1; row <= kAddressBookRows; ++row) PortOf(row) = ReadSetting(PortValueOf(row));
    m_strTitle = m_family == GameFamily::Orvanta ? "OV Address Book" : "MH Address Book";

    UpdateData(FALSE);
    return TRUE;
}

CString CAddressBookDlg::ReadSetting(const char* name) const { return m_pStore->Read(m_family, name); }

void CAddressBookDlg::WriteSetting(const char* name, const CString& value) const {
    m_pStore->Write(m_family, name, value);
}

CString& CAddressBookDlg::AddressOf(int row) { return this->*kAddressFields[row - 1]; }

CString& CAddressBookDlg::PortOf(int row) { return this->*kPortFields[row - 1]; }

// --- Storing entries -----------------------------------------------------------------------------------

void CAddressBookDlg::StoreAddress(int row) {
    UpdateData(TRUE);
    WriteSetting(AddressValueOf(row), AddressOf(row));
}

void CAddressBookDlg::StorePort(int row) {
    UpdateData(TRUE);
    WriteSetting(PortValueOf(row), PortOf(row));
}

void CAddressBookDlg::OnKillFocusIp1() { StoreAddress(1); }
void CAddressBookDlg::OnKillFocusIp2() { StoreAddress(2); }
void CAddressBookDlg::OnKillFocusIp3() { StoreAddress(3); }
void CAddressBookDlg::OnKillFocusIp4() { StoreAddress(4); }
void CAddressBookDlg::OnKillFocusIp5() { StoreAddress(5); }
void CAddressBookDlg::OnKillFocusPort1() { StorePort(1); }
void CAddressBookDlg::OnKillFocusPort2() { StorePort(2); }
void CAddressBookDlg::OnKillFocusPort3() { StorePort(3); }
void CAddressBookDlg::OnKillFocusPort4() { StorePort(4); }
void CAddressBookDlg::OnKillFocusPort5() { StorePort(5); }

// --- Row actions -------------------------------------------------------------------------------------
// They use the entries as the last exchange left them: every loss of focus of an edit exchanges.

void CAddressBookDlg::JoinRow(int row) {
    // No installed check and no change of folder: the client is found through the current folder,
    // which the main window keeps at the chosen game's installation.
    StartOrExplain(*this, JoinSavedServer(*m_pStore, m_family, AddressOf(row), PortOf(row)), *m_pStore);
}

void CAddressBookDlg::PingRow(int row) {
    StartOrExplain(*this, PlanPing(AddressOf(row)), *m_pStore);
}

void CAddressBookDlg::TelnetRow(int row) {
    StartOrExplain(*this, PlanTelnet(AddressOf(row), PortOf(row)), *m_pStore);
}

void CAddressBookDlg::OnJoin1() { JoinRow(1); }
void CAddressBookDlg::OnJoin2() { JoinRow(2); }
void CAddressBookDlg::OnJoin3() { JoinRow(3); }
void CAddressBookDlg::OnJoin4() { JoinRow(4); }
void CAddressBookDlg::OnJoin5() { JoinRow(5); }
void CAddressBookDlg::OnPing1() { PingRow(1); }
void CAddressBookDlg::OnPing2() { PingRow(2); }
void CAddressBookDlg::OnPing3() { PingRow(3); }
void CAddressBookDlg::OnPing4() { PingRow(4); }
void CAddressBookDlg::OnPing5() { PingRow(5); }
void CAddressBookDlg::OnTelnet1() { TelnetRow(1); }
void CAddressBookDlg::OnTelnet2() { TelnetRow(2); }
void CAddressBookDlg::OnTelnet3() { TelnetRow(3); }
void CAddressBookDlg::OnTelnet4() { TelnetRow(4); }
void CAddressBookDlg::OnTelnet5() { TelnetRow(5); }
