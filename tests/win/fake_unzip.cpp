// Test helper standing in for the unzip tool: takes the tool's command line
// (-Coq "archive" "member"... -d"dir") and behaves as the archive's first word
// says: "grow" writes each member slowly for 1.5 s and ends well, "stall"
// writes a little and then hangs, "never" hangs without writing.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc < 5) return 10;
  const std::string archive = argv[2], dir = std::string(argv[argc - 1]).substr(2);
  char mode[8] = {};
  HANDLE a = CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  DWORD n = 0;
  ReadFile(a, mode, sizeof mode - 1, &n, nullptr);
  CloseHandle(a);
  const std::string m(mode, 5);
  if (m == "never") Sleep(60000);
  for (int k = 3; k < argc - 1; ++k) {  // the members, one after the other
    HANDLE out = CreateFileA((dir + "\\" + argv[k]).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                             nullptr, CREATE_ALWAYS, 0, nullptr);
    const char chunk[1024] = {'x'};
    for (int i = 0; i < 15; ++i) {
      WriteFile(out, chunk, sizeof chunk, &n, nullptr);
      FlushFileBuffers(out);
      if (m.compare(0, 5, "stall") == 0) Sleep(60000);
      Sleep(100);
    }
    CloseHandle(out);
  }
  return 0;
}
