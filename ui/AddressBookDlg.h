// The address book: five saved servers of one game family, each with Join, Ping and Telnet.
#pragma once

#include "core/settings_store.h"
#include "core/targets.h"
#include "framework/dialog.h"

class CAddressBookDlg : public CDialog {
public:
    explicit CAddressBookDlg(CDialog* pParent = nullptr);
    ~CAddressBookDlg() override;

    // The family whose key and client the dialog uses; the opener sets it before every opening.
    GameFamily m_family = GameFamily::Mireholt;
    // The store of the family's key; the opener sets it before every opening.
    const SettingsStore* m_pStore = nullptr;
    // Entries in the order of their control ids, which is not row order.
    CString m_strIp1;
    CString m_strIp2;
    CString m_strIp3;
    CString m_strPort1;
    CString m_strPort2;
    CString m_strPort3;
    CString m_strIp4;
    CString m_strIp5;
    CString m_strPort4;
    CString m_strPort5;
    CString m_strTitle;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    // Each edit stores its entry whenever it loses the focus.
    void OnKillFocusIp1();
    void OnKillFocusIp2();
    void OnKillFocusIp3();
    void OnKillFocusIp4();
    void OnKillFocusIp5();
    void OnKillFocusPort1();
    void OnKillFocusPort2();
    void OnKillFocusPort3();
    void OnKillFocusPort4();
    void OnKillFocusPort5();

    void OnJoin1();
    void OnJoin2();
    void OnJoin3();
    void OnJoin4();
    void OnJoin5();
    void OnPing1();
    void OnPing2();
    void OnPing3();
    void OnPing4();
    void OnPing5();
    void OnTelnet1();
    void OnTelnet2();
    void OnTelnet3();
    void OnTelnet4();
    void OnTelnet5();

    DECLARE_MESSAGE_MAP(CAddressBookDlg)

private:
    // The family's key, read and written without touching the main window's installed flags.
    CString ReadSetting(const char* name) const;
    void WriteSetting(const char* name, const CString& value) const;

    // Rows are numbered 1 to 5.
    CString& AddressOf(int row);
    CString& PortOf(int row);
    void StoreAddress(int row);
    void StorePort(int row);
    void JoinRow(int row);
    void PingRow(int row);
    void TelnetRow(int row);
};
