// qpack's commands: a table of names and functions, and the dispatcher
// that main calls. Portable.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qpack {

// What a command may need to know about the tool itself.
struct Context {
  // Where to look for the setup.exe to ship when --setup is not given.
  std::vector<std::string> setupCandidates;
};

using CommandFunction = int (*)(const Context&, const std::vector<std::string>& args,
                                std::ostream& out, std::ostream& err);

struct Command {
  const char* name;
  const char* summary;
  CommandFunction run;
};

// Exit codes: 0 done (warnings at most), 1 errors found or the job failed,
// 2 bad command line.
constexpr int kExitOk = 0;
constexpr int kExitProblems = 1;
constexpr int kExitUsage = 2;

// args are everything after the program's name.
int RunQpack(const Context& context, const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err);

// The commands, each given the arguments after its name.
int RunInitCommand(const Context&, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);
int RunBuildCommand(const Context&, const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err);
int RunCheckCommand(const Context&, const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err);

}  // namespace qpack
