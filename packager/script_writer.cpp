// Writing a starting setup.ini.
#include "packager/script_writer.hpp"

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "engine/file_names.hpp"
#include "engine/text_codes.hpp"
#include "engine/unzip_command.hpp"
#include "packager/install_names.hpp"

namespace qpack {

namespace {

const char* const kEol = "\r\n";  // a Windows file

std::string Stem(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == 0 || dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsProgram(const std::string& name) {
  return name.size() > 4 && SameTextAscii(name.substr(name.size() - 4), ".exe");
}

// Why setup could not install rel as named anywhere, or empty.
std::string Unfit(const std::string& rel) {
  const std::string name = Backslashed(rel);
  if (SameTextAscii(rel, "setup.exe") || SameTextAscii(rel, "setup.log"))
    return "setup keeps its own " + rel + " in the installation path";
  if (name[0] == ' ') return "begins with a blank, which setup's script reader drops";
  if (!IsValidUtf8(rel))
    return "is no UTF-8 (a name from another system's code page), so no Windows name carries it";
  if (rel.find('\\') != std::string::npos)
    return "holds \\, which Windows takes for a folder of its own";
  return NameProblem(name, false);
}

}  // namespace

std::vector<FolderFile> Installable(const std::vector<FolderFile>& files,
                                    std::vector<Skipped>& skipped) {
  std::vector<FolderFile> kept;
  std::map<std::string, std::string> byPath;   // Windows tells paths apart without letter case
  std::map<std::string, std::string> folders;  // every folder some file needs, by folded case
  for (const FolderFile& f : files)
    for (size_t sep = f.rel.rfind('/'); sep != std::string::npos && sep > 0;
         sep = f.rel.rfind('/', sep - 1))
      folders.emplace(FoldCase(f.rel.substr(0, sep)), f.rel);
  for (const FolderFile& f : files) {
    std::string why = Unfit(f.rel);
    if (const auto it = folders.find(FoldCase(f.rel)); why.empty() && it != folders.end())
      why = "a file where " + it->second + " needs a folder on Windows";
    if (why.empty())
      if (const auto [it, added] = byPath.emplace(FoldCase(f.rel), f.rel); !added)
        why = "the same path as " + it->second + " on Windows";
    if (why.empty())
      kept.push_back(f);
    else
      skipped.push_back({f.rel, why});
  }
  return kept;
}

std::string ChooseAppName(const std::string& folder, const std::vector<FolderFile>& files,
                          const std::string& name) {
  if (!name.empty()) return name;
  std::string program;
  int programs = 0;
  for (const FolderFile& f : files)
    if (f.rel.find('/') == std::string::npos && IsProgram(f.rel)) {
      program = Stem(f.rel);
      ++programs;
    }
  if (programs == 1) return program;
  std::filesystem::path p = std::filesystem::absolute(folder).lexically_normal();
  if (p.filename().empty()) p = p.parent_path();  // "folder/" names folder too
  return p.filename().string();
}

std::string ChooseProgram(const std::vector<FolderFile>& files, const std::string& program) {
  if (!program.empty()) {
    std::string rel = program;
    for (char& c : rel)
      if (c == '\\') c = '/';
    for (const FolderFile& f : files)
      if (SameTextAscii(f.rel, rel)) return f.rel;
    throw std::runtime_error(program + ": no such file in the folder");
  }
  std::string found;
  for (const FolderFile& f : files)
    if (IsProgram(BaseName(f.rel))) {
      if (!found.empty()) return "";  // which one cannot be told
      found = f.rel;
    }
  return found;
}

std::string MakeScript(const std::string& appName, const std::string& program,
                       const std::vector<FolderFile>& files, std::vector<Skipped>& skipped) {
  const std::string dir = std::string(kProgramFiles) + "\\" + appName;
  std::vector<const FolderFile*> order;
  uint64_t space = 0;
  bool toolCannot = false;
  std::string kept;  // the program, once it is packed
  for (const FolderFile& f : files) {
    if (const size_t length = dir.size() + 1 + f.rel.size(); length > kMaxInstalledPath) {
      skipped.push_back(
          {f.rel, "its path would take " + std::to_string(length) + " characters below " + dir +
                      "; Windows programs open at most " + std::to_string(kMaxInstalledPath)});
      continue;
    }
    // The program first: its shortcut, named after the application, is the
    // one that the desktop and other shortcut options copy.
    if (f.rel == program) {
      kept = program;
      order.insert(order.begin(), &f);
    } else {
      order.push_back(&f);
    }
    space += (f.size + 4095) / 4096 * 4096;
    const std::string name = Backslashed(f.rel);
    toolCannot =
        toolCannot || name.find('[') != std::string::npos ||
        UnzipParameters(kDownloadArchive, MemberName(name), dir).size() >= kUnzipParametersLimit;
  }

  std::string s = "; Setup script for " + appName + ", made by qpack init." + kEol +
                  "; Every FILES value ends in one extra character (\"" + kFilesValueEnd +
                  "\"), which setup drops." + kEol + "[MAIN]" + kEol;
  s += "AppName=" + appName + kEol;
  s += "InstPath=<program files>\\" + appName + kEol;
  s += "FolderName=" + appName + kEol;
  s += "DiskSpace=" + std::to_string(space) + kEol;
  if (kept.empty())
    s += std::string("; No program could be told apart (none, or several .exe files): name the") +
         kEol + "; one to start at the end below the installation path, such as bin\\app.exe." +
         kEol;
  else
    s += std::string("; The program started at the end, below the installation path.") + kEol;
  s += "Program=" + Backslashed(kept) + kEol;
  s += std::string("RunOnStart=0") + kEol + "OnDesktop=" + (kept.empty() ? "0" : "1") + kEol +
       "OnQuickLaunch=0" + kEol + "OnStartMenu=0" + kEol;
  if (toolCannot)
    s += std::string("; Some names are beyond the unzip tool of the paced road: every install") +
         kEol + "; extracts in-process." + kEol + "FastInstall=1" + kEol;

  s += std::string(kEol) + "[GROUPS]" + kEol +
       "; A group names a directory outside the installation path for files that must" + kEol +
       "; go there: Name0 Fonts with Dir0 <windir>\\Fonts, and Group<n> Fonts in [FILES]." + kEol;

  s += std::string(kEol) + "[FILES]" + kEol;
  const std::string end(1, kFilesValueEnd);
  for (size_t i = 0; i < order.size(); ++i) {
    const std::string n = std::to_string(i);
    const bool main = !kept.empty() && order[i]->rel == kept;
    s += "Name" + n + "=" + Backslashed(order[i]->rel) + end + kEol;
    s += "Group" + n + "=Main" + end + kEol;
    s += "ShortCut" + n + "=" + (main ? "Yes" : "No") + end + kEol;
    s += "Descritpion" + n + "=" + (main ? appName : Stem(BaseName(order[i]->rel))) + end + kEol;
  }
  // Text beyond ASCII is UTF-8, and says so: setup reads a script without
  // the mark in the end user's ANSI code page.
  const bool ascii =
      std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return ascii ? s : "\xEF\xBB\xBF" + s;
}

}  // namespace qpack
