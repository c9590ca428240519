// The three settings editors of the main window: Player Config, Server Config and General Options.
// Each passes the installed gate, hands the selection to its dialog, loads the dialog's values from
// the selected game's key, runs it, and writes the values back only when it ends with OK.
#include "ui/ToolkitDlg.h"

#include "core/general_options.h"
#include "core/player_config.h"
#include "core/server_config.h"

template <class Editor, class Values>
void CToolkitDlg::RunEditor(Editor& editor, void (*load)(SettingsAccess&, Values&),
                            void (*save)(SettingsAccess&, const Values&)) {
    if (const std::optional<GameTarget> failure = m_selection.EditorGateFailure()) {
        MessageBox(InfoOf(*failure).notInstalledMessage);
        return;
    }
    editor.m_nOrvantaRadio = m_selection.m_nOVRadio;
    editor.m_nBrightmoorRadio = m_selection.m_nBMRadio;
    load(m_selection, editor);
    if (editor.DoModal() != IDOK) return;
    save(m_selection, editor);
}

void CToolkitDlg::OnPlayerConfig() { RunEditor(m_dlgPlayerConfig, LoadPlayerConfig, SavePlayerConfig); }

void CToolkitDlg::OnServerConfig() { RunEditor(m_dlgServerConfig, LoadServerConfig, SaveServerConfig); }

void CToolkitDlg::OnGeneralOptions() { RunEditor(m_dlgGeneralOptions, LoadGeneralOptions, SaveGeneralOptions); }
