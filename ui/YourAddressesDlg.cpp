#include "ui/YourAddressesDlg.h"

#include "core/server_address.h"
#include "win32/Clipboard.h"
#include "your_addresses_ids.h"

namespace {

// Layout of a row in dialog units.
const int kRowTop = 30;
const int kRowPitch = 17;
const int kTextWidth = 170;
const int kButtonLeft = 181;
const int kButtonWidth = 48;

RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy) {
    RECT rect{x, y, x + cx, y + cy};
    ::MapDialogRect(dialog, &rect);
    return rect;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

BEGIN_MESSAGE_MAP(CYourAddressesDlg, CDialog)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_ADDR_COPY_FIRST, IDC_ADDR_COPY_FIRST + ADDR_MAX_ROWS - 1, OnCopyAddress)
    ON_BN_CLICKED(IDC_ADDR_COPY_SERVER, OnCopyServer)
END_MESSAGE_MAP()

CYourAddressesDlg::CYourAddressesDlg() : CDialog(IDD_YOUR_ADDRESSES) {}

CYourAddressesDlg::~CYourAddressesDlg() = default;

BOOL CYourAddressesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_addresses = UpAdapterAddresses();
    const int total = static_cast<int>(m_addresses.size());
    const int shown = total < ADDR_MAX_ROWS ? total : ADDR_MAX_ROWS;
    HWND after = GetDlgItem(IDC_ADDR_INTRO);
    int row = 0;
    for (; row < shown; ++row) {
        const AdapterAddress& entry = m_addresses[static_cast<size_t>(row)];
        const std::wstring mark = entry.address == m_strShownAddress ? L"* " : L"";
        after = AddRow(row, mark + entry.adapter + L": " + Widen(entry.address), IDC_ADDR_COPY_FIRST + row, after);
    }
    if (total == 0) after = AddRow(row++, L"No network adapter with an IPv4 address is up.", 0, after);
    if (total > shown) AddRow(row++, L"... and " + Widen(std::to_string(total - shown)) + L" more.", 0, after);
    MakeRoom(row);
    return TRUE;
}

HWND CYourAddressesDlg::AddRow(int index, const std::wstring& text, int copyId, HWND after) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const LPARAM font = static_cast<LPARAM>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    const int top = kRowTop + index * kRowPitch;
    const RECT textRect = DialogUnits(m_hWnd, 7, top + 3, kTextWidth, 8);
    HWND label = ::CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                                   textRect.left, textRect.top, textRect.right - textRect.left,
                                   textRect.bottom - textRect.top, m_hWnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_ADDR_ROW_FIRST + index)), instance,
                                   nullptr);
    ::SendMessageW(label, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    ::SetWindowPos(label, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!copyId) return label;
    const RECT buttonRect = DialogUnits(m_hWnd, kButtonLeft, top, kButtonWidth, 14);
    HWND button = ::CreateWindowExW(0, L"BUTTON", L"Copy", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                    buttonRect.left, buttonRect.top, buttonRect.right - buttonRect.left,
                                    buttonRect.bottom - buttonRect.top, m_hWnd,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(copyId)), instance, nullptr);
    ::SendMessageW(button, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    ::SetWindowPos(button, label, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return button;
}

void CYourAddressesDlg::MakeRoom(int rows) {
    const int shift = DialogUnits(m_hWnd, 0, 0, 0, rows * kRowPitch).bottom;
    for (int id : {IDC_ADDR_LEGEND, IDC_ADDR_STATUS, IDC_ADDR_COPY_SERVER, IDOK}) {
        HWND control = GetDlgItem(id);
        RECT rect;
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        ::SetWindowPos(control, nullptr, rect.left, rect.top + shift, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + shift,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CYourAddressesDlg::OnCopyAddress(UINT id) {
    const size_t row = id - IDC_ADDR_COPY_FIRST;
    if (row < m_addresses.size()) Copy(ShareText(m_addresses[row].address, m_strPort));
}

void CYourAddressesDlg::OnCopyServer() {
    if (m_strServerAddress.empty()) {
        ::SetDlgItemTextA(m_hWnd, IDC_ADDR_STATUS, "There is no server address to copy.");
        return;
    }
    Copy(ShareText(m_strServerAddress, m_strPort));
}

void CYourAddressesDlg::Copy(const std::string& text) {
    const std::string status =
        PutTextOnClipboard(m_hWnd, text) ? "Copied " + text : std::string("The clipboard could not be opened.");
    ::SetDlgItemTextA(m_hWnd, IDC_ADDR_STATUS, status.c_str());
}
