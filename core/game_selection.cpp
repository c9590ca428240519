#include "core/game_selection.h"

int& GameSelection::FlagOf(GameTarget target) {
    switch (target) {
    case GameTarget::OV: return m_bOVInstalled;
    case GameTarget::BM: return m_bBMInstalled;
    default: return m_bMHInstalled;
    }
}

bool GameSelection::IsInstalled(GameTarget target) const {
    return const_cast<GameSelection*>(this)->FlagOf(target) != 0;
}

void GameSelection::SelectTarget(GameTarget target) {
    // Positions of the radio in the walks from the BM, OV and MH anchors (OV, BM, MH in template order).
    switch (target) {
    case GameTarget::OV: m_nBMRadio = -1, m_nOVRadio = 0, m_nMHRadio = -1; break;
    case GameTarget::BM: m_nBMRadio = 0, m_nOVRadio = 1, m_nMHRadio = -1; break;
    default: m_nBMRadio = 1, m_nOVRadio = 2, m_nMHRadio = 0; break;
    }
}

std::optional<GameTarget> GameSelection::EditorGateFailure() const {
    if (m_nBMRadio == 0 && !m_bBMInstalled) return GameTarget::BM;
    if (m_nOVRadio == 0 && !m_bOVInstalled) return GameTarget::OV;
    if (m_nMHRadio == 0 && !m_bMHInstalled) return GameTarget::MH;
    return std::nullopt;
}

std::string GameSelection::ReadSetting(const std::string& name) {
    bool opened = false;
    std::string value = store_.Read(Family(), name, &opened);
    if (!opened) {
        if (auto target = TargetOfFailedOpen(m_nBMRadio, m_nOVRadio, m_nMHRadio)) FlagOf(*target) = 0;
    }
    return value;
}

void GameSelection::WriteSetting(const std::string& name, const std::string& value) {
    store_.Write(Family(), name, value);
}
