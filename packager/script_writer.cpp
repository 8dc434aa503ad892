// Writing a starting setup.ini.
#include "packager/script_writer.hpp"

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace qpack {

namespace {

const char* const kEol = "\r\n";  // a Windows file

std::string Backslashed(std::string rel) {
  for (char& c : rel)
    if (c == '/') c = '\\';
  return rel;
}

std::string Stem(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == 0 || dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsProgram(const std::string& name) {
  return name.size() > 4 && SameTextAscii(name.substr(name.size() - 4), ".exe");
}

// Refuses names that setup.dat cannot hold apart.
void CheckDistinctNames(const std::string& folder, const std::vector<FolderFile>& files) {
  std::map<std::string, const FolderFile*> byName;
  for (const FolderFile& f : files) {
    auto [it, added] = byName.emplace(LowerAscii(BaseName(f.rel)), &f);
    if (!added && !SameContent(folder + "/" + it->second->rel, folder + "/" + f.rel))
      throw std::runtime_error(folder + "/" + f.rel + ": same name as " + it->second->rel +
                               " but other content; setup.dat holds files by name only");
  }
}

}  // namespace

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

std::string MakeScript(const std::string& folder, const std::string& appName,
                       const std::vector<FolderFile>& files) {
  CheckDistinctNames(folder, files);
  uint64_t space = 0;
  for (const FolderFile& f : files) space += (f.size + 4095) / 4096 * 4096;

  std::string s = std::string("; Setup script for ") + appName + ", made by qpack init." + kEol +
                  "; Every FILES value ends in one extra character (\"" + kFilesValueEnd +
                  "\"), which setup drops." + kEol + "[MAIN]" + kEol;
  s += "AppName=" + appName + kEol;
  s += "InstPath=<program files>\\" + appName + kEol;
  s += "FolderName=" + appName + kEol;
  s += "DiskSpace=" + std::to_string(space) + kEol;
  s += std::string("RunOnStart=0") + kEol + "OnDesktop=1" + kEol + "OnQuickLaunch=0" + kEol +
       "OnStartMenu=0" + kEol;

  s += std::string(kEol) + "[GROUPS]" + kEol;
  std::vector<std::string> groups;
  for (const FolderFile& f : files) {
    const std::string parent = ParentOf(f.rel);
    if (!parent.empty() && std::find(groups.begin(), groups.end(), parent) == groups.end())
      groups.push_back(parent);
  }
  for (size_t k = 0; k < groups.size(); ++k) {
    const std::string n = std::to_string(k);
    s += "Name" + n + "=" + Backslashed(groups[k]) + kEol;
    s += "Dir" + n + "=<application path>\\" + Backslashed(groups[k]) + kEol;
  }

  // The program first: its shortcut, named after the application, is the
  // one that the desktop and other shortcut options copy.
  const FolderFile* program = nullptr;
  for (const FolderFile& f : files)
    if (!program && SameTextAscii(f.rel, appName + ".exe")) program = &f;
  std::vector<const FolderFile*> order;
  if (program) order.push_back(program);
  for (const FolderFile& f : files)
    if (&f != program) order.push_back(&f);

  s += std::string(kEol) + "[FILES]" + kEol;
  const std::string end(1, kFilesValueEnd);
  for (size_t i = 0; i < order.size(); ++i) {
    const std::string n = std::to_string(i);
    const std::string name = BaseName(order[i]->rel);
    const std::string parent = ParentOf(order[i]->rel);
    const bool main = order[i] == program;
    s += "Name" + n + "=" + name + end + kEol;
    s += "Group" + n + "=" + (parent.empty() ? "Main" : Backslashed(parent)) + end + kEol;
    s += "ShortCut" + n + "=" + (main ? "Yes" : "No") + end + kEol;
    s += "Descritpion" + n + "=" + (main ? appName : Stem(name)) + end + kEol;
  }
  return s;
}

}  // namespace qpack
