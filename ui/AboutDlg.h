// The About box: the program's title picture and nothing else.
#pragma once

#include "dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
