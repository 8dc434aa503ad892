// Test probe for the packager: the check's signature hook alone, and how
// setup.exe reads a command line.
//   packager_probe verify DIR [CAFILE]
//   packager_probe switches LINE
#include <iostream>
#include <string>
#include <vector>

#include "packager/sign.hpp"
#include "setup/command_line.hpp"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const std::string command = args.empty() ? "" : args[0];
  if (!args.empty()) args.erase(args.begin());
  if (command == "verify" && !args.empty()) {
    std::vector<std::string> problems;
    const bool ok = VerifySignatureIfAny(args[0], problems, args.size() > 1 ? args[1] : "");
    for (const std::string& p : problems) std::cout << p << "\n";
    return ok ? 0 : 1;
  }
  if (command == "switches" && args.size() == 1) {
    const TRunSwitches sw = ParseSwitches("setup.exe " + args[0]);
    std::cout << "silent=" << sw.Silent << "\nprogress=" << sw.Progress
              << "\naccept=" << sw.AcceptLicense << "\npath=" << sw.Path << "\nlog=" << sw.LogFile
              << "\ncurrentuser=" << sw.CurrentUser << "\nerror=" << sw.Error << "\n";
    return 0;
  }
  std::cerr << "usage: packager_probe verify DIR [CAFILE] | switches LINE\n";
  return 2;
}
