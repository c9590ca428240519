// A small dialog framework over the Win32 dialog API: modal dialogs from templates, handler tables,
// data exchange between members and controls, and message boxes captioned with the program's name.
#pragma once

#include <windows.h>

#include <string>

typedef std::string CString;

class CDialog;
class CWinApp;

// --- Application -------------------------------------------------------------------------------

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    CDialog* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
CDialog* AfxGetMainWnd();
// The executable's file name without extension.
const char* AfxGetAppName();
// A message box on the main window (when there is one); MB_OK without an icon gets the exclamation icon.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
// Runs the application object: InitInstance, then ExitInstance when it returns FALSE.
int AfxWinMain();

// The program is built without exceptions: an allocation that fails, or an error check of the
// standard library, ends it here (runtime.cpp). A message box says why; no dialog handles a message
// while it is up, and then the process ends at once with kFatalErrorExitCode, running no more of
// the program's code.
enum class FatalError { OutOfMemory, Internal };
constexpr UINT kFatalErrorExitCode = 3;
[[noreturn]] void AfxFatalError(FatalError error);

// --- Handler tables ----------------------------------------------------------------------------

typedef LRESULT (*AFX_HANDLER)(CDialog* dialog, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT message;  // 0 ends the table
    UINT code;     // notification code for WM_COMMAND
    UINT id;       // control id for WM_COMMAND
    AFX_HANDLER handler;
    UINT lastId = 0;  // for a range of controls from id: the last id
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* base;
    const AFX_MSGMAP_ENTRY* entries;
};

#define DECLARE_MESSAGE_MAP(theClass)                           \
protected:                                                      \
    typedef theClass ThisClass;                                 \
    static const AFX_MSGMAP_ENTRY _messageEntries[];            \
    static const AFX_MSGMAP messageMap;                         \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                              \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; }      \
    const AFX_MSGMAP theClass::messageMap = {&baseClass::messageMap, &theClass::_messageEntries[0]}; \
    const AFX_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define END_MESSAGE_MAP() {0, 0, 0, nullptr} };

#define ON_CONTROL(notifyCode, id, memberFn)                                              \
    {WM_COMMAND, static_cast<UINT>(notifyCode), static_cast<UINT>(id),                    \
     [](CDialog* d, WPARAM, LPARAM) -> LRESULT { static_cast<ThisClass*>(d)->memberFn(); return 0; }},
#define ON_BN_CLICKED(id, memberFn) ON_CONTROL(BN_CLICKED, id, memberFn)
// Controls firstId to lastId: void memberFn(UINT id).
#define ON_CONTROL_RANGE(notifyCode, firstId, lastId, memberFn)                             \
    {WM_COMMAND, static_cast<UINT>(notifyCode), static_cast<UINT>(firstId),                 \
     [](CDialog* d, WPARAM w, LPARAM) -> LRESULT {                                          \
         static_cast<ThisClass*>(d)->memberFn(LOWORD(w)); return 0; },                      \
     static_cast<UINT>(lastId)},
#define ON_EN_KILLFOCUS(id, memberFn) ON_CONTROL(EN_KILLFOCUS, id, memberFn)
#define ON_EN_VSCROLL(id, memberFn) ON_CONTROL(EN_VSCROLL, id, memberFn)
// Any other message: LRESULT memberFn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFn)                                                     \
    {static_cast<UINT>(message), 0, 0, [](CDialog* d, WPARAM w, LPARAM l) -> LRESULT {    \
         return static_cast<ThisClass*>(d)->memberFn(w, l); }},
#define ON_WM_SYSCOMMAND()                                                                \
    {WM_SYSCOMMAND, 0, 0, [](CDialog* d, WPARAM w, LPARAM l) -> LRESULT {                 \
         static_cast<ThisClass*>(d)->OnSysCommand(static_cast<UINT>(w), l); return 0; }},
#define ON_WM_PAINT()                                                                     \
    {WM_PAINT, 0, 0, [](CDialog* d, WPARAM, LPARAM) -> LRESULT {                          \
         static_cast<ThisClass*>(d)->OnPaint(); return 0; }},
#define ON_WM_QUERYDRAGICON()                                                             \
    {WM_QUERYDRAGICON, 0, 0, [](CDialog* d, WPARAM, LPARAM) -> LRESULT {                  \
         return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(d)->OnQueryDragIcon()); }},

// --- Data exchange -----------------------------------------------------------------------------

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    // The control of the last exchange, for the validation that follows it.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Stops the exchange: the last control gets the focus, an edit's text is selected.
    void Fail();
    bool Failed() const { return m_bFailed; }
    HWND LastEditControl() const { return m_bEditLastControl ? m_hWndLastControl : nullptr; }

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;

private:
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
    bool m_bFailed = false;
};

void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDX_Check(CDataExchange* pDX, int id, int& value);
void DDX_Radio(CDataExchange* pDX, int id, int& value);
void DDX_CBString(CDataExchange* pDX, int id, CString& value);
// Loading limits typing to maxChars; saving a longer text fails the exchange with a message.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars);

// --- Dialogs -----------------------------------------------------------------------------------

class CDialog {
public:
    explicit CDialog(UINT nIDTemplate, CDialog* pParentWnd = nullptr);
    virtual ~CDialog();

    // IDOK, IDCANCEL, or -1 when the dialog cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void EnableDlgItem(int id, BOOL enable) const { ::EnableWindow(GetDlgItem(id), enable); }
    // A message box on this dialog, captioned with the program's name unless a caption is given. A
    // dialog not shown yet is shown first, so that the box never stands without it.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    // Lets the dialog manager handle the message being dispatched.
    void Default() { m_bDefault = true; }

    HWND m_hWnd = nullptr;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}
    virtual const AFX_MSGMAP* GetMessageMap() const;

    static const AFX_MSGMAP messageMap;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void FillFromInitData();

    UINT m_nIDTemplate;
    CDialog* m_pParentWnd;
    bool m_bDefault = false;
};
