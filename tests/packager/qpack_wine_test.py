#!/usr/bin/env python3
"""qpack's Windows build and its packages under Wine.

  same_output    qpack.exe checks a good and a bad package with the native
                 tool's findings and exit codes, and builds the same setup.dat
  round_trip     a built package installs with setup.exe /S, every file where
                 the folder has it, and uninstalls again
  unzip_members  the carried unzip tool extracts every member of setup.dat
  real_tree      a tree as applications come (same names in several folders,
                 the program in bin\, a name beyond the unzip tool's command
                 line) packs with init and build, installs with /S and goes
  nsis_tree      Debian's NSIS data folder (333 files, 27 names twice) packs
                 without an error and installs byte for byte
"""
import argparse
import os
import random
import shutil
import struct
import subprocess
import sys


def run(cmd, **kw):
    r = subprocess.run(cmd, capture_output=True, **kw)
    return r.returncode, r.stdout.decode("latin-1").replace("\r", "")


def winpath(path):
    # The prefix maps Z: to the root of the Linux tree.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def make_folder(folder, app):
    """A small application: its program, a nested tree, an empty file, and
    bytes that deflate well and badly."""
    rng = random.Random(7)
    files = {
        app + ".exe": b"MZ" + bytes(rng.randrange(256) for _ in range(300000)),
        "Docs/readme.txt": b"read me\r\n" * 500,
        "Docs/api/index.html": b"<html><body>index</body></html>",
        "Data/empty.dat": b"",
        "Data/table.bin": bytes(range(256)) * 64,
    }
    shutil.rmtree(folder, ignore_errors=True)
    for rel, data in files.items():
        os.makedirs(os.path.dirname(os.path.join(folder, rel)), exist_ok=True)
        with open(os.path.join(folder, rel), "wb") as f:
            f.write(data)
    with open(os.path.join(folder, "license.txt"), "w") as f:
        f.write("terms")
    return files


class Tools:
    def __init__(self, a):
        self.a = a
        os.makedirs(a.work, exist_ok=True)
        self.drive_c = a.drive_c

    def native(self, *args):
        return run([self.a.native, *args])

    def wine(self, exe, *args):
        return run([self.a.wineenv, "wine", exe, *args])

    def build(self, folder, out):
        code, text = self.native("build", folder, "-o", out, "--setup", self.a.setup)
        assert code == 0, text


def same_output(t):
    folder = os.path.join(t.a.work, "same")
    make_folder(folder, "Same")
    good = os.path.join(t.a.work, "same-good")
    t.build(folder, good)
    bad = os.path.join(t.a.work, "same-bad")
    shutil.rmtree(bad, ignore_errors=True)
    shutil.copytree(good, bad)
    os.remove(os.path.join(bad, "license.txt"))
    with open(os.path.join(bad, "setup.ini"), "rb") as f:
        script = f.read()
    script = script.replace(b"Name1=", b"Name7=").replace(b"Group0=Main*", b"Group0=Nowhere*")
    script = script.replace(b"DiskSpace=", b"DiskSpace=1").replace(b"ShortCut2=No*", b"ShortCut2=No")
    with open(os.path.join(bad, "setup.ini"), "wb") as f:
        f.write(script)
    for pkg, expected_code in ((good, 0), (bad, 1)):
        native = t.native("check", pkg)
        windows = t.wine(t.a.windows, "check", pkg)
        assert native[0] == expected_code, native
        assert windows == native, "native:\n%s\nwindows:\n%s" % (native[1], windows[1])
    assert native[1].count("error:") >= 4, native[1]
    # The same input gives the same bytes on either platform.
    wout = os.path.join(t.a.work, "same-windows")
    code, text = t.wine(t.a.windows, "build", folder, "-o", wout, "--setup", t.a.setup)
    assert code == 0, text
    for name in ("setup.dat", "setup.ini"):
        with open(os.path.join(good, name), "rb") as a, open(os.path.join(wout, name), "rb") as b:
            assert a.read() == b.read(), name + " differs between the two builds"
    # An output directory inside the folder is refused however it is spelled
    # (on Windows, letter case does not tell two names apart).
    inside = winpath(folder).upper() + "\\OUT"
    code, text = t.wine(t.a.windows, "build", folder, "-o", inside, "--setup", t.a.setup)
    assert code == 2, "build -o %s: exit %d %s" % (inside, code, text)
    assert not os.path.exists(os.path.join(folder, "OUT")), "built into the folder"


