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
  unicode_tree   a product named in Latin, Polish and Japanese letters, with
                 such file names, installed by /S into such a path for a user
                 whose Desktop and Start menu lie outside the ANSI code page,
                 and removed again, every name exact
  single_file    one file built with --single, alone in a download folder with
                 a blank and a Polish letter: the same bytes from two builds,
                 signed and verified, installed by /S, removed by its quiet
                 uninstall string; a changed byte and a cut-short copy
                 install nothing and say why, and leave no temporary files
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


def reg_export(t, key):
    """The key as regedit exports it (UTF-16), or "" when it is missing."""
    out = os.path.join(t.a.work, "export.reg")
    if os.path.exists(out):
        os.remove(out)
    code, _ = t.wine("reg", "export", key, winpath(out), "/y", registry_view(t.a.setup))
    if code != 0 or not os.path.exists(out):
        return ""
    with open(out, "rb") as f:
        return f.read().decode("utf-16")


def reg_import(t, text):
    path = os.path.join(t.a.work, "import.reg")
    with open(path, "wb") as f:
        f.write(("Windows Registry Editor Version 5.00\r\n\r\n" + text).encode("utf-16"))
    code, out = t.wine("regedit", "/S", winpath(path))
    assert code == 0, out


def unicode_tree(t):
    app = "Café Łódź 東京"
    folder = os.path.join(t.a.work, "unicode")
    shutil.rmtree(folder, ignore_errors=True)
    files = {app + ".exe": b"MZ unicode", "Dokumenty/Łódź — przewodnik.txt": "Łódź".encode(),
             "東京/データ.txt": "東京".encode()}
    for rel, data in files.items():
        os.makedirs(os.path.dirname(os.path.join(folder, rel)), exist_ok=True)
        with open(os.path.join(folder, rel), "wb") as f:
            f.write(data)
    code, text = t.native("init", folder, "--name", app)
    assert code == 0, text
    with open(os.path.join(folder, "setup.ini"), "rb") as f:
        script = f.read()
    assert script.startswith(b"\xef\xbb\xbf"), "a script beyond ASCII without its mark"
    menu = "Programy Łódź 東京"
    with open(os.path.join(folder, "setup.ini"), "wb") as f:
        f.write(script.replace(("FolderName=" + app).encode(), ("FolderName=" + menu).encode()))
    pkg = os.path.join(t.a.work, "unicode-package")
    t.build(folder, pkg)
    # This user's Start menu lies outside the ANSI code page (Wine keeps the
    # Desktop where its own profile has it).
    profile = "C:\\users\\Łukasz 東\\"
    shell = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
    saved = reg_export(t, shell.replace("HKEY_CURRENT_USER", "HKCU"))
    os.makedirs(os.path.join(t.drive_c, "users", "Łukasz 東", "Programs"), exist_ok=True)
    reg_import(t, "[%s]\r\n\"Programs\"=\"%sPrograms\"\r\n"
               % (shell, profile.replace("\\", "\\\\")))
    try:
        inst_win = "C:\\Programme\\Łódź Notes"
        code, text = t.wine(os.path.join(pkg, "setup.exe"), "/S", "/NOLAUNCH",
                            "/SHORTCUTS=desktop", "/D=" + inst_win)
        assert code == 0, "setup.exe /S: exit %d %s" % (code, text)
        inst = os.path.join(t.drive_c, "Programme", "Łódź Notes")
        for rel, data in files.items():
            with open(os.path.join(inst, rel), "rb") as f:
                assert f.read() == data, rel + " installed with other content"
        user = os.path.join(t.drive_c, "users", "Łukasz 東")
        assert os.path.exists(os.path.join(user, "Programs", menu, app + ".lnk")), "no menu"
        with open(os.path.join(inst, "setup.log"), "rb") as f:
            log = f.read()
        assert log.startswith(b"\xef\xbb\xbf"), "setup.log beyond ANSI without its mark"
        assert (">>>> " + inst_win + "\\東京\\データ.txt\r\n").encode() in log, log
        desktop = next(line[3:] for line in log.decode("utf-8-sig").split("\r\n")
                       if line.startswith(">> "))
        assert desktop.endswith("\\Desktop\\" + app + ".lnk"), desktop
        desktop = os.path.join(t.drive_c, *desktop[3:].split("\\"))
        assert os.path.exists(desktop), desktop
        entry = reg_export(t, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app)
        assert '"DisplayName"="%s"' % app in entry, entry
        code, text = t.wine(inst_win + "\\setup.exe", "/u:" + app, "/S")
        assert code == 0, "uninstall: exit %d %s" % (code, text)
        assert not os.path.exists(inst), sorted(os.listdir(inst))
        assert not os.path.exists(desktop)
        assert not os.path.exists(os.path.join(user, "Programs", menu))
        assert reg_export(t, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app) == ""
        # The path limit counts characters as Windows does (UTF-16 units),
        # not the bytes of their UTF-8: 101 of them are far below it.
        deep = "C:\\" + "東" * 85
        code, text = t.wine(os.path.join(pkg, "setup.exe"), "/S", "/NOLAUNCH", "/D=" + deep)
        assert code == 0, "setup.exe /S into 85 Japanese letters: exit %d %s" % (code, text)
        code, text = t.wine(deep + "\\setup.exe", "/u:" + app, "/S")
        assert code == 0, "uninstall: exit %d %s" % (code, text)
    finally:
        if saved:
            reg_import(t, saved.split("\r\n", 2)[2] if saved.startswith("Windows Registry") else saved)


