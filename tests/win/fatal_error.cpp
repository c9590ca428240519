// A test program on the dialog framework whose handlers throw: a real allocation failure, a
// standard exception, an exception that is none, from the initialisation of a nested dialog, and
// an allocation failure after the dialog has ended.
#include <cstddef>
#include <exception>
#include <limits>
#include <new>
#include <stdexcept>

#include "dialog.h"
#include "fatal_error_ids.h"

namespace {

class CFailingInitDlg : public CDialog {
public:
    CFailingInitDlg() : CDialog(IDD_FAILING_INIT) {}

protected:
    BOOL OnInitDialog() override { throw 42; }
};

class CFatalErrorDlg : public CDialog {
public:
    CFatalErrorDlg() : CDialog(IDD_FATAL_ERROR) {}

protected:
    // More than any heap holds: the allocator fails and operator new throws std::bad_alloc.
    void OnExhaustMemory() { m_pHoard = ::operator new(std::numeric_limits<std::size_t>::max() / 2); }
    void OnThrowError() { throw std::runtime_error("failed"); }
    void OnEndAndThrow() { EndDialog(IDC_END_AND_THROW); }
    void OnOpenFailing() {
        CFailingInitDlg failing;
        failing.DoModal();
    }

    DECLARE_MESSAGE_MAP(CFatalErrorDlg)

private:
    void* m_pHoard = nullptr;
};

BEGIN_MESSAGE_MAP(CFatalErrorDlg, CDialog)
    ON_BN_CLICKED(IDC_EXHAUST_MEMORY, OnExhaustMemory)
    ON_BN_CLICKED(IDC_THROW_ERROR, OnThrowError)
    ON_BN_CLICKED(IDC_OPEN_FAILING, OnOpenFailing)
    ON_BN_CLICKED(IDC_END_AND_THROW, OnEndAndThrow)
END_MESSAGE_MAP()

// Leaves the file "unwound" in the working folder when an exception unwinds past it.
struct UnwindWitness {
    ~UnwindWitness() {
        if (std::uncaught_exceptions() == 0) return;
        HANDLE file = ::CreateFileA("unwound", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    }
};

class CFatalErrorApp : public CWinApp {
public:
    BOOL InitInstance() override {
        INT_PTR result = 0;
        {
            UnwindWitness witness;  // a handler's exception that escaped the dialog procedure would pass it
            CFatalErrorDlg dlg;
            m_pMainWnd = &dlg;
            result = dlg.DoModal();
            m_pMainWnd = nullptr;
        }
        if (result == IDC_END_AND_THROW) throw std::bad_alloc();  // outside any dialog
        return FALSE;
    }
};

CFatalErrorApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