def round_trip(t):
    app = "QpackRoundTrip"
    folder = os.path.join(t.a.work, "trip")
    files = make_folder(folder, app)
    pkg = os.path.join(t.a.work, "trip-package")
    t.build(folder, pkg)
    inst = os.path.join(t.a.work, "trip-installed")
    shutil.rmtree(inst, ignore_errors=True)
    code, text = t.wine(os.path.join(pkg, "setup.exe"), "/S", "/ACCEPTLICENSE", "/NOLAUNCH",
                        "/SHORTCUTS=none", "/D=" + winpath(inst))
    assert code == 0, "setup.exe /S: exit %d %s" % (code, text)
    for rel, data in files.items():
        with open(os.path.join(inst, rel), "rb") as f:
            assert f.read() == data, rel + " installed with other content"
    code, text = t.wine(os.path.join(inst, "setup.exe"), "/u:" + app, "/S")
    assert code == 0, "uninstall: exit %d %s" % (code, text)
    assert not os.path.exists(os.path.join(inst, app + ".exe"))


def unzip_members(t):
    folder = os.path.join(t.a.work, "unzip")
    files = make_folder(folder, "Unzip")
    pkg = os.path.join(t.a.work, "unzip-package")
    t.build(folder, pkg)
    for rel, data in files.items():
        name = rel  # members carry their folders
        dest = os.path.join(t.a.work, "unzip-out")
        shutil.rmtree(dest, ignore_errors=True)
        os.makedirs(dest)
        # As setup runs it: -Coq "archive" "member" -d"dir".
        code, text = t.wine(t.a.unzip, "-Coq", winpath(os.path.join(pkg, "setup.dat")), name,
                            "-d" + winpath(dest))
        assert code == 0, "unzip %s: exit %d %s" % (name, code, text)
        with open(os.path.join(dest, name), "rb") as f:
            assert f.read() == data, name + " extracted with other content"


def registry_view(exe):
    """reg.exe's switch for the registry view the program at exe sees."""
    with open(exe, "rb") as f:
        head = f.read(4096)
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    machine = struct.unpack_from("<H", head, pe + 4)[0]
    return "/reg:64" if machine == 0x8664 else "/reg:32"


def reg_value(t, view, key, name=None):
    """A string value under HKLM, or None where the key or value is missing."""
    which = ["/ve"] if name is None else ["/v", name]
    code, text = t.wine("reg", "query", "HKLM\\" + key, *which, view)
    if code != 0:
        return None
    for line in text.splitlines():
        parts = line.strip().split("    ")
        if len(parts) >= 3 and parts[1].startswith("REG_"):
            return parts[2]
    return None


def install_and_remove(t, pkg, app, inst_win, files, check_installed=None):
    """/S into inst_win, every file byte for byte, then the quiet removal
    leaves neither files nor the Add/Remove entry."""
    code, text = t.wine(os.path.join(pkg, "setup.exe"), "/S", "/NOLAUNCH", "/D=" + inst_win)
    assert code == 0, "setup.exe /S: exit %d %s" % (code, text)
    inst = os.path.join(t.drive_c, inst_win[3:])
    for rel, data in files.items():
        with open(os.path.join(inst, rel), "rb") as f:
            assert f.read() == data, rel + " installed with other content"
    if check_installed:
        check_installed(inst)
    code, text = t.wine(inst_win + "\\setup.exe", "/u:" + app, "/S")
    assert code == 0, "uninstall: exit %d %s" % (code, text)
    assert not os.path.exists(inst), "left behind: %s" % sorted(os.listdir(inst))
    uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app
    assert reg_value(t, registry_view(t.a.setup), uninstall, "DisplayName") is None


