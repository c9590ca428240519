#include "ui/SettingsLocationDlg.h"

#include <commctrl.h>

#include "settings_location_ids.h"
#include "win32/MachineValues.h"
#include "win32/SettingsCopies.h"

const char kSettingsLocationItem[] = "Settings Location...";

namespace {

const char* const kColumns[] = {"Value", "Machine value", "Your per-user value"};
const int kColumnWidths[] = {110, 185, 185};

void SetItemText(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    if (column == 0)
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    else
        ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string RunAsAdminText(const SettingsLocation& where) {
    if (where.executables.empty()) return "The games' executables are unknown: the installation path is not set.";
    std::string text;
    for (const ExecutableFlags& exe : where.executables) {
        if (!text.empty()) text += "\n";
        text += exe.path + ": ";
        if (exe.forUser && exe.forMachine)
            text += "set to run as administrator, for you and for every user";
        else if (exe.forUser)
            text += "set to run as administrator, for you";
        else if (exe.forMachine)
            text += "set to run as administrator, for every user";
        else
            text += "not set to run as administrator";
    }
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSettingsLocationDlg, CDialog)
    ON_BN_CLICKED(IDC_SL_MATCH, OnMatchMachine)
    ON_BN_CLICKED(IDC_SL_FORGET, OnForgetUserCopy)
    {WM_NOTIFY, 0, 0, [](CDialog* d, WPARAM, LPARAM l) -> LRESULT {
         const NMHDR* header = reinterpret_cast<const NMHDR*>(l);
         if (header->idFrom == IDC_SL_VALUES && header->code == LVN_ITEMCHANGED)
             static_cast<CSettingsLocationDlg*>(d)->OnSelectRow();
         return 0;
     }},
END_MESSAGE_MAP()

CSettingsLocationDlg::CSettingsLocationDlg(GameFamily family, CDialog* pParent)
    : CDialog(IDD_SETTINGS_LOCATION, pParent), m_family(family) {
    // The template's list view needs its class registered before the dialog is created.
    static const bool listViewRegistered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)listViewRegistered;
}

BOOL CSettingsLocationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND list = GetDlgItem(IDC_SL_VALUES);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(kColumns[i]);
        column.cx = kColumnWidths[i];
        ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    Refresh();  // gives the table the focus
    return FALSE;
}

void CSettingsLocationDlg::Refresh() {
    m_location = ReadSettingsLocation(m_family);
    m_differences = m_location.Differences();

    ::SetDlgItemTextA(m_hWnd, IDC_SL_MACHINE_KEY, MachineKeyDisplayPath(m_family).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_SL_MACHINE_STATE, m_location.machineKeyExists ? "exists" : "does not exist");
    ::SetDlgItemTextA(m_hWnd, IDC_SL_USER_KEY, ("HKEY_CURRENT_USER\\" + UserCopyPath(m_family)).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_SL_USER_STATE, m_location.userCopyExists ? "exists" : "does not exist");
    ::SetDlgItemTextA(m_hWnd, IDC_SL_VIRTUALIZED,
                      m_location.virtualized
                          ? "This program is virtualized: it reads and writes the per-user copy first."
                          : "This program is not virtualized: it reads and writes the machine key itself.");

    HWND list = GetDlgItem(IDC_SL_VALUES);
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < m_differences.size(); ++i) {
        const ValueDifference& row = m_differences[i];
        const int index = static_cast<int>(i);
        SetItemText(list, index, 0, row.name);
        SetItemText(list, index, 1, ShownValue(row.machine, row.user));
        SetItemText(list, index, 2, ShownValue(row.user, row.machine));
    }
    if (!m_differences.empty()) {
        LVITEMA state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    }
    OnSelectRow();

    ::SetDlgItemTextA(m_hWnd, IDC_SL_RUNAS, RunAsAdminText(m_location).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_SL_EXPLANATION, m_location.Explanation().c_str());
    EnableDlgItem(IDC_SL_MATCH, m_location.userCopyExists && !ValuesToCopy(m_differences).empty());
    EnableDlgItem(IDC_SL_FORGET, m_location.userCopyExists);
    // At first, and when the button just used no longer applies, the table takes the focus.
    HWND focus = ::GetFocus();
    if (!focus || !::IsWindowEnabled(focus) || ::GetParent(focus) != m_hWnd)
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
}

void CSettingsLocationDlg::OnSelectRow() {
    const int selected =
        static_cast<int>(::SendMessageA(GetDlgItem(IDC_SL_VALUES), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    std::string detail = m_differences.empty() ? "No value differs." : "";
    if (selected >= 0 && static_cast<size_t>(selected) < m_differences.size()) {
        const ValueDifference& row = m_differences[static_cast<size_t>(selected)];
        detail = row.name + "\r\nMachine: " + ShownValue(row.machine, row.user) +
                 "\r\nYours: " + ShownValue(row.user, row.machine);
    }
    ::SetDlgItemTextA(m_hWnd, IDC_SL_DETAIL, detail.c_str());
}

void CSettingsLocationDlg::OnMatchMachine() {
    const std::string failure = CopyToMachineElevated(m_hWnd, m_family, ValuesToCopy(m_differences));
    if (!failure.empty()) MessageBox(failure.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    Refresh();
}

void CSettingsLocationDlg::OnForgetUserCopy() {
    if (MessageBox(ForgetQuestion(m_family, m_differences).c_str(), nullptr, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (!ForgetUserCopy(m_family))
        MessageBox("The per-user copy could not be deleted.", nullptr, MB_OK | MB_ICONEXCLAMATION);
    Refresh();
}

void UpdateSettingsLocationItem(HWND window, GameFamily family) {
    HMENU menu = ::GetSystemMenu(window, FALSE);
    if (!menu) return;
    const bool differs = SplitMatters(family);
    const std::string text = std::string(kSettingsLocationItem) + (differs ? " (differs)" : "");
    ::ModifyMenuA(menu, IDM_SETTINGS_LOCATION, MF_BYCOMMAND | MF_STRING, IDM_SETTINGS_LOCATION, text.c_str());
}
