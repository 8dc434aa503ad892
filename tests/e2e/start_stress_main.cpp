// Starts setup.exe many times, in install mode (the licence window, then
// Refuse) and in uninstall mode (the panel, then its close box), after a
// random pause of up to 5 s each, and counts starts that go wrong: a process
// that shows no window in 20 s (its threads' backtraces are saved first), one
// that ended without ever showing one, and one that does not end 15 s after
// it was told to. A rare start-up hang needs thousands of starts to be seen.
// Usage: start_stress SETUP_EXE WORKDIR N [SEED [FIRST]]
// (scripts/start_stress.sh runs it in fresh and warm Wine sessions).
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "tests/e2e/driver.hpp"
#include "tests/win/win_test_util.hpp"

namespace {

// Every thread of every process of the session, as winedbg sees them.
void SaveBacktraces(DWORD pid, const std::string& file) {
  const std::string commands = file + ".cmd";
  char attach[64];
  std::snprintf(attach, sizeof attach, "attach 0x%lx\n", pid);
  wintest::WriteFile(commands, std::string(attach) + "bt all\ndetach\nquit\n");
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out =
      CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = out;
  PROCESS_INFORMATION pi{};
  std::string cmd = "winedbg.exe --file \"" + commands + "\"";
  if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(out);
  DeleteFileA(commands.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: start_stress SETUP_EXE WORKDIR N [SEED [FIRST]]\n");
    return 2;
  }
  const std::string dir = argv[2], exe = dir + "\\setup.exe", tmp = dir + "\\tmp";
  const int n = std::atoi(argv[3]);
  std::mt19937 rng(argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 1u);
  const int first = argc > 5 ? std::atoi(argv[5]) : 1;
  CreateDirectoryA(dir.c_str(), nullptr);
  CreateDirectoryA(tmp.c_str(), nullptr);
  if (!CopyFileA(argv[1], exe.c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s to %s\n", argv[1], exe.c_str());
    return 2;
  }
  wintest::WriteFile(dir + "\\setup.ini",
                     "[MAIN]\r\nAppName=StressApp\r\nInstPath=C:\\StressApp\r\n"
                     "FolderName=StressApp\r\nDiskSpace=1000\r\n[GROUPS]\r\n[FILES]\r\n");
  wintest::WriteFile(dir + "\\license.txt", "Licence terms of the stress test.\r\n");
  int hangs = 0, ended = 0, lingering = 0;
  for (int i = first; i < first + n; ++i) {
    Sleep(std::uniform_int_distribution<DWORD>(0, 5000)(rng));
    const bool uninstall = rng() % 2 == 1;
    const char* mode = uninstall ? "uninstall" : "install";
    // Leaving scope terminates a process that is still running.
    e2e::SetupProcess setup(exe, uninstall ? "/u:StressApp" : "", tmp);
    const DWORD start = GetTickCount();
    HWND window = setup.WaitForWindow(uninstall ? "TForm1" : "TForm2", 20000);
    const std::string trace = dir + "\\backtrace-" + std::to_string(i) + ".txt";
    if (!window) {
      const long code = setup.WaitForExit(0);
      if (code == -1) {
        ++hangs;
        SaveBacktraces(setup.Pid(), trace);
        std::printf("start %d (%s): no window after 20 s, still running; backtraces: %s\n", i, mode,
                    trace.c_str());
      } else {
        ++ended;
        HWND box = setup.FindWindow("#32770");
        std::printf("start %d (%s): ended with code %ld without a window%s%s\n", i, mode, code,
                    box ? ", message: " : "", box ? e2e::MessageText(box).c_str() : "");
      }
      std::fflush(stdout);
      continue;
    }
    const DWORD shown = GetTickCount() - start;
    if (uninstall)
      PostMessageA(window, WM_CLOSE, 0, 0);
    else
      e2e::PressButton(window, IDCANCEL);  // Refuse
    if (setup.WaitForExit(15000) == -1) {
      ++lingering;
      SaveBacktraces(setup.Pid(), trace);
      std::printf("start %d (%s): still running 15 s after it was closed; backtraces: %s\n", i,
                  mode, trace.c_str());
    } else {
      std::printf("start %d (%s): window after %lu ms, ended\n", i, mode, shown);
    }
    std::fflush(stdout);
  }
  std::printf("starts: %d, hangs: %d, ended without a window: %d, not ending: %d\n", n, hangs,
              ended, lingering);
  return hangs + ended + lingering == 0 ? 0 : 1;
}
