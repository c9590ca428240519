// Host for Friends: asks the router to forward the game's port to this PC (Open Port) or to take the
// forwarding back (Close Port), and gives friends the address or link to join. The router is looked
// for and asked on a worker thread that owns what it uses: the dialog never waits for it, and Close
// ends the dialog at once, whatever the router does. What is opened is held, and renewed, by the
// main window's hosting service; opened again, the dialog shows what it holds.
#pragma once

#include <windows.h>

#include <string>

#include "core/port_mapping.h"
#include "framework/dialog.h"

class HostingService;

class CHostForFriendsDlg : public CDialog {
public:
    CHostForFriendsDlg();
    ~CHostForFriendsDlg() override;

    // Set by the opener: the game selected in the main window, and its port field as it stands.
    GameTarget m_target = GameTarget::MH;
    CString m_strPort;
    HostingService* m_hosting = nullptr;  // the main window's; set by the opener

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnOpenPort();
    void OnClosePort();
    void OnCopyLink();
    void OnCopyAddress();
    LRESULT OnWorkDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    void OnPortChanged();

    DECLARE_MESSAGE_MAP(CHostForFriendsDlg)

private:
    static constexpr UINT kWorkDone = WM_APP + 0x48;
    static constexpr UINT_PTR kStatusTimer = 0x52;
    struct Job;

    // The port field's text when it is a port; otherwise says so and returns false.
    bool TakePort(std::string& port);
    void Start(bool open, const std::string& port);
    // The worker's result is no longer wanted: it ends on its own, and posts nothing.
    void LetGo();
    void ShowResult(const std::string& text);
    void Copy(const std::string& text);
    // What the hosting service holds of m_heldPort, in the result box; false when it holds nothing.
    bool ShowHeld();
    // The result box and the Copy buttons no longer show a held port.
    void ForgetHeld();
    void OfferToFriends(GameTarget target, const HostOutcome& opened);

    Job* m_job = nullptr;  // the running work, shared with its thread

    std::string m_heldPort;      // the held port the port field names
    bool m_showingHeld = false;  // the result box shows it, kept up to date
    std::string m_result;  // the last outcome's text
    std::string m_link, m_address;  // what friends are given, once a port is open
};
