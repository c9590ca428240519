#include "framework/dialog.h"

#include <cstring>

namespace {

CWinApp* g_app = nullptr;

const WORD kDlgInitType = 240;  // combo-box lists of a dialog template
const WORD kDlgInitLbAddString = 0x0401;
const WORD kDlgInitCbAddString = 0x0403;

// Sets a control's text only when it differs, so that unchanged controls keep caret and selection.
void SetTextIfChanged(HWND hWnd, const CString& text) {
    int length = ::GetWindowTextLengthA(hWnd);
    if (length == static_cast<int>(text.size())) {
        CString current(static_cast<size_t>(length) + 1, '\0');
        ::GetWindowTextA(hWnd, &current[0], length + 1);
        current.resize(static_cast<size_t>(length));
        if (current == text) return;
    }
    ::SetWindowTextA(hWnd, text.c_str());
}

// Set once the program is ending on a fatal error: the dialog procedures then leave every message
// to the dialog manager, so no handler runs again while the message box is up.
bool g_bEnding = false;

CString GetText(HWND hWnd) {
    int length = ::GetWindowTextLengthA(hWnd);
    CString text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

}  // namespace

// --- Application -------------------------------------------------------------------------------

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

CDialog* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

const char* AfxGetAppName() {
    static char name[MAX_PATH];
    if (!name[0]) {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
        const char* base = path;
        for (const char* p = path; *p; ++p)
            if (*p == '\\' || *p == '/') base = p + 1;
        std::memcpy(name, base, std::strlen(base) + 1);
        if (char* dot = std::strrchr(name, '.')) *dot = '\0';
    }
    return name;
}

int AfxMessageBox(const char* text, UINT type, UINT /*helpId*/) {
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL: type |= MB_ICONEXCLAMATION; break;
        case MB_YESNO:
        case MB_YESNOCANCEL: type |= MB_ICONQUESTION; break;
        default: break;
        }
    }
    CDialog* main = AfxGetMainWnd();
    HWND owner = main && ::IsWindow(main->m_hWnd) ? main->m_hWnd : nullptr;
    return ::MessageBoxA(owner, text, AfxGetAppName(), type);
}

void AfxFatalError(FatalError error) {
    g_bEnding = true;
    // Fixed texts, nothing allocated. Without an owner, task-modal: every window of the thread is
    // disabled while the box is up.
    const char* text = error == FatalError::OutOfMemory ? "The program ran out of memory and has to close."
                                                        : "The program met an internal error and has to close.";
    ::MessageBoxA(nullptr, text, AfxGetAppName(), MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    ::TerminateProcess(::GetCurrentProcess(), kFatalErrorExitCode);
    ::ExitProcess(kFatalErrorExitCode);  // not reached: TerminateProcess does not return for itself
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    // The application's dialogs run their own modal loops; there is no loop of its own to enter.
    app->InitInstance();
    return app->ExitInstance();
}

// --- Data exchange -----------------------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int id) {
    m_hWndLastControl = m_pDlgWnd->GetDlgItem(id);
    m_bEditLastControl = false;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    PrepareCtrl(id);
    m_bEditLastControl = true;
    return m_hWndLastControl;
}

