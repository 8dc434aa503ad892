// Command-line splitting and mode choice.
#include "setup/command_line.hpp"

#include "engine/run_codes.hpp"

namespace {

size_t SkipBlanks(const std::string& line, size_t i) {
  while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
  return i;
}

// Where the argument that starts at i ends; its text, quotes dropped, goes
// to arg when given.
size_t ArgumentEnd(const std::string& line, size_t i, std::string* arg = nullptr) {
  bool quoted = false;
  for (; i < line.size() && (quoted || static_cast<unsigned char>(line[i]) > ' '); ++i) {
    if (line[i] == '"')
      quoted = !quoted;
    else if (arg)
      *arg += line[i];
  }
  return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  for (size_t i = SkipBlanks(commandLine, 0); i < commandLine.size();
       i = SkipBlanks(commandLine, i)) {
    std::string arg;
    i = ArgumentEnd(commandLine, i, &arg);
    args.push_back(arg);
  }
  return args;
}

bool IsHelpRequest(const std::string& commandLine) {
  const std::vector<std::string> args = SplitCommandLine(commandLine);
  return args.size() == 2 && (args[1] == "/?" || args[1] == "--help");
}

std::string UsageText() {
  const auto plain = [](std::string text) {
    std::string out;
    for (const char c : text)
      if (c != '`') out += c;
    return out;
  };
  std::string text =
      "setup.exe [/S | /SP] [switches] [/D=path]\r\nsetup.exe /u:Name [/S | /SP] "
      "[/LOG=file]\r\n\r\n";
  for (const SwitchRow& row : kSwitches)
    text += std::string(row.shown) + "\t" + plain(row.meaning) + "\r\n";
  text += "\r\nExit codes of unattended runs:\r\n";
  for (const ExitCodeRow& row : kExitCodes)
    text += std::to_string(row.code) + "\t" + plain(row.meaning) + "\r\n";
  return text;
}

std::string ElevatedArguments(const std::string& commandLine) {
  const size_t rest = SkipBlanks(commandLine, ArgumentEnd(commandLine, SkipBlanks(commandLine, 0)));
  std::string name;
  if (!IsUninstallArgument(SplitCommandLine(commandLine), name))
    return "/ELEVATED " + commandLine.substr(rest);
  const size_t end = ArgumentEnd(commandLine, rest);
  return commandLine.substr(rest, end - rest) + " /ELEVATED" + commandLine.substr(end);
}

bool IsUninstallArgument(const std::vector<std::string>& args, std::string& name) {
  name.clear();
  if (args.size() < 2 || args[1].compare(0, 3, "/u:") != 0) return false;
  name = args[1].substr(3);
  return true;
}

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// Where " /D=" starts (any case), or npos. A launcher may have quoted it
// whole ("/D=C:\\Some Dir"): then the quote is part of it.
size_t FindPathSwitch(const std::string& line) {
  const std::string upper = Upper(line);
  size_t at = upper.find(" /D=");
  if (at == std::string::npos) at = upper.find(" \"/D=");
  return at == std::string::npos ? at : at + 1;
}

bool SetShortcuts(TRunSwitches& sw, const std::string& list) {
  sw.HasShortcuts = true;
  if (Upper(list) == "NONE") return true;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string item = Upper(list.substr(start, end - start));
    if (item == "STARTUP")
      sw.StartUp = true;
    else if (item == "DESKTOP")
      sw.Desktop = true;
    else if (item == "SENDTO")
      sw.SendTo = true;
    else if (item == "QUICKLAUNCH")
      sw.QuickLaunch = true;
    else
      return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

TRunSwitches ParseSwitches(const std::string& commandLine) {
  TRunSwitches sw;
  std::string line = commandLine;
  if (const size_t d = FindPathSwitch(line); d != std::string::npos) {
    const bool quoted = line[d] == '"';
    sw.Path = line.substr(d + (quoted ? 4 : 3));
    // A blank and a slash start no part of a real path: a switch was put
    // after /D=. It is still read (so /S keeps the run windowless), and the
    // run is refused rather than installed under "C:\App /S".
    std::string misplaced;
    if (const size_t s = sw.Path.find(" /"); s != std::string::npos) {
      misplaced = sw.Path.substr(s);
      sw.Path.resize(s);
    }
    while (!sw.Path.empty() && static_cast<unsigned char>(sw.Path.back()) <= ' ')
      sw.Path.pop_back();
    if (quoted && !sw.Path.empty() && sw.Path.back() == '"') sw.Path.pop_back();
    // /D="C:\Some Dir" is a common habit; a quote is never part of a path,
    // and left in, it would be measured as a drive without free space.
    if (!quoted && sw.Path.size() >= 2 && sw.Path.front() == '"' && sw.Path.back() == '"')
      sw.Path = sw.Path.substr(1, sw.Path.size() - 2);
    line.resize(d);
    line += misplaced;
    if (sw.Path.empty()) sw.Error = "/D= names no path";
    if (sw.Path.find('"') != std::string::npos) sw.Error = "/D= path holds a quote";
    if (!misplaced.empty()) sw.Error = "/D= must come last";
  }
  const std::vector<std::string> args = SplitCommandLine(line);
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.empty() || arg[0] != '/' || arg.compare(0, 3, "/u:") == 0 ||
        arg.compare(0, 3, "/U:") == 0)
      continue;
    const size_t eq = arg.find('=');
    const std::string name = Upper(arg.substr(0, eq));
    const std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
    const bool hasValue = eq != std::string::npos;
    const SwitchRow* row = FindSwitch(name);
    bool ok = row && row->takesValue == hasValue && row->id != Switch::Path;
    if (ok) {
      switch (row->id) {
        case Switch::Silent:
          sw.Silent = true;
          break;
        case Switch::Progress:
          sw.Progress = true;
          break;
        case Switch::AllUsers:
          sw.AllUsers = true;
          break;
        case Switch::CurrentUser:
          sw.CurrentUser = true;
          break;
        case Switch::Elevated:
          sw.Elevated = true;
          break;
        case Switch::Launch:
          sw.Launch = true;
          break;
        case Switch::NoLaunch:
          sw.NoLaunch = true;
          break;
        case Switch::AcceptLicense:
          sw.AcceptLicense = true;
          break;
        case Switch::Folder:
          ok = !value.empty();
          sw.HasFolder = ok, sw.Folder = value;
          break;
        case Switch::Log:
          ok = !value.empty();
          sw.LogFile = value;
          break;
        case Switch::Shortcuts:
          ok = SetShortcuts(sw, value);
          break;
        case Switch::Path:  // taken off the line above: it comes last
          break;
      }
    }
    if (!ok && sw.Error.empty()) sw.Error = "Unknown switch: " + arg;
  }
  if (sw.Silent && sw.Progress && sw.Error.empty()) sw.Error = "/S and /SP exclude each other";
  if (sw.AllUsers && sw.CurrentUser && sw.Error.empty())
    sw.Error = "/ALLUSERS and /CURRENTUSER exclude each other";
  return sw;
}
