// Drives the real program from outside: its registry keys, its windows and the programs it starts.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <optional>
#include <string>
#include <vector>

#include "core/targets.h"

namespace harness {

// --- Registry, 32-bit view under HKEY_LOCAL_MACHINE ---------------------------------------------

// The values of a game's key that the main window follows.
constexpr char kAddressValue[] = "MultiplayerManualHostAddress";
constexpr char kPortValue[] = "MultiplayerManualJoinPort";
constexpr char kPathValue[] = "InstallationPath";

struct RegValue {
    DWORD type = 0;
    std::string data;  // raw bytes
    std::string Text() const { return data.substr(0, data.find('\0')); }
    bool operator==(const RegValue& other) const { return type == other.type && data == other.data; }
};

void DeleteGameKeys();
void CreateGameKey(GameFamily family);
bool GameKeyExists(GameFamily family);
void SetRaw(GameFamily family, const std::string& name, DWORD type, const std::string& data);
// A string value with its terminator, as REG_SZ unless another type is given.
void SetString(GameFamily family, const std::string& name, const std::string& text, DWORD type = REG_SZ);
void DeleteValue(GameFamily family, const std::string& name);
std::optional<RegValue> GetValue(GameFamily family, const std::string& name);
// The value's text, or "<missing>".
std::string GetText(GameFamily family, const std::string& name);
// The value's type, or REG_NONE when it is missing.
DWORD TypeOf(GameFamily family, const std::string& name);
int ValueCount(GameFamily family);

// --- Where settings live: the per-user copy and the compatibility layers ---------------------------------

using RegValues = std::map<std::string, RegValue>;
// Every value of a key (names as stored); empty when the key is missing.
RegValues KeyValues(HKEY root, const std::string& path, REGSAM view);
RegValues MachineValues(GameFamily family);
// The per-user copy registry virtualization keeps for the 32-bit view on 64-bit Windows.
std::string UserCopyPath(GameFamily family);
void SetUserCopyRaw(GameFamily family, const std::string& name, DWORD type, const std::string& data);
void SetUserCopyString(GameFamily family, const std::string& name, const std::string& text);
RegValues UserCopyValues(GameFamily family);
bool UserCopyExists(GameFamily family);
void DeleteUserCopies();
// A compatibility-layers value for an executable (root HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE, in
// the given view).
void SetLayers(HKEY root, REGSAM view, const std::string& exePath, const std::string& layers);
// Removes every layers value that names a file below `folder`.
void DeleteLayersBelow(const std::string& folder);

// The one address of the network namespace scripts/test.sh runs the suite in (MHT_SUITE_ADDRESS),
// or empty when the suite runs in the machine's own network.
std::string SuiteAddress();

// --- Files ----------------------------------------------------------------------------------------

// The folder of the test executable; the program and the stand-ins are built beside it.
std::string TestDir();
std::string Join(const std::string& dir, const std::string& name);
void MakeDir(const std::string& path);
void RemoveTree(const std::string& path);
// A file of the source tree (path relative to its root), as a Windows path.
std::string SourceFile(const std::string& relative);
// The same as a Unix path.
std::string SourceUnixPath(const std::string& relative);
// The Windows path of a Unix path, through Wine's own export (the path itself without Wine).
std::string DosPath(const std::string& unixPath);

// --- Programs started by the toolkit --------------------------------------------------------------

struct Started {
    std::string exe, commandLine, directory;
};
// What the stand-ins recorded so far.
std::vector<Started> ReadStarted();
// Waits until at least `count` starts are recorded.
std::vector<Started> WaitStarted(size_t count);

// --- Windows --------------------------------------------------------------------------------------

bool WaitFor(const std::function<bool()>& predicate, DWORD timeoutMs = 10000);
// Sends a message to a window of the program (with a deadline) and returns its result.
LRESULT Query(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Returns once the window's thread is back in a message loop: a handler that was running has returned.
void RoundTrip(HWND window);
HWND Item(HWND dialog, int id);
std::string Text(HWND hWnd);
std::string ClassName(HWND hWnd);
// Posts a click; a click that opens a modal window must not be sent.
void Click(HWND control);
class Toolkit;
// Clicks a game radio and returns once its handler has run.
void Choose(Toolkit& app, int radioId);
// Host for Friends from the main window's system menu, once it shows; with a game radio and a port,
// that game is chosen and the port typed into the main window first (not saved).
HWND OpenHostForFriends(Toolkit& app);
HWND OpenHostForFriends(Toolkit& app, int gameRadio, const std::string& port);
void SetText(HWND control, const std::string& text);
bool IsChecked(HWND button);
// Moves the focus as the dialog manager does, to the next tab stop or to a given control.
void FocusNext(HWND dialog);
void FocusControl(HWND dialog, HWND control);
// The control that has the focus in the thread of `window`, or nullptr.
HWND FocusedControl(HWND window);
// Waits until `control` has the focus in the thread of `window`. Wine without a window manager
// follows the X input focus: an X focus change that the program handles late can make the desktop
// the foreground window after the program has set its focus, leaving it no active window at all.
// Then `window` is activated again, as a click on it would; a dialog gives the focus back to the
// control that had it.
bool WaitForFocus(HWND window, HWND control, DWORD timeoutMs = 10000);
// Where the focus and the activation are in the thread of `window`, for failure messages.
std::string FocusReport(HWND window);

// Visible dialog-class windows of a process, top-level.
std::vector<HWND> Dialogs(DWORD pid);
// Dialog-class windows of a process, top-level, shown or not yet shown.
std::vector<HWND> AllDialogs(DWORD pid);
// A message box: its text and icon controls. (A plain dialog template's static with id -1 has the
// text's id too.)
bool IsMessageBox(HWND hWnd);

struct MessageBoxInfo {
    HWND hWnd = nullptr;
    std::string caption, text;
    LONG style = 0;
    HWND owner = nullptr;
    bool hasIcon = false;
};

// --- Processes the tests start ----------------------------------------------------------------------

// A process a test started, together with every process that one starts in turn: the guard ends
// them all, by handle, and waits for them when it goes, however the test ends. They run in a job
// that the system ends when its last handle closes, so that a test process killed on a time-out
// takes them along too.
class ProcessGuard {
public:
    ProcessGuard() = default;
    ~ProcessGuard() { End(); }
    ProcessGuard(const ProcessGuard&) = delete;
    ProcessGuard& operator=(const ProcessGuard&) = delete;

    // Starts `exe` with the whole command line in `workDir` (the test's own when empty); false when
    // it did not start.
    bool Start(const std::string& exe, std::string commandLine, const std::string& workDir = "");
    HANDLE Process() const { return pi_.hProcess; }
    DWORD Pid() const { return pi_.dwProcessId; }
    // The exit code once the process has ended within the time, else nullopt.
    std::optional<DWORD> WaitExit(DWORD timeoutMs);
    // Ends whatever still runs of the process and its descendants and waits until it is gone.
    void End();

private:
    PROCESS_INFORMATION pi_{};
    HANDLE job_ = nullptr;
};

// --- The toolkit process ---------------------------------------------------------------------------

// What follows the program's name on its command line.
struct CommandTail {
    std::string text;
};
// The arguments, each quoted as the system's argument parser reads it back.
CommandTail Args(const std::vector<std::string>& args);

class Toolkit {
public:
    // Starts the program (by default the one built beside the tests) in `workDir`.
    explicit Toolkit(const std::string& workDir, const std::string& exePath = "");
    // The same with arguments.
    Toolkit(const std::string& workDir, const CommandTail& tail, const std::string& exePath = "");
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;

    DWORD Pid() const { return process_.Pid(); }
    HANDLE Process() const { return process_.Process(); }
    // Waits for the main window to be visible; returns it.
    HWND Main();
    HWND Item(int id) { return ::GetDlgItem(Main(), id); }
    // Waits for a visible dialog with this caption other than the main window.
    HWND WaitDialog(const std::string& caption);
    // Waits for a message box of this process and reads it.
    MessageBoxInfo WaitMessageBox();
    // Closes the message box with its OK button (or another) and waits until it is gone.
    void Dismiss(const MessageBoxInfo& box, int buttonId = IDOK);
    // Reads and dismisses the next message box; returns its text.
    std::string TakeMessage();
    // True when no message box of the process is showing.
    bool NoMessageBox();
    // True when no message box of the process exists, shown or not yet shown.
    bool NoMessageWindow();
    // Waits for the process to end; returns its exit code, or nullopt on timeout.
    std::optional<DWORD> WaitExit(DWORD timeoutMs = 10000);
    // Waits for the process to end, looking all the while for a visible window of it other than a
    // message box.
    struct Outcome {
        std::optional<DWORD> exitCode;
        bool showedWindow = false;
        std::string shown;  // class and title of the first window seen, for the failure message
    };
    Outcome WatchUntilExit(DWORD timeoutMs = 10000);

private:
    void Start(const std::string& workDir, const std::string& tail, const std::string& exePath);

    ProcessGuard process_;
    HWND main_ = nullptr;
};

// --- Test environment ------------------------------------------------------------------------------

// Per-test folders: a working folder and one installation folder per target holding the game
// stand-ins; the stand-ins' log is emptied.
struct Sandbox {
    Sandbox();
    ~Sandbox();
    std::string root, work, orvantaDir, mireholtDir;
    // Creates the family's key with InstallationPath pointing at its installation folder.
    void InstallGame(GameFamily family);
    // Installs the family and stores a manual server: host address and join port.
    void SeedServer(GameFamily family, const std::string& address, const std::string& port);
    // Both families installed, each with a server of its own (Mireholt 192.0.2.7:2346, Orvanta
    // 198.51.100.1:1111), so that a read from the wrong key shows.
    void SeedBothFamilies();
};

// Records the command line of every process started, directly or not, by a process after the watch
// began (the process is put into a job whose notifications tell of each new member).
class ChildWatch {
public:
    explicit ChildWatch(HANDLE process);
    ~ChildWatch();
    ChildWatch(const ChildWatch&) = delete;
    ChildWatch& operator=(const ChildWatch&) = delete;
    std::vector<std::string> CommandLines();

private:
    void Run();
    HANDLE job_ = nullptr, port_ = nullptr;
    DWORD watched_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Runs the program with these arguments and waits; its exit code, or nullopt on timeout.
std::optional<DWORD> RunToolkit(const std::string& arguments);

// Copies a stand-in (orvanta.exe, orvantaMP.exe, Mireholt.exe) into a folder.
void PlaceStandIn(const std::string& exeName, const std::string& dir);

// --- Keys, menus and icons ------------------------------------------------------------------------

// A key press (down and up) posted to a control; the dialog manager's loop handles it as typed.
void PostKey(HWND control, UINT vk);
// Real keystrokes through the X server (xdotool key syntax, e.g. "Tab", "alt+space Up Return"),
// after giving the window the X input focus. Returns when xdotool has finished, true on success;
// the program handles the keys after that, so wait for their effect.
bool PressKeys(HWND window, const std::string& keys);

struct MenuItem {
    UINT type = 0;  // MFT_* flags
    UINT id = 0;
    std::string text;
    UINT state = 0;  // MFS_* flags
};
// The window's system menu as its own process holds it (read there through a message hook).
std::vector<MenuItem> SystemMenu(HWND window);
// The cells of a report-view list, whole, as its own process holds them.
std::vector<std::vector<std::string>> ListViewRows(HWND list);

struct ControlLayout {
    std::string className, text;
    LONG style = 0;
    RECT rect{};       // window rectangle in the dialog's client coordinates
    SIZE client{};     // client area
    SIZE label{};      // the text as drawn in the control's font (wrapped to the client width for statics)
    SIZE picture{};    // a picture static's bitmap
};
struct DialogLayout {
    int baseX = 0, baseY = 0, dpi = 0;  // dialog base units (MapDialogRect of 4 x 8) and the screen's DPI
    std::vector<ControlLayout> controls;
};
// The dialog's controls as its own process sees them (read there through a message hook).
DialogLayout Layout(HWND dialog);

enum class BoxIcon { None, Exclamation, Hand, Asterisk, Question };
// The standard icon a message box shows, recognised by its pixels on the screen.
BoxIcon IconOf(const MessageBoxInfo& box);

// --- Clipboard ------------------------------------------------------------------------------------

// Puts the text on the clipboard as CF_UNICODETEXT, as a copy in another program does.
bool SetClipboardText(const std::string& text);
// The clipboard's text in the format (CF_TEXT or CF_UNICODETEXT, narrowed), or "<none>".
std::string ClipboardText(UINT format = CF_UNICODETEXT);
// Puts the text on the clipboard and sends WM_PASTE to the edit, as Ctrl+V does.
void PasteInto(HWND edit, const std::string& text);

// A top-level window of the test process, standing for a window of some other program.
class ForeignWindow {
public:
    explicit ForeignWindow(const std::string& title);
    ~ForeignWindow();
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;
    HWND hWnd() const { return hWnd_; }

private:
    HWND hWnd_ = nullptr;
};

}  // namespace harness
