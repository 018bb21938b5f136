// Drives Nivora.exe as a user would: starts it, finds its windows and message boxes, presses
// buttons and hotkeys, and reads what it left behind. Runs inside the same Wine prefix.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// The folder of the test executables; Nivora.exe and the helpers sit beside them.
std::wstring BinDir();
// %APPDATA%\Talvern\NVA\ (with the trailing backslash).
std::wstring DataFolder();
// Removes the data folder with everything in it (the recovery record too), so a test starts
// like a first run.
void ResetDataFolder();
// Removes the data folder and makes it again, empty, for a test to put files in.
void MakeEmptyDataFolder();
// Ends every Nivora still running and clears all it writes: the data folder, the password
// value and the Run value. Every end-to-end test starts so (WarmUp.cpp), whatever the one before
// it left.
void ClearProgramState();
bool FileExists(const std::wstring& path);
std::vector<unsigned char> ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);

// Holds the test for NV_E2E_LINGER_MS milliseconds (none when unset), so that a dialog can be
// looked at in a screenshot of the display.
void Linger();
// Polls until the predicate holds or the time runs out. The machine runs several test programs
// at once: waits are for conditions, with room to spare (a wait that holds returns at once, so
// only a failure pays for the room), never fixed pauses standing as proof.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 20000, int stepMs = 50);
// Whether the window's thread takes a sent message within the time: a hung one does not. It
// does not prove that the program has reached its message loop (a thread answers sent messages
// while it waits on another window), nor that it has handled what was posted or typed before.
// (Nor should a test keep the program's files open to watch them: under Wine a file that is
// open anywhere cannot be replaced, and the program's write of it fails.)
bool Answers(HWND window, int timeoutMs = 10000);
// Whether another program holds this hotkey: this process cannot register it (error 1409). Ask
// only of a combination the program is not about to register: a registration made here, for an
// instant, at the moment the program registers the same one would make the program's fail. (A
// hotkey's message overtakes keys typed before it, so a hotkey that worked does not prove that
// those keys have been handled.)
bool HotkeyTaken(UINT modifiers, UINT key);

struct Process {
    PROCESS_INFORMATION pi{};
    DWORD Pid() const { return pi.dwProcessId; }
    bool Running() const;
    // Waits for the process to end; returns its exit code or -1 on time-out.
    int Wait(int timeoutMs = 10000);
    // Waits until the program first waits for input with nothing pending: its message loop (or
    // a modal one) has started. Answering WM_NULL is not enough: a program answers sent
    // messages while it itself waits on another window during its start.
    bool WaitUntilIdle(int timeoutMs = 30000) const;
    void Kill();
    ~Process();
};

// Starts an executable from BinDir() with a command line of arguments; a helper of the tests
// (nv_*.exe) has made and shown its windows when it returns.
bool Start(Process& process, const std::wstring& exe, const std::wstring& arguments = L"");

// Top-level windows of a process, visible or not.
std::vector<HWND> TopWindows(DWORD pid);
// The main window of Nivora (caption "NV", not a dialog), or null.
HWND FindMainWindow(DWORD pid);
// A message box or dialog of the process (class #32770), or null.
HWND FindDialog(DWORD pid);
// All texts of a dialog's child windows, joined by "|".
std::wstring DialogText(HWND dialog);
// Clicks the child button whose text, without "&", equals the given one, as a user can: once it
// is shown and enabled (not a wizard's Next while its work still runs). False if no such button
// is there within 5 s.
bool PressButton(HWND parent, const std::wstring& text);
// A descendant window with the given text (exact, "&" kept), or null.
HWND FindChildByText(HWND parent, const std::wstring& text);
bool IsShown(HWND window);
// The window with the keyboard focus in the thread of the given window, or null.
HWND FocusOf(HWND window);

// Presses a key combination with SendInput: modifiers down, key down, key up, modifiers up.
void PressKeys(const std::vector<WORD>& modifiers, WORD key);
// Presses a registered hotkey and waits for what it does. Under Wine an injected press is, once
// in many runs of the whole suite, not taken by the hotkey (seen only right after the program
// hid its last window; the cause is not known). So when nothing happens within 10 s while the
// combination is still registered (this process cannot take it), it is pressed once more.
// False when nothing happens after that, or when nobody holds the combination.
bool PressHotkey(const std::vector<WORD>& modifiers, WORD key, const std::function<bool()>& done);
// Posts the message a registered hotkey sends. Unlike a key pressed while the program still
// starts up (lost if its hotkeys are not registered yet), it waits in the queue until the
// message loop takes it, when start-up has finished: for the first press after a message box of
// start-up, whose own loop makes the program look idle before it is. Posted after a hotkey, it
// is taken once that hotkey's cycle has run to its end (the cycle's own waits on other windows
// take only sent messages): the program window it shows (id 1) tells that the cycle is over.
void PostHotkey(HWND window, int id, UINT modifiers, UINT key);

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The ProductVersion of an executable's version resource, or "".
std::wstring ProductVersion(const std::wstring& exe);

// The Unix path of a Windows path (Wine's wine_get_unix_file_name), or "".
std::string UnixPath(const std::wstring& path);
// Writes a shell script to /tmp (the name made of stem and this test process's id) and starts it:
// Wine runs a Unix program given by its Z: path, and hands it the arguments as they are, but
// cannot wait for it. Returns the script's Z: path, for the caller to remove once it is done
// with it, or "" when it could not be started.
std::wstring StartShellScript(const std::wstring& stem, const std::string& text);

// Registry helpers for the tests.
bool RegWriteString(HKEY root, const std::wstring& key, const std::wstring& name,
                    const std::wstring& value);
bool RegDelete(HKEY root, const std::wstring& key, const std::wstring& name);
bool RegReadString(HKEY root, const std::wstring& key, const std::wstring& name,
                   std::wstring& value);

}  // namespace e2e

namespace e2e {

// The visible top-level windows of a process with the given title, or null.
HWND FindWindowOf(DWORD pid, const std::wstring& title);
// A 513-byte list record: Title and Path in the ANSI code page, then the AllWindows flag.
std::vector<unsigned char> ListRecord(const std::wstring& title, const std::wstring& path,
                                      unsigned char allWindows);
// How many running processes have this executable file name.
int CountProcesses(const std::wstring& exeName);
void KillProcesses(const std::wstring& exeName);
// The rows of a list view of another process: each row's column texts.
std::vector<std::vector<std::wstring>> ListViewRows(HWND listView, int columns);
// The n-th descendant window of a class (in EnumChildWindows order), or null.
HWND FindChildByClass(HWND parent, const std::wstring& className, int n = 0);

}  // namespace e2e
