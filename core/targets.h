// The three selectable game targets, their registry families and the selection rules.
#pragma once

#include <optional>

enum class GameFamily { Orvanta, Mireholt };

enum class GameTarget { OV, BM, MH };

struct TargetInfo {
    GameTarget target;
    GameFamily family;
    const char* clientPrefix;  // ends in one blank
    const char* serverPrefix;  // ends in one blank
    const char* notInstalledMessage;
};

const TargetInfo& InfoOf(GameTarget target);

// Key path under HKEY_LOCAL_MACHINE.
const char* KeyPathOf(GameFamily family);

// Selection indices, as the main window's radio exchange leaves them: each is 0 exactly when its own
// radio is on. Every rule compares an index with 0 only.
GameFamily FamilyOfSelection(int nMHRadio);

// The copies of the main window's OV and BM selection indices that a settings editor is handed
// before every run.
struct EditorSelection {
    int m_nOrvantaRadio = -1;
    int m_nBrightmoorRadio = -1;

    // Orvanta or Brightmoor is selected.
    bool OrvantaFamily() const { return m_nBrightmoorRadio == 0 || m_nOrvantaRadio == 0; }
};

// The target that Join and Create act for: BM, else OV, else MH.
GameTarget LaunchTargetOfSelection(int nBMRadio, int nOVRadio);

// The target whose installed flag a failed key open clears, if any.
std::optional<GameTarget> TargetOfFailedOpen(int nBMRadio, int nOVRadio, int nMHRadio);
