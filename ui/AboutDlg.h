// The About box: the program's title picture and nothing else.
#pragma once

#include "dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    // The box holds no data.
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP(CAboutDlg)
};
