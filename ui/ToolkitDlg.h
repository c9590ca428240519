// The main window: game choice, server address and port, local IP, and the buttons that start
// the launch actions, the settings editors, the address book and the About box.
#pragma once

#include "AddressBookDlg.h"
#include "GeneralOptionsDlg.h"
#include "PlayerConfigDlg.h"
#include "ServerConfigDlg.h"
#include "dialog.h"
#include "game_selection.h"
#include "pictures.h"

class CToolkitDlg : public CDialog, public GameSelection {
public:
    explicit CToolkitDlg(CDialog* pParent = nullptr);

    CString m_strServerAddress;
    CString m_strPort;  // at most 4 characters
    CString m_strLocalIP;

    HICON m_hIcon;
    CDialogPictures m_pictures;  // the title picture, fitted to its frame
    CAddressBookDlg m_dlgAddressBook;
    CGeneralOptionsDlg m_dlgGeneralOptions;
    CServerConfigDlg m_dlgServerConfig;
    CPlayerConfigDlg m_dlgPlayerConfig;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void ShowLocalIP();
    void OnAbout();

    // Game choice.
    void OnSelectOV();
    void OnSelectBM();
    void OnSelectMH();

    // Launch actions.
    void OnJoin();
    void OnCreateServer();
    void OnPing();
    void OnTelnet();

    // Settings editors.
    void OnPlayerConfig();
    void OnServerConfig();
    void OnGeneralOptions();

    void OnAddressBook();

    DECLARE_MESSAGE_MAP(CToolkitDlg)

private:
    void SelectGame(GameTarget target);
    // Shows the target's not-installed message when its flag is clear; true when it is installed.
    bool PassInstalledGate(GameTarget target);
    // Runs a settings editor: shows the not-installed message of the selected target, if any, and
    // stops; else hands the selection to the editor, loads its values, runs it and saves them on OK.
    template <class Editor, class Values>
    void RunEditor(Editor& editor, void (*load)(SettingsAccess&, Values&),
                   void (*save)(SettingsAccess&, const Values&));
    void FollowInstallationPath();
};
