// The main window's game selection and installed flags, and the reads and writes that follow them.
#pragma once

#include <optional>
#include <string>

#include "core/settings_store.h"
#include "core/targets.h"

class GameSelection : public SettingsAccess {
public:
    explicit GameSelection(const SettingsStore& store) : store_(store) {}

    // Installed flags (BOOL): TRUE from initialisation, cleared for good by a failed key open.
    int m_bOVInstalled = 1;
    int m_bBMInstalled = 1;
    int m_bMHInstalled = 1;

    // Selection indices, exchanged with the radios; -1 until the first exchange.
    int m_nBMRadio = -1;
    int m_nOVRadio = -1;
    int m_nMHRadio = -1;

    GameFamily Family() const { return FamilyOfSelection(m_nMHRadio); }
    GameTarget LaunchTarget() const { return LaunchTargetOfSelection(m_nBMRadio, m_nOVRadio); }

    // Sets the indices as the radio exchange saves them with the target's radio on.
    void SelectTarget(GameTarget target);

    bool IsInstalled(GameTarget target) const;

    // The target whose not-installed message the settings editors show, testing BM, OV, MH in turn.
    std::optional<GameTarget> EditorGateFailure() const;

    // Reads from the selected family's key; a key that cannot be opened clears the installed flag of
    // the selected target.
    std::string ReadSetting(const std::string& name) override;
    void WriteSetting(const std::string& name, const std::string& value) override;

    const SettingsStore& Store() const { return store_; }

private:
    int& FlagOf(GameTarget target);

    const SettingsStore& store_;
};
