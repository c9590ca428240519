// The About box: the program's title picture and nothing else.
#pragma once

#include "framework/dialog.h"
#include "framework/pictures.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

protected:
    BOOL OnInitDialog() override;
    // The box holds no data.
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP(CAboutDlg)

private:
    CDialogPictures m_pictures;  // the picture, fitted to its frame
};
