// Running outside tools.
#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#endif

#include "packager/run_tool.hpp"

std::string QuoteWindowsArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  // Backslashes count only before a quote: double them there.
  std::string out = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
    } else {
      out.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
      slashes = 0;
    }
    if (c != '\\') out += c;
  }
  out.append(2 * slashes, '\\');
  return out + "\"";
}

#ifdef _WIN32

ToolResult RunTool(const std::vector<std::string>& argv) {
  ToolResult result;
  std::string line;
  for (const std::string& a : argv) line += (line.empty() ? "" : " ") + QuoteWindowsArgument(a);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  // The line is UTF-8 inside; the system takes it wide.
  std::wstring wide(line.size() + 1, L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, line.data(),
                                                      static_cast<int>(line.size()), wide.data(),
                                                      static_cast<int>(wide.size()))));
  wide.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi{};
  const BOOL ok = CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                 nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (ok) {
    result.started = true;
    char buf[4096];
    DWORD n;
    while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n > 0) result.output.append(buf, n);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    result.exitCode = static_cast<int>(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(readEnd);
  return result;
}

#else

extern char** environ;

ToolResult RunTool(const std::vector<std::string>& argv) {
  ToolResult result;
  int fds[2];
  if (argv.empty() || pipe(fds) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc == 0) {
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
      if (n > 0) result.output.append(buf, static_cast<size_t>(n));
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // A program that exec could not find ends with 127 from the child.
    result.started = !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  close(fds[0]);
  return result;
}

#endif
