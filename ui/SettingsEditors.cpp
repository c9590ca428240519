// The three settings editors of the main window: Player Config, Server Config and General Options.
// Each passes the installed gate, hands the selection to its dialog, loads the dialog's values from
// the selected game's key, runs it, and writes the values back only when it ends with OK.
#include "ToolkitDlg.h"

#include "general_options.h"
#include "player_config.h"
#include "server_config.h"

bool CToolkitDlg::PassEditorGate() {
    if (const std::optional<GameTarget> failure = EditorGateFailure()) {
        MessageBox(InfoOf(*failure).notInstalledMessage);
        return false;
    }
    return true;
}

void CToolkitDlg::OnPlayerConfig() {
    if (!PassEditorGate()) return;
    m_dlgPlayerConfig.m_nOrvantaRadio = m_nOVRadio;
    m_dlgPlayerConfig.m_nBrightmoorRadio = m_nBMRadio;
    LoadPlayerConfig(*this, m_dlgPlayerConfig);
    if (m_dlgPlayerConfig.DoModal() != IDOK) return;
    SavePlayerConfig(*this, m_dlgPlayerConfig);
}

void CToolkitDlg::OnServerConfig() {
    if (!PassEditorGate()) return;
    m_dlgServerConfig.m_nBrightmoorRadio = m_nBMRadio;
    m_dlgServerConfig.m_nOrvantaRadio = m_nOVRadio;
    LoadServerConfig(*this, m_dlgServerConfig);
    if (m_dlgServerConfig.DoModal() != IDOK) return;
    SaveServerConfig(*this, m_dlgServerConfig);
}

void CToolkitDlg::OnGeneralOptions() {
    if (!PassEditorGate()) return;
    m_dlgGeneralOptions.m_nOrvantaRadio = m_nOVRadio;
    m_dlgGeneralOptions.m_nBrightmoorRadio = m_nBMRadio;
    LoadGeneralOptions(*this, m_dlgGeneralOptions);
    if (m_dlgGeneralOptions.DoModal() != IDOK) return;
    SaveGeneralOptions(*this, m_dlgGeneralOptions);
}
