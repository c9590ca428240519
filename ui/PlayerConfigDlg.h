// Player Config: the player name and, for Mireholt, the primary and secondary weapons.
#pragma once

#include "core/player_config.h"
#include "framework/dialog.h"

class CPlayerConfigDlg : public CDialog, public PlayerConfigValues {
public:
    explicit CPlayerConfigDlg(CDialog* pParent = nullptr);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP(CPlayerConfigDlg)
};