def real_tree(t):
    app = "QvTree"
    folder = os.path.join(t.a.work, app)
    shutil.rmtree(folder, ignore_errors=True)
    deep = "docs/" + "d" * 200 + "/readme.txt"
    files = {"bin/editor.exe": b"MZ editor", deep: b"deep\r\n"}
    for lang in ("de", "fr", "pl"):
        files["locale/%s/LC_MESSAGES/editor.mo" % lang] = ("mo " + lang).encode()
    for rel, data in files.items():
        os.makedirs(os.path.dirname(os.path.join(folder, rel)), exist_ok=True)
        with open(os.path.join(folder, rel), "wb") as f:
            f.write(data)
    # A group of its own, whose folder holds only folders: it goes too.
    os.makedirs(os.path.join(folder, "Data", "share"), exist_ok=True)
    with open(os.path.join(folder, "Data", "share", "data.bin"), "wb") as f:
        f.write(b"data")
    files["Data/share/data.bin"] = b"data"
    code, text = t.native("init", folder)
    assert code == 0, text
    with open(os.path.join(folder, "setup.ini"), "rb") as f:
        script = f.read()
    assert b"Program=bin\\editor.exe\r\n" in script
    n = script[:script.index(b"=Data\\share\\data.bin*")].rsplit(b"Name", 1)[1]
    script = script.replace(b"=Data\\share\\data.bin*", b"=share\\data.bin*")
    script = script.replace(b"[GROUPS]\r\n", b"[GROUPS]\r\nName0=Data\r\nDir0=<application path>\\Data\r\n")
    script = script.replace(b"Group" + n + b"=Main*", b"Group" + n + b"=Data*")
    with open(os.path.join(folder, "setup.ini"), "wb") as f:
        f.write(script)
    pkg = os.path.join(t.a.work, "tree-package")
    t.build(folder, pkg)
    inst_win = "C:\\Qv Tree"
    # The paced road's command line for the deep file would pass 255.
    member = deep
    command = '-Coq "%s" "%s" -d"%s"' % (winpath(os.path.join(pkg, "setup.dat")), member, inst_win)
    assert len(command) > 255, len(command)
    view = registry_view(t.a.setup)
    program = inst_win + "\\bin\\editor.exe"

    def named_by_program(inst):
        key = "Software\\Microsoft\\Windows\\CurrentVersion\\"
        assert reg_value(t, view, key + "App Paths\\editor.exe") == program
        assert reg_value(t, view, key + "Uninstall\\" + app, "DisplayIcon") == program
        links = [os.path.join(d, n) for d, _, ns in os.walk(os.path.join(t.drive_c, "users"))
                 for n in ns if n == app + ".lnk" and os.path.basename(d) == app]
        assert links, "no program shortcut"
        with open(links[0], "rb") as f:
            assert program.encode() in f.read(), "the shortcut names another program"

    install_and_remove(t, pkg, app, inst_win, files, named_by_program)
    key = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\editor.exe"
    assert reg_value(t, view, key) is None, "App Paths key left"


def nsis_tree(t):
    source = "/usr/share/nsis"
    folder = os.path.join(t.a.work, "nsis")
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(source, folder)
    files = {}
    for d, _, names in os.walk(folder):
        for n in names:
            path = os.path.join(d, n)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = f.read()
    assert len(files) > 300, len(files)
    app = "QvNsisData"
    code, text = t.native("init", folder, "--name", app)
    assert code == 0, text
    pkg = os.path.join(t.a.work, "nsis-package")
    t.build(folder, pkg)
    code, text = t.native("check", pkg)
    assert code == 0 and "0 errors" in text, text
    install_and_remove(t, pkg, app, "C:\\Qv Nsis Data", files)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("case", choices=["same_output", "round_trip", "unzip_members", "real_tree",
                                    "nsis_tree"])
    for opt in ("native", "windows", "setup", "unzip", "wineenv", "work", "drive_c"):
        p.add_argument("--" + opt, required=True)
    a = p.parse_args()
    globals()[a.case](Tools(a))
    print(a.case + ": ok")


if __name__ == "__main__":
    sys.exit(main())
