// General Options: game, sound and graphics options and the video resolution.
#pragma once

#include "core/general_options.h"
#include "framework/dialog.h"

class CGeneralOptionsDlg : public CDialog, public GeneralOptionsValues {
public:
    explicit CGeneralOptionsDlg(CDialog* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP(CGeneralOptionsDlg)
};