void CDataExchange::Fail() {
    m_bFailed = true;
    if (!m_bSaveAndValidate || !m_hWndLastControl) return;
    ::SetFocus(m_hWndLastControl);
    if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    if (pDX->Failed()) return;
    HWND hWnd = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate)
        value = GetText(hWnd);
    else
        SetTextIfChanged(hWnd, value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    HWND hWnd = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(hWnd, BM_GETCHECK, 0, 0));
    } else {
        if (value < 0 || value > 2) value = 0;
        ::SendMessageA(hWnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_Radio(CDataExchange* pDX, int id, int& value) {
    if (pDX->Failed()) return;
    HWND hWnd = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) value = -1;
    // Walk from the anchor through the following controls up to the next group start, counting
    // radio buttons only.
    int button = 0;
    do {
        if (::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) {
            if (pDX->m_bSaveAndValidate) {
                if (::SendMessageA(hWnd, BM_GETCHECK, 0, 0) != 0) value = button;
            } else {
                ::SendMessageA(hWnd, BM_SETCHECK, button == value ? BST_CHECKED : BST_UNCHECKED, 0);
            }
            ++button;
        }
        hWnd = ::GetWindow(hWnd, GW_HWNDNEXT);
    } while (hWnd && !(::GetWindowLongA(hWnd, GWL_STYLE) & WS_GROUP));
}

void DDX_CBString(CDataExchange* pDX, int id, CString& value) {
    if (pDX->Failed()) return;
    HWND hWnd = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = GetText(hWnd);
    } else if (::SendMessageA(hWnd, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(value.c_str())) == CB_ERR) {
        // No entry begins with the text: put the text itself into the edit field.
        SetTextIfChanged(hWnd, value);
    }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars) {
    if (pDX->Failed()) return;
    if (pDX->m_bSaveAndValidate && value.size() > static_cast<size_t>(maxChars)) {
        char prompt[96];
        ::wsprintfA(prompt, "This field holds at most %d characters.", maxChars);
        pDX->m_pDlgWnd->MessageBox(prompt, nullptr, MB_OK | MB_ICONEXCLAMATION);
        pDX->Fail();
    } else if (!pDX->m_bSaveAndValidate) {
        if (HWND hWnd = pDX->LastEditControl())
            ::SendMessageA(hWnd, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    }
}

// --- Dialogs -----------------------------------------------------------------------------------

namespace {
const AFX_MSGMAP_ENTRY kNoEntries[] = {{0, 0, 0, nullptr}};
}  // namespace

const AFX_MSGMAP CDialog::messageMap = {nullptr, kNoEntries};

const AFX_MSGMAP* CDialog::GetMessageMap() const { return &messageMap; }

CDialog::CDialog(UINT nIDTemplate, CDialog* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    // Without a parent the main window owns the dialog, as long as that is not this dialog itself.
    HWND owner = nullptr;
    if (m_pParentWnd)
        owner = m_pParentWnd->m_hWnd;
    else if (CDialog* main = AfxGetMainWnd(); main && main != this)
        owner = main->m_hWnd;
    INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                                       DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

int CDialog::MessageBox(const char* text, const char* caption, UINT type) {
    if (m_hWnd && !::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    return ::MessageBoxA(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

BOOL CDialog::OnInitDialog() {
    FillFromInitData();
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::FillFromInitData() {
    // Records of: WORD control id, WORD message, DWORD length, the message's string; a zero id ends them.
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(m_nIDTemplate), MAKEINTRESOURCEA(kDlgInitType));
    if (!info) return;
    HGLOBAL handle = ::LoadResource(module, info);
    const BYTE* data = handle ? static_cast<const BYTE*>(::LockResource(handle)) : nullptr;
    if (!data) return;
    const BYTE* end = data + ::SizeofResource(module, info);
    while (data + 2 <= end) {
        WORD id, message;
        DWORD length;
        std::memcpy(&id, data, 2);
        if (id == 0 || data + 8 > end) break;
        std::memcpy(&message, data + 2, 2);
        std::memcpy(&length, data + 4, 4);
        data += 8;
        if (data + length > end) break;
        // The records carry the 16-bit message numbers of the add-string messages.
        if (message == kDlgInitCbAddString) message = CB_ADDSTRING;
        else if (message == kDlgInitLbAddString) message = LB_ADDSTRING;
        ::SendDlgItemMessageA(m_hWnd, id, message, 0, reinterpret_cast<LPARAM>(data));
        data += length;
    }
}

bool CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->base) {
        for (const AFX_MSGMAP_ENTRY* entry = map->entries; entry->message; ++entry) {
            if (entry->message != message) continue;
            if (message == WM_COMMAND) {
                const UINT id = LOWORD(wParam), last = entry->lastId ? entry->lastId : entry->id;
                if (entry->code != HIWORD(wParam) || id < entry->id || id > last) continue;
            }
            *result = entry->handler(this, wParam, lParam);
            return true;
        }
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_bEnding) return FALSE;
    if (message == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, lParam);
        dialog->m_hWnd = hWnd;
        return dialog->OnInitDialog();
    }
    CDialog* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!dialog) return FALSE;

    const bool outerDefault = dialog->m_bDefault;
    dialog->m_bDefault = false;
    LRESULT result = 0;
    const bool handled = dialog->Dispatch(message, wParam, lParam, &result);
    const bool toDefault = dialog->m_bDefault;
    dialog->m_bDefault = outerDefault;
    if (!handled || toDefault) return FALSE;
    if (message == WM_QUERYDRAGICON) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
