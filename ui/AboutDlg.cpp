#include "ui/AboutDlg.h"

#include "resource.h"

// Closing through the caption's close box or Escape is the base class's Cancel.
BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() = default;

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_pictures.Fit(m_hWnd, IDD_ABOUTBOX);
    return TRUE;
}

void CAboutDlg::DoDataExchange(CDataExchange*) {}
