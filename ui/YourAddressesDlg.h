// Your Addresses: every IPv4 address of the adapters that are up, each with a Copy button that puts
// "ADDRESS:PORT" on the clipboard, and "Copy server" for the main window's server.
#pragma once

#include <vector>

#include "framework/dialog.h"
#include "win32/AdapterAddresses.h"

class CYourAddressesDlg : public CDialog {
public:
    CYourAddressesDlg();
    ~CYourAddressesDlg() override;

    // The main window's fields as they stand when the opener opens the dialog.
    CString m_strShownAddress;  // "Your IP Address": its row is marked
    CString m_strServerAddress;
    CString m_strPort;

protected:
    BOOL OnInitDialog() override;
    void OnCopyAddress(UINT id);
    void OnCopyServer();

    DECLARE_MESSAGE_MAP(CYourAddressesDlg)

private:
    // Adds a row of text (and a Copy button when copyId is not 0) at the row index; returns the
    // last control added, after which the next row goes in the tab order.
    HWND AddRow(int index, const std::wstring& text, int copyId, HWND after);
    // Moves the controls below the rows down by `rows` rows and makes the dialog that much taller.
    void MakeRoom(int rows);
    void Copy(const std::string& text);

    std::vector<AdapterAddress> m_addresses;
};
