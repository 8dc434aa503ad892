// A small driver that starts setup.exe and finds its windows, as a user's
// eyes and hands would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class SetupProcess {
 public:
  // Starts exe with args; tempDir becomes the child's TMP and TEMP. With
  // limitedRights, it gets the limited half of this process's token, as a
  // program started by an administrator under User Account Control would.
  SetupProcess(const std::string& exe, const std::string& args, const std::string& tempDir,
               bool limitedRights = false);
  // Starts a whole command line as Windows would (a stored UninstallString).
  SetupProcess(const std::string& commandLine, const std::string& tempDir);
  ~SetupProcess();

  // The first top-level window of this process with the class name, or null.
  HWND FindWindow(const char* className) const;
  // Polls for a window of the class (visible) until timeoutMs passes.
  HWND WaitForWindow(const char* className, DWORD timeoutMs = 20000) const;
  // The exit code, or -1 if the process is still running after timeoutMs.
  long WaitForExit(DWORD timeoutMs);
  // A visible message box of this process (class "#32770"), or null.
  HWND WaitForMessageBox(DWORD timeoutMs = 20000) const {
    return WaitForWindow("#32770", timeoutMs);
  }
  DWORD Pid() const { return pi_.dwProcessId; }

 private:
  void Launch(std::string commandLine, const std::string& tempDir, bool limitedRights = false);
  PROCESS_INFORMATION pi_{};
};

std::string WindowText(HWND hwnd);
// How many pixels of hwnd's client area the screen shows in exactly color.
int CountPixels(HWND hwnd, COLORREF color);
// What the screen shows at client point (x, y) of hwnd.
COLORREF ScreenPixel(HWND hwnd, int x, int y);
// The text of a message box.
std::string MessageText(HWND box);
// Presses a dialog button (IDOK, IDYES, ...) as a click would.
void PressButton(HWND dialog, int id);
// Presses it and waits until the dialog has gone.
void Answer(HWND dialog, int id);
bool IsChecked(HWND checkBox);
// Real mouse input at client point (x, y) of hwnd.
void MoveMouse(HWND hwnd, int x, int y);
void Click(HWND hwnd, int x, int y);
// Real key presses (down and up), with Shift held when asked.
void PressKey(WORD vk, bool shift = false);
// Clicks the middle of a control.
void ClickControl(HWND control);
// The window that has the keyboard focus in hwnd's thread.
HWND FocusOf(HWND hwnd);
std::vector<std::string> ListItems(HWND listBox);

}  // namespace e2e
