// Host for Friends: asks the router to forward the game's port to this PC (Open Port) or to take the
// forwarding back (Close Port), and gives friends the address or link to join. The router is looked
// for and asked on a worker thread; the dialog stays responsive, and Close ends it at once.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "core/port_forwarding.h"
#include "framework/dialog.h"

class CHostForFriendsDlg : public CDialog {
public:
    CHostForFriendsDlg();
    ~CHostForFriendsDlg() override;

    // Runs the dialog; returns once any work it started has stopped.
    INT_PTR DoModal() override;

    // Set by the opener: the game selected in the main window, and its port field as it stands.
    GameTarget m_target = GameTarget::MH;
    CString m_strPort;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnOpenPort();
    void OnClosePort();
    void OnCopyLink();
    void OnCopyAddress();
    LRESULT OnWorkDone(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP(CHostForFriendsDlg)

private:
    static constexpr UINT kWorkDone = WM_APP + 0x48;
    enum class Action { Open, Close };

    // The port field's text when it is a port; otherwise says so and returns false.
    bool TakePort(std::string& port);
    void Start(Action action, const std::string& port);
    static DWORD WINAPI Work(LPVOID self);
    // Asks the worker to stop and waits for it.
    void StopWork();
    void ShowResult(const std::string& text);
    void Copy(const std::string& text);

    // Shared with the worker: set before it starts, read back when it has posted kWorkDone.
    Action m_action = Action::Open;
    std::string m_workPort;
    HWND m_workWindow = nullptr;
    HostOutcome m_outcome;
    std::atomic<bool> m_cancel{false};
    HANDLE m_worker = nullptr;

    std::string m_result;  // the last outcome's text
    std::string m_link, m_address;  // what friends are given, once a port is open
};
