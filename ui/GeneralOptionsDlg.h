// General Options: game, sound and graphics options and the video resolution.
#pragma once

#include "dialog.h"
#include "general_options.h"

class CGeneralOptionsDlg : public CDialog, public GeneralOptionsValues {
public:
    explicit CGeneralOptionsDlg(CDialog* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP(CGeneralOptionsDlg)
};
