// Settings Location: where the selected family's settings really live (the machine key and the
// per-user copy registry virtualization keeps), the values that differ, whether the games run as
// administrator; and, with consent, mending the split.
#pragma once

#include <vector>

#include "core/settings_location.h"
#include "framework/dialog.h"

class CSettingsLocationDlg : public CDialog {
public:
    explicit CSettingsLocationDlg(GameFamily family, CDialog* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnMatchMachine();
    void OnForgetUserCopy();
    void OnSelectRow();

    DECLARE_MESSAGE_MAP(CSettingsLocationDlg)

private:
    // Reads what is true now and shows it.
    void Refresh();

    GameFamily m_family;
    SettingsLocation m_location;
    std::vector<ValueDifference> m_differences;
};

// The main window's system-menu item: its text ends in " (differs)" while a game of the family runs
// as administrator and the per-user copy holds values the machine key lacks or holds otherwise.
extern const char kSettingsLocationItem[];
void UpdateSettingsLocationItem(HWND window, GameFamily family);