def imported_names(exe):
    """The functions a PE program imports by name."""
    with open(exe, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, opt_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from(
        "<H", data, pe + 20)[0]
    opt = pe + 24
    plus = struct.unpack_from("<H", data, opt)[0] == 0x20B
    imports_rva = struct.unpack_from("<I", data, opt + (120 if plus else 104))[0]
    table = [struct.unpack_from("<IIII", data, opt + opt_size + 40 * i + 8)
             for i in range(sections)]

    def at(rva):
        for size, va, raw_size, raw in table:
            if va <= rva < va + max(size, raw_size):
                return raw + rva - va
        raise ValueError("RVA outside the sections")
    names, entry = [], at(imports_rva)
    while struct.unpack_from("<I", data, entry + 12)[0]:
        thunk = at(struct.unpack_from("<I", data, entry)[0] or
                   struct.unpack_from("<I", data, entry + 16)[0])
        while True:
            value = struct.unpack_from("<Q" if plus else "<I", data, thunk)[0]
            if not value:
                break
            if not value >> (63 if plus else 31):
                hint = at(value & 0x7FFFFFFF)
                names.append(data[hint + 2:data.index(b"\0", hint + 2)].decode())
            thunk += 8 if plus else 4
        entry += 20
    return names


def resource_middle(exe_bytes):
    """The file offset of the middle of a program's resource section."""
    pe = struct.unpack_from("<I", exe_bytes, 0x3C)[0]
    sections, opt_size = struct.unpack_from("<HxxxxxxxxxxxxH", exe_bytes, pe + 6)
    for i in range(sections):
        at = pe + 24 + opt_size + 40 * i
        name, raw_size, raw = struct.unpack_from("<8s8xII", exe_bytes, at)
        if name.rstrip(b"\0") == b".rsrc":
            return raw + raw_size // 2
    raise ValueError("no resource section")


def flip(data, at):
    return data[:at] + bytes([data[at] ^ 1]) + data[at + 1:]


def temp_leftovers(t):
    found = []
    for root, dirs, _ in os.walk(os.path.join(t.drive_c, "users")):
        found += [d for d in dirs if d.startswith("qvsetup-")]
    return found


def single_file(t):
    # Libraries only from the system folder, before anything else runs; the
    # call is looked up, so that a system without it still starts setup.
    assert "SetDefaultDllDirectories" not in imported_names(t.a.setup)
    with open(t.a.setup, "rb") as f:
        assert b"SetDefaultDllDirectories\0" in f.read()
    app = "QvSingle"
    folder = os.path.join(t.a.work, "single")
    files = make_folder(folder, app)
    code, text = t.native("init", folder, "--name", app)
    assert code == 0, text
    script = os.path.join(folder, "setup.ini")
    with open(script, "rb") as f:
        text = f.read().replace(b"[MAIN]\r\n", b"[MAIN]\r\nVersion=2.1\r\n", 1)
    with open(script, "wb") as f:
        f.write(text)
    outs = []
    for n in (1, 2):
        out = os.path.join(t.a.work, "single-out%d" % n)
        shutil.rmtree(out, ignore_errors=True)
        code, text = t.native("build", folder, "-o", out, "--single", "--setup", t.a.setup)
        assert code == 0, text
        assert os.listdir(out) == [app + "-2.1-setup.exe"], os.listdir(out)
        with open(os.path.join(out, app + "-2.1-setup.exe"), "rb") as f:
            outs.append(f.read())
    assert outs[0] == outs[1], "two builds of one folder differ"
    # Another build replaces its own earlier file only.
    out = os.path.join(t.a.work, "single-out2")
    for keep in ("Backup of it.exe", "Other-2.0-setup.exe"):
        shutil.copy(os.path.join(out, app + "-2.1-setup.exe"), os.path.join(out, keep))
    code, text = t.native("build", folder, "-o", out, "--single", "--setup", t.a.setup)
    assert code == 0, text
    assert sorted(os.listdir(out)) == sorted([app + "-2.1-setup.exe", "Backup of it.exe",
                                              "Other-2.0-setup.exe"]), os.listdir(out)
    # Nor another application's whose name begins with this one's; a
    # four-file build drops the earlier single file it would ship beside.
    pro = os.path.join(t.a.work, "single-pro")
    make_folder(pro, app + "-Pro")
    assert t.native("init", pro, "--name", app + "-Pro")[0] == 0
    assert t.native("build", pro, "-o", out, "--single", "--setup", t.a.setup)[0] == 0
    assert t.native("build", folder, "-o", out, "--setup", t.a.setup)[0] == 0
    assert app + "-Pro-setup.exe" in os.listdir(out), os.listdir(out)
    assert app + "-2.1-setup.exe" not in os.listdir(out), os.listdir(out)

    # Signed, verified by osslsigncode and by check.
    out = os.path.join(t.a.work, "single-out1")
    key, cert = os.path.join(t.a.work, "key.pem"), os.path.join(t.a.work, "cert.pem")
    code, text = run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                      "-out", cert, "-days", "2", "-subj", "/CN=Single File Test"])
    assert code == 0, text
    code, text = t.native("sign", out, "--cert", cert, "--key", key)
    assert code == 0, text
    single = os.path.join(out, app + "-2.1-setup.exe")
    code, text = run(["osslsigncode", "verify", "-in", single, "-CAfile", cert])
    assert code == 0, text
    code, text = t.native("check", out, "--ca", cert)
    assert code == 0 and "0 errors" in text, text

    download = os.path.join(t.a.work, "Downloads of Łukasz")
    shutil.rmtree(download, ignore_errors=True)
    os.makedirs(download)
    with open(single, "rb") as f:
        good = f.read()
    # A changed byte in the carried script, and a copy cut short: nothing
    # installed.
    with open(t.a.setup, "rb") as f:
        bare = f.read()
    at = len(bare) + 20
    damaged = {"changed.exe": good[:at] + bytes([good[at] ^ 1]) + good[at + 1:],
               "cut.exe": good[: len(good) * 9 // 10],
               # The program itself (the unzip tool among its resources),
               # which becomes the uninstaller.
               "program.exe": flip(good, resource_middle(bare)),
               # Bytes no hash covers: after the signature, or a second
               # description after the first.
               "after-signature.exe": good + b"\0" * 8,
               "described-twice.exe": outs[0] + outs[0][-208:]}
    inst_win = "C:\\QvSingle Test"
    inst = os.path.join(t.drive_c, inst_win[3:])
    shutil.rmtree(inst, ignore_errors=True)
    for name, data in damaged.items():
        path = os.path.join(download, name)
        with open(path, "wb") as f:
            f.write(data)
        log = os.path.join(t.a.work, name + ".log")
        code, _ = t.wine(path, "/S", "/ACCEPTLICENSE", "/LOG=" + winpath(log), "/D=" + inst_win)
        assert code == 1, "%s: exit %d" % (name, code)
        with open(log, encoding="utf-8", errors="replace") as f:
            assert "The setup file is damaged or incomplete. Download it again." in f.read()
        assert not os.path.exists(inst), name + " installed something"
        code, text = t.native("check", path)
        assert code == 1 and "damaged or incomplete" in text, text
        os.remove(path)

    path = os.path.join(download, app + "-2.1-setup.exe")
    with open(path, "wb") as f:
        f.write(good)
    code, text = t.wine(path, "/S", "/ACCEPTLICENSE", "/NOLAUNCH", "/SHORTCUTS=none",
                        "/D=" + inst_win)
    assert code == 0, "single file /S: exit %d %s" % (code, text)
    for rel, data in files.items():
        with open(os.path.join(inst, rel), "rb") as f:
            assert f.read() == data, rel + " installed with other content"
    # The uninstaller is the bare program (signing rewrote its header's
    # checksum, which nothing checks for a program).
    with open(os.path.join(inst, "setup.exe"), "rb") as f:
        copy = bytearray(f.read())
    checksum = struct.unpack_from("<I", bare, 0x3C)[0] + 24 + 64
    copy[checksum:checksum + 4] = bare[checksum:checksum + 4]
    assert copy == bare, "the installed uninstaller is not the bare program"
    assert not temp_leftovers(t), temp_leftovers(t)
    uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + app
    quiet = reg_value(t, registry_view(t.a.setup), uninstall, "QuietUninstallString")
    assert quiet == '"%s\\setup.exe" /u:%s /S' % (inst_win, app), quiet
    code, text = t.wine(inst_win + "\\setup.exe", "/u:" + app, "/S")
    assert code == 0, "uninstall: exit %d %s" % (code, text)
    assert not os.path.exists(inst), "left behind: %s" % sorted(os.listdir(inst))


def main():
    p = argparse.ArgumentParser()
    p.add_argument("case", choices=["same_output", "round_trip", "unzip_members", "real_tree",
                                    "nsis_tree", "unicode_tree", "single_file"])
    for opt in ("native", "windows", "setup", "unzip", "wineenv", "work", "drive_c"):
        p.add_argument("--" + opt, required=True)
    a = p.parse_args()
    globals()[a.case](Tools(a))
    print(a.case + ": ok")


if __name__ == "__main__":
    sys.exit(main())
