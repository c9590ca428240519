// A test program on the dialog framework, built like the program (without exceptions), whose
// handlers fail: an allocation the heap cannot satisfy, an error check of the standard library, the
// initialisation of a nested dialog, and an allocation after the dialog has ended. After each
// failing statement it marks that it went on, which it must never do.
#include <cstddef>
#include <limits>
#include <new>
#include <vector>

#include "fatal_error_ids.h"
#include "framework/dialog.h"

namespace {

// Leaves the file "went-on" in the working folder.
void MarkWentOn() {
    HANDLE file = ::CreateFileA("went-on", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
}

// More than any heap holds.
void* Exhaust() { return ::operator new(std::numeric_limits<std::size_t>::max() / 2); }

int Past(const std::vector<int>& values) { return values.at(values.size()); }

class CFailingInitDlg : public CDialog {
public:
    CFailingInitDlg() : CDialog(IDD_FAILING_INIT) {}

protected:
    BOOL OnInitDialog() override {
        m_values.resize(Past(m_values));
        MarkWentOn();
        return TRUE;
    }

private:
    std::vector<int> m_values;
};

class CFatalErrorDlg : public CDialog {
public:
    CFatalErrorDlg() : CDialog(IDD_FATAL_ERROR) {}

    void* m_pHoard = nullptr;

protected:
    void OnExhaustMemory() {
        m_pHoard = Exhaust();
        MarkWentOn();
    }
    void OnLibraryError() {
        m_values.push_back(Past(m_values));
        MarkWentOn();
    }
    void OnEndAndFail() { EndDialog(IDC_END_AND_FAIL); }
    void OnOpenFailing() {
        CFailingInitDlg failing;
        failing.DoModal();
        MarkWentOn();
    }

    DECLARE_MESSAGE_MAP(CFatalErrorDlg)

private:
    std::vector<int> m_values;
};

BEGIN_MESSAGE_MAP(CFatalErrorDlg, CDialog)
    ON_BN_CLICKED(IDC_EXHAUST_MEMORY, OnExhaustMemory)
    ON_BN_CLICKED(IDC_LIBRARY_ERROR, OnLibraryError)
    ON_BN_CLICKED(IDC_OPEN_FAILING, OnOpenFailing)
    ON_BN_CLICKED(IDC_END_AND_FAIL, OnEndAndFail)
END_MESSAGE_MAP()

class CFatalErrorApp : public CWinApp {
public:
    BOOL InitInstance() override {
        CFatalErrorDlg dlg;
        m_pMainWnd = &dlg;
        const INT_PTR result = dlg.DoModal();
        m_pMainWnd = nullptr;
        if (result == IDC_END_AND_FAIL) {  // outside any dialog
            dlg.m_pHoard = Exhaust();
            MarkWentOn();
        }
        return FALSE;
    }
};

CFatalErrorApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
