// Server Config: the options the selected game hosts a multiplayer game with.
#pragma once

#include "core/server_config.h"
#include "framework/dialog.h"

class CServerConfigDlg : public CDialog, public ServerConfigValues {
public:
    explicit CServerConfigDlg(CDialog* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnUsePassword();

    DECLARE_MESSAGE_MAP(CServerConfigDlg)

private:
    // The password can be edited only while Use Password is checked.
    void EnablePassword();
};
