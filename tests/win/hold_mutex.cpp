// Test helper: holds a named mutex, as an installed application does while
// it runs. Usage: hold_mutex NAME MILLISECONDS
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HANDLE h = CreateMutexA(nullptr, FALSE, argv[1]);
  if (!h) return 1;
  Sleep(static_cast<DWORD>(std::atoi(argv[2])));
  CloseHandle(h);
  return 0;
}
