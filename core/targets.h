// The three selectable game targets, their registry families and the selection rules. The games'
// names, codes, executables and keys are written here alone; everything else derives from this table.
#pragma once

#include <optional>
#include <span>
#include <string>

enum class GameFamily { Orvanta, Mireholt };

enum class GameTarget { OV, BM, MH };

struct TargetInfo {
    GameTarget target;
    GameFamily family;
    const char* code;          // "ov", as the command line and links name it
    const char* name;          // "Orvanta"
    const char* executable;    // "orvanta.exe", in the family's installation folder
    const char* clientPrefix;  // ends in one blank
    const char* serverPrefix;  // ends in one blank
    const char* notInstalledMessage;
};

const TargetInfo& InfoOf(GameTarget target);
// OV, BM, MH.
std::span<const TargetInfo> AllTargets();

// Key path under HKEY_LOCAL_MACHINE.
const char* KeyPathOf(GameFamily family);
// "Orvanta" / "Mireholt": the name of the family's first game, as the command line and the messages
// name the family; read back exactly.
const char* FamilyToken(GameFamily family);
std::optional<GameFamily> FamilyFromToken(const std::string& token);

// "ov", "bm", "mh"; exactly, in lower case.
std::optional<GameTarget> TargetOfCode(const std::string& code);

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
