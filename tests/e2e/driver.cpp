// The setup.exe driver.
#include "tests/e2e/driver.hpp"

#include "tests/win/win_test_util.hpp"

namespace e2e {
namespace {

struct Search {
  DWORD pid;
  const char* className;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[128] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == s->pid && lstrcmpA(cls, s->className) == 0 &&
      (!s->visibleOnly || IsWindowVisible(hwnd))) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

std::wstring GetEnv(const wchar_t* name) {
  wchar_t buf[MAX_PATH] = {};
  return GetEnvironmentVariableW(name, buf, MAX_PATH) ? buf : L"";
}

}  // namespace

SetupProcess::SetupProcess(const std::string& exe, const std::string& args,
                           const std::string& tempDir, bool limitedRights) {
  Launch("\"" + exe + "\"" + (args.empty() ? "" : " " + args), tempDir, limitedRights);
}

SetupProcess::SetupProcess(const std::string& commandLine, const std::string& tempDir) {
  Launch(commandLine, tempDir);
}

void SetupProcess::Launch(std::string commandLine, const std::string& tempDir, bool limitedRights) {
  const std::wstring oldTmp = GetEnv(L"TMP"), oldTemp = GetEnv(L"TEMP");
  const std::wstring temp = wintest::U(tempDir);
  SetEnvironmentVariableW(L"TMP", temp.c_str());
  SetEnvironmentVariableW(L"TEMP", temp.c_str());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring cmd = wintest::U(commandLine);
  HANDLE token = nullptr;
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  if (limitedRights && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
      GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size)) {
    CreateProcessAsUserW(linked.LinkedToken, nullptr, cmd.data(), nullptr, nullptr, FALSE, 0,
                         nullptr, nullptr, &si, &pi_);
    CloseHandle(linked.LinkedToken);
  } else if (!limitedRights) {
    CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_);
  }
  if (token) CloseHandle(token);
  SetEnvironmentVariableW(L"TMP", oldTmp.empty() ? nullptr : oldTmp.c_str());
  SetEnvironmentVariableW(L"TEMP", oldTemp.empty() ? nullptr : oldTemp.c_str());
}

SetupProcess::~SetupProcess() {
  if (!pi_.hProcess) return;
  if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

HWND SetupProcess::FindWindow(const char* className) const {
  Search s{pi_.dwProcessId, className, false, nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND SetupProcess::WaitForWindow(const char* className, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    Search s{pi_.dwProcessId, className, true, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

long SetupProcess::WaitForExit(DWORD timeoutMs) {
  if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return static_cast<long>(code);
}

std::string WindowText(HWND hwnd) {
  // WM_GETTEXT, not GetWindowText: only the message reaches the current text
  // of a control in another process.
  wchar_t buf[2048] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf), SMTO_BLOCK, 5000, &n);
  return wintest::N(buf);
}

int CountPixels(HWND hwnd, COLORREF color) {
  RECT r;
  GetClientRect(hwnd, &r);
  POINT o{0, 0};
  ClientToScreen(hwnd, &o);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.right;
  bi.bmiHeader.biHeight = -r.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, r.right, r.bottom, screen, o.x, o.y, SRCCOPY);
  GdiFlush();
  int n = 0;
  const auto* px = static_cast<const DWORD*>(bits);
  const DWORD want = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  for (int i = 0; i < r.right * r.bottom; ++i)
    if ((px[i] & 0xFFFFFF) == want) ++n;
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return n;
}

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, p.x, p.y);
  ReleaseDC(nullptr, dc);
  return c;
}

std::string MessageText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void MoveMouse(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  SetCursorPos(p.x, p.y);
  Sleep(150);
}

void Click(HWND hwnd, int x, int y) {
  MoveMouse(hwnd, x, y);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Sleep(50);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Sleep(250);
}

void PressKey(WORD vk, bool shift) {
  if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(static_cast<BYTE>(vk), 0, 0, 0);
  keybd_event(static_cast<BYTE>(vk), 0, KEYEVENTF_KEYUP, 0);
  if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  Sleep(250);
}

void ClickControl(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  Click(control, r.right / 2, r.bottom / 2);
}

HWND FocusOf(HWND hwnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info);
  return info.hwndFocus;
}

void Answer(HWND dialog, int id) {
  PressButton(dialog, id);
  for (int i = 0; i < 200 && IsWindow(dialog); ++i) Sleep(25);
}

bool IsChecked(HWND checkBox) { return SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::string> ListItems(HWND listBox) {
  std::vector<std::string> items;
  const LRESULT n = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    // The wide form: Wine passes only that one whole between processes.
    wchar_t wide[512] = {};
    SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    items.push_back(wintest::N(wide));
  }
  return items;
}

}  // namespace e2e
