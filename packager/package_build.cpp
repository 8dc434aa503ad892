// The build command: a folder and its script to a ready-to-ship directory.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/file_names.hpp"
#include "engine/setup_rec.hpp"
#include "engine/text_codes.hpp"
#include "packager/args.hpp"
#include "packager/commands.hpp"
#include "packager/package_check.hpp"
#include "packager/safe_files.hpp"
#include "packager/script_writer.hpp"
#include "packager/single_file.hpp"
#include "packager/zip_archive.hpp"
#include "setup/ini_file.hpp"

namespace fs = std::filesystem;

namespace qpack {

namespace {

const char* const kBuildHelp =
    "usage: qpack build FOLDER -o OUTDIR [--script FILE] [--setup SETUP_EXE] [--name NAME]\n"
    "                   [--program PATH] [--single] [--follow-links] [--force]\n"
    "Makes the package in OUTDIR: setup.exe, setup.ini, setup.dat and, when FOLDER has one at\n"
    "its top, license.txt; then checks it as 'qpack check OUTDIR' does. With --single, OUTDIR\n"
    "gets one file instead, <AppName>-<Version>-setup.exe (<AppName>-setup.exe without a\n"
    "Version): the program with the other three inside it, checked the same way; the same\n"
    "input gives the same bytes.\n"
    "  setup.ini  FILE, else FOLDER/setup.ini, else one made as 'qpack init' makes it (with\n"
    "             NAME and PATH)\n"
    "  setup.dat  one member per file the script lists, named as the script names it,\n"
    "             deflated; sorted and dated 1980-01-01, so the same input gives the same bytes\n"
    "  setup.exe  SETUP_EXE, else the setup.exe beside qpack (in a build tree also\n"
    "             ../win/setup.exe, the 32-bit program)\n"
    "A file entry's file is FOLDER/<group's Dir after <application path>>/<Name> (a Name may\n"
    "hold folders: sub\\file.txt), else, for a bare Name, the only file of that name anywhere\n"
    "under FOLDER.\n"
    "Links, devices, FIFOs, sockets and unreadable files in FOLDER are errors and never read;\n"
    "--follow-links packs links that lead to something inside FOLDER. OUTDIR must be new,\n"
    "empty or hold an earlier package (setup.exe, setup.ini, setup.dat, license.txt or single\n"
    "files, nothing else), which is replaced; --force builds into any directory. Every file is\n"
    "written fresh and renamed into place, never through a link. Scripts are read up to\n"
    "16 MiB.\n"
    "Exit: 0 built without errors, 1 not built or the check found errors, 2 usage or an\n"
    "OUTDIR that holds files of its own.\n";

// Whether path is dir or lies below it. Asked of the file system, since
// names alone differ in letter case on Windows, in links and in short names.
bool IsWithin(const std::string& path, const std::string& dir) {
  std::error_code ec;
  fs::path start = fs::weakly_canonical(path, ec);
  if (ec) start = fs::absolute(path, ec).lexically_normal();
  for (fs::path p = start;; p = p.parent_path()) {
    if (fs::exists(p, ec) && fs::equivalent(p, dir, ec)) return true;
    if (p == p.parent_path()) return false;
  }
}

// The files of a package: what build writes, and what an earlier package
// in the output directory may hold.
const char* const kPackageFiles[] = {"setup.exe", "setup.ini", "setup.dat", "license.txt"};

// The first entry of dir that an earlier package of ours would not hold, or
// empty: build replaces an earlier package, never anything else. A package
// has at least setup.exe, setup.ini and setup.dat, as regular files.
std::string ForeignEntry(const std::string& dir) {
  std::error_code ec;
  if (!fs::exists(dir, ec)) return "";
  if (!fs::is_directory(dir, ec)) return dir + " itself (no directory)";
  size_t ours = 0;
  std::string first;
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    const bool known =
        std::find_if(std::begin(kPackageFiles), std::end(kPackageFiles),
                     [&](const char* p) { return name == p; }) != std::end(kPackageFiles);
    if (!e.is_symlink(ec) && e.is_regular_file(ec) && !known &&
        IsIntactSingleFile(e.path().string()))
      continue;  // an earlier single file
    if (!known || e.is_symlink(ec) || !e.is_regular_file(ec)) return name;
    if (name != "license.txt") ++ours;
    if (first.empty()) first = name;
  }
  if (ec) return "entries that cannot be listed";
  return first.empty() || ours == 3 ? "" : first + " without the rest of a package";
}

std::string Slashed(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

class Builder {
 public:
  Builder(const Context& context, const Args& args, std::ostream& out, std::ostream& err)
      : ctx_(context), args_(args), out_(out), err_(err) {}

  int Run() {
    folder_ = args_.positional[0];
    outDir_ = args_.Value("-o");
    if (IsWithin(outDir_, folder_)) {
      err_ << Printable(outDir_) << ": error: inside " << Printable(folder_)
           << ", whose files the package takes\n";
      return kExitUsage;
    }
    if (const std::string foreign = ForeignEntry(outDir_);
        !foreign.empty() && !args_.Has("--force")) {
      err_ << Printable(outDir_) << ": error: holds " << Printable(foreign)
           << ", which no earlier package of qpack's holds; qpack replaces nothing it did not "
              "make (--force builds there anyway)\n";
      return kExitUsage;
    }
    FolderListing listing = ListFolder(folder_, args_.Has("--follow-links"));
    files_ = std::move(listing.files);
    // Nothing from outside the folder, and nothing that is no plain file.
    for (const Skipped& s : listing.skipped)
      report_.Error(folder_ + "/" + s.rel, 0, "", s.why + ", not packed");
    for (const FolderFile& f : files_) byPath_[FoldCase(f.rel)] = &f;
    const std::string setupExe = FindSetupExe();
    script_ = ReadScript();
    TIniFile ini(script_);
    LoadSetupRec(rec_, ini);
    std::vector<ZipSource> members = Members(ini);
    if (report_.Count(Severity::Error) > 0 || setupExe.empty()) {
      out_ << report_.Text();
      err_ << "qpack: " << Printable(outDir_) << " not built\n";
      return kExitProblems;
    }
    std::sort(members.begin(), members.end(),
              [](const ZipSource& a, const ZipSource& b) { return a.member < b.member; });
    fs::create_directories(outDir_);
    if (!args_.Has("--single")) {
      WritePackage(outDir_, setupExe, members);
      RemoveEarlierSingleFiles("");  // it would ship beside the four files
      CheckPackage(outDir_, CheckOptions{}, report_);
      out_ << report_.Text();
      out_ << "built " << Printable(outDir_) << ": " << members.size() << " members in setup.dat ("
           << fs::file_size(outDir_ + "/setup.dat") << " bytes)\n";
      return report_.Count(Severity::Error) > 0 ? kExitProblems : kExitOk;
    }
    // The four files are made and checked in a directory of our own, then
    // go into the one file.
    const std::string single = outDir_ + "/" + SingleFileName(rec_.AppName, rec_.Version);
    NewDirectory stage(single);
    WritePackage(stage.Path(), setupExe, members);
    CheckPackage(stage.Path(), CheckOptions{}, report_);
    out_ << report_.Text();
    if (report_.Count(Severity::Error) > 0) {
      err_ << "qpack: " << Printable(single) << " not built\n";
      return kExitProblems;
    }
    WriteSingleFile(setupExe, stage.Path(), single);
    std::error_code ec;
    for (const char* name : kPackageFiles) fs::remove(outDir_ + "/" + name, ec);  // earlier ones
    RemoveEarlierSingleFiles(single);
    out_ << "built " << Printable(single) << ": " << members.size() << " members, "
         << fs::file_size(single) << " bytes\n";
    return kExitOk;
  }

 private:
  void WritePackage(const std::string& dir, const std::string& setupExe,
                    const std::vector<ZipSource>& members) {
    // Every file is written fresh and renamed into place: never through a link.
    for (const char* name : kPackageFiles) RefuseLink(dir + "/" + name);
    WriteZip(dir + "/setup.dat", members);
    WriteNewFile(dir + "/setup.ini", script_);
    CopyNewFile(setupExe, dir + "/setup.exe");
    if (IsFile(folder_ + "/license.txt")) {
      CopyNewFile(folder_ + "/license.txt", dir + "/license.txt");
    } else {
      std::error_code ec;
      fs::remove(dir + "/license.txt", ec);  // the earlier package's
    }
  }

  // An earlier build's single file of this application goes (its version
  // may have been another), all but keep: named as build names it, and
  // carrying a package.
  void RemoveEarlierSingleFiles(const std::string& keep) {
    std::error_code ec;
    std::vector<fs::path> earlier;
    const std::string stem = rec_.AppName + "-", end = "-setup.exe";
    for (const fs::directory_entry& e : fs::directory_iterator(outDir_, ec)) {
      const std::string name = e.path().filename().string();
      const bool ours =
          name == rec_.AppName + end ||
          (name.size() > stem.size() + end.size() && name.compare(0, stem.size(), stem) == 0 &&
           name.compare(name.size() - end.size(), end.size(), end) == 0);
      // Another application's name may begin with this one's ("App-Pro").
      if (ours && !e.is_symlink(ec) && e.is_regular_file(ec) && e.path().string() != keep &&
          CarriedAppName(e.path().string()) == rec_.AppName)
        earlier.push_back(e.path());
    }
    for (const fs::path& p : earlier) fs::remove(p, ec);
  }

  std::string FindSetupExe() {
    std::vector<std::string> candidates = ctx_.setupCandidates;
    if (!args_.Value("--setup").empty()) candidates = {args_.Value("--setup")};
    for (const std::string& c : candidates)
      if (IsFile(c)) return c;
    std::string tried;
    for (const std::string& c : candidates) tried += " " + c;
    report_.Error("setup.exe", 0, "", "not found (tried" + tried + "); name it with --setup");
    return "";
  }

  std::string ReadScript() {
    if (!args_.Value("--script").empty())
      return ReadRegularFile(args_.Value("--script"), kMaxScriptBytes);
    if (IsFile(folder_ + "/setup.ini"))
      return ReadRegularFile(folder_ + "/setup.ini", kMaxScriptBytes);
    out_ << folder_ << "/setup.ini: none; using one made as 'qpack init' makes it\n";
    std::vector<Skipped> skipped;
    const std::vector<FolderFile> files = Installable(files_, skipped);
    const std::string script =
        MakeScript(ChooseAppName(folder_, files, args_.Value("--name")),
                   ChooseProgram(files, args_.Value("--program")), files, skipped);
    for (const Skipped& s : skipped)
      report_.Warning(folder_ + "/" + s.rel, 0, "", s.why + ", not packed");
    return script;
  }

  // The folder-relative path where entry n's file should lie.
  std::string ExpectedPath(const std::string& name, const std::string& group) const {
    for (size_t k = 0; k < rec_.GroupCount(); ++k) {
      if (rec_.Groups.Get("Name" + std::to_string(k)) != group) continue;
      const std::string dir = rec_.Groups.Get("Dir" + std::to_string(k));
      const std::string macro = "<application path>";
      if (dir.compare(0, macro.size(), macro) != 0) return "";
      std::string sub = Slashed(dir.substr(macro.size()));
      sub.erase(0, sub.find_first_not_of('/'));
      while (!sub.empty() && sub.back() == '/') sub.pop_back();
      return sub.empty() ? Slashed(name) : sub + "/" + Slashed(name);
    }
    return Slashed(name);  // Main, or no group: the installation path itself
  }

  const FolderFile* Locate(const std::string& name, const std::string& group) const {
    const std::string expected = ExpectedPath(name, group);
    if (const auto it = byPath_.find(FoldCase(expected)); !expected.empty() && it != byPath_.end())
      return it->second;
    if (HasFolderPart(name)) return nullptr;  // a path says where the file is
    const FolderFile* found = nullptr;
    for (const FolderFile& f : files_)
      if (SameTextAscii(BaseName(f.rel), name)) {
        if (found) return nullptr;  // which one is meant cannot be told
        found = &f;
      }
    return found;
  }

  std::vector<ZipSource> Members(const TIniFile& ini) {
    std::map<std::string, std::pair<ZipSource, size_t>> members;  // by lower-case name
    std::map<const FolderFile*, bool> used;
    for (size_t n = 0; n < rec_.FileCount(); ++n) {
      const std::string num = std::to_string(n);
      const std::string value = rec_.Files.Get("Name" + num);
      // Empty names and names that climb out are the check's to report.
      const std::string name = HasFolderPart(value) ? RelativePath(value) : value;
      if (name.empty()) continue;
      const std::vector<size_t> lines = ini.LinesOf("FILES", "Name" + num);
      const size_t line = lines.empty() ? 0 : lines.front();
      const FolderFile* file = Locate(name, rec_.Files.Get("Group" + num));
      if (!file) {
        report_.Error(
            "setup.ini", line, "FILES Name" + num,
            "no file " + name + " in " + folder_ + " (nor one only of that name below it)");
        continue;
      }
      used[file] = true;
      const ZipSource source{MemberName(name), folder_ + "/" + file->rel};
      const auto [it, added] = members.emplace(FoldCase(source.member), std::make_pair(source, n));
      if (!added && !SameContent(it->second.first.path, source.path))
        report_.Error("setup.ini", line, "FILES Name" + num,
                      "names the same member as Name" + std::to_string(it->second.second) +
                          " but another file (" + file->rel + ")");
    }
    for (const FolderFile& f : files_)
      if (!used.count(&f))
        report_.Warning(folder_ + "/" + f.rel, 0, "",
                        "no FILES entry takes this file: not packaged");
    std::vector<ZipSource> list;
    for (const auto& [lower, entry] : members) list.push_back(entry.first);
    return list;
  }

  const Context& ctx_;
  const Args& args_;
  std::ostream& out_;
  std::ostream& err_;
  std::string folder_, outDir_, script_;
  std::vector<FolderFile> files_;
  std::map<std::string, const FolderFile*> byPath_;
  TSetupRec rec_;
  Report report_;
};

}  // namespace

int RunBuildCommand(const Context& context, const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err) {
  Args a;
  int code = 0;
  if (!ParseCommandArgs(args, {"-o", "--script", "--setup", "--name", "--program"},
                        {"--force", "--follow-links", "--single"}, 1, kBuildHelp, out, err, a,
                        code))
    return code;
  if (a.Value("-o").empty()) {
    err << kBuildHelp;
    return kExitUsage;
  }
  try {
    return Builder(context, a, out, err).Run();
  } catch (const std::exception& e) {
    err << "qpack: " << Printable(e.what()) << "\n";
    return kExitProblems;
  }
}

}  // namespace qpack
