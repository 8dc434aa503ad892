// The command table, and the init and check commands.
#include "packager/commands.hpp"

#include <filesystem>
#include <fstream>

#include "engine/setup_rec.hpp"
#include "packager/args.hpp"
#include "packager/install_names.hpp"
#include "packager/manifest.hpp"
#include "packager/package_check.hpp"
#include "packager/report.hpp"
#include "packager/safe_files.hpp"
#include "packager/script_writer.hpp"
#include "packager/sign.hpp"
#include "packager/single_file.hpp"

namespace qpack {

namespace {

const Command kCommands[] = {
    {"init", "write a starting setup.ini for the files of a folder", RunInitCommand},
    {"build", "make a ready-to-ship package directory from a folder", RunBuildCommand},
    {"check", "report what would break an installation of a package", RunCheckCommand},
    {"manifest", "write a package-manager manifest for a package",
     [](const Context&, const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err) { return RunManifestCommand(args, out, err); }},
    {"sign", "sign a package's setup.exe (Authenticode, through osslsigncode)",
     [](const Context&, const std::vector<std::string>& args, std::ostream& out,
        std::ostream& err) { return RunSignCommand(args, out, err); }},
};

const char* const kInitHelp =
    "usage: qpack init FOLDER [--name NAME] [--program PATH] [-o FILE] [--force]\n"
    "                  [--follow-links]\n"
    "Writes a starting setup script for the files under FOLDER (to FOLDER/setup.ini, or FILE):\n"
    "  AppName      NAME; else the name of the only .exe at FOLDER's top; else FOLDER's name\n"
    "  InstPath     <program files>\\AppName; FolderName AppName; OnDesktop 1\n"
    "  DiskSpace    the files' sizes, each rounded up to 4 KiB\n"
    "  Program      PATH; else the only .exe anywhere under FOLDER; else empty, with a note\n"
    "  FastInstall  1 where the paced road's unzip tool could not take some name\n"
    "  [FILES]      one per file, named by its path below FOLDER (sub\\file.txt), each value\n"
    "               ending in one extra '*', into the installation path (group Main); the\n"
    "               program first, with ShortCut Yes\n"
    "A setup.ini and license.txt at FOLDER's top are the package's own and not listed.\n"
    "Links, devices, FIFOs, sockets, unreadable files and files that setup could not install\n"
    "as named are left out, each with a warning; --follow-links lists links that lead to\n"
    "something inside FOLDER.\n"
    "An existing script is kept unless --force is given. Exit: 0 written, 1 failed, 2 usage.\n";

const std::string kCheckHelp = std::string(
    "usage: qpack check DIR|FILE [--program-files PATH] [--archive PATH] [--ca FILE]\n"
    "Reads the package in DIR (setup.exe, setup.ini, setup.dat, license.txt) as setup.exe\n"
    "reads it and prints one line per problem: FILE:LINE: SECTION KEY: error|warning: text.\n"
    "A single file (FILE, or the one in DIR) must hold every part as packed (their SHA-256);\n"
    "then the parts inside it are checked the same way.\n"
    "Errors break an installation: a missing or invalid AppName; a Program that is no path\n"
    "below the installation path, or that no FILES entry installs; FILES values without their\n"
    "extra last character; numbering gaps, missing or unknown keys; a group that no [GROUPS]\n"
    "entry names (other than Main); a member missing from setup.dat, damaged (its CRC or\n"
    "declared size, or data it shares with another entry) or there twice (letter case\n"
    "aside); two entries installing to one path; a name that climbs out of its folder\n"
    "(.., a drive, a root) or holds a character Windows forbids; an installed path beyond\n"
    "259 characters. On the paced road (interactive installs without FastInstall=1) also\n"
    "a name with [ (which the unzip tool reads as a pattern) and an unzip command line of\n"
    "256 characters or more.\n"
    "Warnings: an empty Program, members that nothing installs, ShortCut values other than\n"
    "Yes/No, non-ASCII names, no license.txt, keys written twice.\n"
    "A signed setup.exe must verify (osslsigncode), against the certificates in FILE when\n"
    "--ca is given, else the system's.\n"
    "Only regular files are read (never a FIFO or device), setup.ini up to 16 MiB, each\n"
    "member's data once; names are printed with control characters as \\xNN.\n"
    "Lengths are measured with <program files> as PATH (default \"C:\\Program Files (x86)\") and\n"
    "setup.dat at PATH (default a download folder of about a hundred characters:\n"
    "\"" +
    std::string(kDownloadArchive) +
    "\").\n"
    "Exit: 0 no errors (warnings at most), 1 errors, 2 usage.\n");

void Usage(std::ostream& os) {
  os << "usage: qpack COMMAND [ARGS]   (qpack COMMAND --help tells more)\n"
        "Makes and checks packages of the Quorvane setup program: setup.exe, setup.ini,\n"
        "setup.dat and license.txt in one directory.\n";
  for (const Command& c : kCommands) os << "  " << c.name << "\t" << c.summary << "\n";
}

}  // namespace

int RunQpack(const Context& context, const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err) {
  if (args.empty()) {
    Usage(err);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "help") {
    Usage(out);
    return kExitOk;
  }
  for (const Command& c : kCommands)
    if (args[0] == c.name) return c.run(context, {args.begin() + 1, args.end()}, out, err);
  err << "qpack: unknown command " << args[0] << "\n";
  Usage(err);
  return kExitUsage;
}

int RunInitCommand(const Context&, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err) {
  Args a;
  int code = 0;
  if (!ParseCommandArgs(args, {"-o", "--name", "--program"}, {"--force"}, 1, kInitHelp, out, err, a,
                        code))
    return code;
  const std::string folder = a.positional[0];
  const std::string target = a.Value("-o", folder + "/setup.ini");
  try {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(target, ec)) && !a.Has("--force")) {
      err << Printable(target) << ": error: exists; --force replaces it\n";
      return kExitProblems;
    }
    RefuseLink(target);  // even with --force
    const FolderListing listing = ListFolder(folder, a.Has("--follow-links"));
    std::vector<Skipped> skipped = listing.skipped;
    const std::vector<FolderFile> files = Installable(listing.files, skipped);
    const std::string appName = ChooseAppName(folder, files, a.Value("--name"));
    if (const std::string why = AppNameProblem(appName); !why.empty()) {
      err << Printable(appName) << ": error: " << why << "; name the application with --name\n";
      return kExitProblems;
    }
    const std::string script =
        MakeScript(appName, ChooseProgram(files, a.Value("--program")), files, skipped);
    for (const Skipped& s : skipped)
      err << Printable(folder + "/" + s.rel) << ": warning: " << s.why << ", not packed\n";
    WriteNewFile(target, script);
    out << "wrote " << Printable(target) << " for " << Printable(appName) << ": "
        << listing.files.size() - (skipped.size() - listing.skipped.size())
        << " files; edit it, then: qpack build " << Printable(folder) << " -o OUTDIR\n";
    return kExitOk;
  } catch (const std::exception& e) {
    err << Printable(e.what()) << "\n";
    return kExitProblems;
  }
}

