// The main window: game choice, server address and port, local IP, and the buttons that start
// the launch actions, the settings editors, the address book and the About box.
#pragma once

#include "core/command_line.h"
#include "core/game_selection.h"
#include "framework/dialog.h"
#include "framework/pictures.h"
#include "ui/AddressBookDlg.h"
#include "ui/GeneralOptionsDlg.h"
#include "ui/PlayerConfigDlg.h"
#include "ui/ServerConfigDlg.h"

#include <deque>
#include <optional>

class HostingService;

class CToolkitDlg : public CDialog {
public:
    explicit CToolkitDlg(CDialog* pParent = nullptr);
    ~CToolkitDlg() override;

    // The game choice and installed flags, and the reads and writes of the chosen game's key.
    GameSelection m_selection;

    CString m_strServerAddress;
    CString m_strPort;  // at most 4 characters
    CString m_strLocalIP;

    HICON m_hIcon;
    CDialogPictures m_pictures;  // the title picture, fitted to its frame
    CAddressBookDlg m_dlgAddressBook;
    CGeneralOptionsDlg m_dlgGeneralOptions;
    CServerConfigDlg m_dlgServerConfig;
    CPlayerConfigDlg m_dlgPlayerConfig;

    // A join request of the command line, carried out as soon as the window is up; set before DoModal.
    std::optional<Request> m_startRequest;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter and Esc end the program; while a port is held for friends, after asking.
    void OnOK() override;
    void OnCancel() override;

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

    // Join requests: from the command line, or handed over by a later start of the program.
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    LRESULT OnCarryOutRequest(WPARAM wParam, LPARAM lParam);
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);

    // System-menu items.
    void OnYourAddresses();
    void OnSettingsLocation();
    void OnToggleLinks();
    void OnHostForFriends();
    // The held port changed (opened, closed, renewed): the menu item says so.
    LRESULT OnHostingChanged(WPARAM wParam, LPARAM lParam);
    // The quit's Close ended, or its time is up.
    LRESULT OnQuitClosed(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP(CToolkitDlg)

private:
    static constexpr UINT kCarryOutRequest = WM_APP + 1;
    static constexpr UINT kHostingChanged = WM_APP + 2;
    static constexpr UINT kQuitClosed = WM_APP + 3;
    static constexpr UINT_PTR kQuitTimer = 0x51;

    struct PendingRequest {
        Request request;
        bool atStart;  // the program was started for it: it ends once the game is started
    };

    void SelectGame(GameTarget target);
    // Labels the system menu's Settings Location item for the chosen family. It is read again only
    // for another family, after the program wrote settings (a write may make or mend the split), or
    // when `recheck` says that something else may have changed it.
    void ShowSettingsLocationItem(bool recheck);
    // What choosing a game reloads: installation folder, stored address and port, shown.
    void LoadSelectedGame();
    // Join as its button does it; true when the game was started.
    bool JoinServer();
    // Selects the request's game as its radio does, fills the fields and joins; true when started.
    bool JoinFor(const Request& request);
    // A link asks first; true when the user agrees.
    bool ConfirmLink(const Request& request);
    void CarryOutRequest(const PendingRequest& pending);
    void AddSystemMenuItems(HMENU sysMenu);
    void ShowLinksCheck();
    // Shows the target's not-installed message when its flag is clear; true when it is installed.
    bool PassInstalledGate(GameTarget target);
    // Runs a settings editor: shows the not-installed message of the selected target, if any, and
    // stops; else hands the selection to the editor, loads its values, runs it and saves them on OK.
    template <class Editor, class Values>
    void RunEditor(Editor& editor, void (*load)(SettingsAccess&, Values&),
                   void (*save)(SettingsAccess&, const Values&));
    void FollowInstallationPath();

    void ShowHostingItem();
    // Asks whether to close the held port and quit; Yes closes it (within kQuitCloseMs) and ends
    // the dialog with `code`. False when nothing is held: the caller ends it as usual.
    bool QuitClosingPort(INT_PTR code);

    HostingService* m_hosting;  // the port held for friends; shared with its workers
    INT_PTR m_quitCode = 0;     // not 0 while the quit's Close runs

    std::deque<PendingRequest> m_requests;
    // What the Settings Location item was last read for: the family and the store's writes then.
    std::optional<GameFamily> m_itemFamily;
    unsigned long m_itemWrites = 0;
};