int RunCheckCommand(const Context&, const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err) {
  Args a;
  int code = 0;
  if (!ParseCommandArgs(args, {"--program-files", "--archive", "--ca"}, {}, 1, kCheckHelp.c_str(),
                        out, err, a, code))
    return code;
  CheckOptions options;
  options.programFiles = a.Value("--program-files", options.programFiles);
  options.archive = a.Value("--archive", options.archive);
  const std::string ca = a.Value("--ca"), target = a.positional[0];
  options.verifySignature = [ca](const std::string& dir, std::vector<std::string>& problems) {
    return VerifySignatureIfAny(dir, problems, ca);
  };
  std::error_code ec;
  const bool isFile = std::filesystem::is_regular_file(target, ec);
  if (!isFile && !std::filesystem::is_directory(target, ec)) {
    err << Printable(target) << ": error: no such directory\n";
    return kExitProblems;
  }
  Report report;
  const std::string single = isFile ? target : FindSingleFile(target);
  if (single.empty()) {
    CheckPackage(target, options, report);
  } else {
    // The parts are checked where they are unpacked, the signature on the
    // file itself.
    const std::string name = std::filesystem::path(single).filename().string();
    try {
      NewDirectory parts((std::filesystem::temp_directory_path() / "qpack-check").string());
      UnpackSingleFile(single, parts.Path());
      options.verifySignature = [ca, single](const std::string&,
                                             std::vector<std::string>& problems) {
        return VerifyFileSignatureIfAny(single, problems, ca);
      };
      CheckPackage(parts.Path(), options, report);
    } catch (const std::exception& e) {
      report.Error(name, 0, "", Printable(e.what()));
    }
  }
  out << report.Text();
  return report.Count(Severity::Error) > 0 ? kExitProblems : kExitOk;
}

}  // namespace qpack
