#!/usr/bin/env python3
"""The manifest command: its three files validated against the package
manager's schemas, their values against the package, setup.exe's reading of
the switches joined as the package manager joins them, and its errors.

usage: manifest_schema_test.py QPACK PROBE SCHEMA_DIR UNATTENDED_HEADER"""
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile
import zipfile

import jsonschema
import yaml

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from package_fixture import make_package, make_single  # noqa: E402

QPACK, PROBE, SCHEMAS, EXIT_HEADER = sys.argv[1:5]
KINDS = ("version", "defaultLocale", "installer")
SCHEMA = {k: json.load(open(os.path.join(SCHEMAS, f"manifest.{k}.1.10.0.json"))) for k in KINDS}
VALIDATOR = {k: jsonschema.Draft7Validator(s, format_checker=jsonschema.FormatChecker())
             for k, s in SCHEMA.items()}
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def run(*args):
    return subprocess.run([PROBE if args[0] in ("verify", "switches") else QPACK, *args], capture_output=True, text=True, encoding="utf-8")


def sha256(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest().upper()


def script(app, extra=""):
    return f"[MAIN]\r\nAppName={app}\r\nInstPath=<program files>\\{app}\r\n{extra}"


def manifest(pkg, pid, *args):
    """Runs the command; returns the parsed files by kind, each validated."""
    out = args[args.index("--out") + 1] if "--out" in args else os.path.join(pkg, "manifests")
    r = run("manifest", pkg, "--id", pid, *args)
    check(r.returncode == 0, f"{pid}: exit {r.returncode}: {r.stderr}")
    names = {"version": f"{pid}.yaml", "defaultLocale": f"{pid}.locale.en-US.yaml",
             "installer": f"{pid}.installer.yaml"}
    docs = {}
    for kind, name in names.items():
        docs[kind] = yaml.safe_load(open(os.path.join(out, name), encoding="utf-8"))
        for e in VALIDATOR[kind].iter_errors(docs[kind]):
            failures.append(f"{name}: {'/'.join(map(str, e.path))}: {e.message}")
    return docs, r.stderr


def exit_codes():
    """setup.exe's unattended exit codes other than success, from its header."""
    codes = re.findall(r"kExit\w+ = (\d+)", open(EXIT_HEADER).read())
    return {int(c) for c in codes} - {0}


EXPECTED_RESPONSES = {1: "invalidParameter", 2: "cancelledByUser", 3: "packageInUse",
                      4: "diskFull", 5: "fileInUse", 6: "invalidParameter",
                      7: "rebootRequiredToFinish"}


def typical_package(tmp):
    pkg = os.path.join(tmp, "typical")
    single = make_single(QPACK, pkg, script("Quorvane Notes",
                                            "Version=1.10\r\nPublisher=Quorvane\r\n"
                                            "URL=https://quorvane.example/notes\r\n"),
                         "Terms\r\nof use\r\n")
    url = "https://downloads.quorvane.example/notes/1.10/Quorvane%20Notes-1.10-setup.exe"
    docs, _ = manifest(pkg, "Quorvane.Notes", "--installer-url", url)
    inst, loc = docs["installer"], docs["defaultLocale"]
    check(inst["PackageVersion"] == "1.10", f"version {inst['PackageVersion']!r}")
    one = {"Architecture": "x86", "InstallerUrl": url, "InstallerSha256": sha256(single)}
    machine, user = inst["Installers"]
    check(machine == dict(one, Scope="machine", ElevationRequirement="elevatesSelf") and
          {k: v for k, v in user.items() if k != "InstallerSwitches"} == dict(one, Scope="user"),
          f"installers {inst['Installers']}")
    check((inst["InstallerType"], inst["ProductCode"]) == ("exe", "Quorvane Notes"),
          "type or product code")
    check(loc["Agreements"] == [{"AgreementLabel": "License", "Agreement": "Terms\nof use"}],
          f"agreements {loc.get('Agreements')}")
    check(inst["AppsAndFeaturesEntries"] == [{
        "DisplayName": "Quorvane Notes", "Publisher": "Quorvane", "DisplayVersion": "1.10",
        "ProductCode": "Quorvane Notes", "InstallerType": "exe"}],
          f"Add/Remove entry {inst['AppsAndFeaturesEntries']}")
    codes = {c["InstallerReturnCode"]: c["ReturnResponse"] for c in inst["ExpectedReturnCodes"]}
    check(set(codes) == exit_codes(), f"return codes {sorted(codes)} vs {sorted(exit_codes())}")
    check(codes == EXPECTED_RESPONSES, f"responses {codes}")
    check((loc["Publisher"], loc["PackageName"], loc["PackageUrl"]) ==
          ("Quorvane", "Quorvane Notes", "https://quorvane.example/notes"), f"locale {loc}")

    # Mode, log, custom, upgrade, location: the package manager's order.
    log = r"C:\Users\Jo Doe\AppData\Local\Temp\WinGet\notes.log"
    where = r"D:\My Apps\Quorvane Notes"
    for sw, scope in ((inst["InstallerSwitches"], "0"), (user["InstallerSwitches"], "1")):
        check(not {"Custom", "Upgrade"} & set(sw), "a switch that would follow /D=")
        for mode, flag in (("Silent", "silent"), ("SilentWithProgress", "progress")):
            line = " ".join([sw[mode], sw["Log"], sw["InstallLocation"]])
            line = line.replace("<LOGPATH>", log).replace("<INSTALLPATH>", where)
            got = dict(kv.split("=", 1) for kv in run("switches", line).stdout.splitlines())
            want = {flag: "1", "accept": "1", "path": where, "log": log, "error": "",
                    "currentuser": scope}
            check(all(got[k] == v for k, v in want.items()), f"{line} read as {got}")


def texts_and_archive(tmp):
    # Texts YAML would misread unquoted, in the ANSI code page; no licence.
    pkg = os.path.join(tmp, "texts")
    app = "@Notes 'Pro' #1 [x] {y} & \u2013 caf\u00e9"
    make_single(QPACK, pkg, script(app, "Version=1.0\r\nPublisher=no\r\nURL=quorvane.example\r\n"
                                        "Scope=user\r\n"))
    out = os.path.join(tmp, "texts-out")
    docs, err = manifest(pkg, "Quorvane.Pro", "--out", out)
    inst, loc = docs["installer"], docs["defaultLocale"]
    check((loc["PackageName"], loc["Publisher"], inst["PackageVersion"]) == (app, "no", "1.0"),
          f"texts {loc['PackageName']!r} {loc['Publisher']!r} {inst['PackageVersion']!r}")
    check(inst["AppsAndFeaturesEntries"][0]["DisplayName"] == app, "DisplayName")
    check("PackageUrl" not in loc and "MAIN URL" in err, "a URL that is not http(s) kept")
    check(inst["InstallerSwitches"]["Silent"] == "/S", "/ACCEPTLICENSE without a licence")
    # A script of the user's scope is machine-wide only with /ALLUSERS.
    check([i["InstallerSwitches"]["Silent"] for i in inst["Installers"]] ==
          ["/S /ALLUSERS", "/S /CURRENTUSER"], f"scoped switches {inst['Installers']}")

    # UTF-8 script (byte order mark), publisher from the id, the zipped package.
    pkg = os.path.join(tmp, "zipped")
    app = "Zo\u00eb \u2615 Notes"
    make_package(pkg, ("\ufeff" + script(app, "Version=2.0.1\r\n")).encode("utf-8"))
    archive = os.path.join(tmp, "zipped.zip")
    with zipfile.ZipFile(archive, "w") as z:
        for name in os.listdir(pkg):
            z.write(os.path.join(pkg, name), name)
    docs, _ = manifest(pkg, "Zoe.Notes", "--archive", archive)
    inst = docs["installer"]
    check((docs["defaultLocale"]["PackageName"], docs["defaultLocale"]["Publisher"]) ==
          (app, "Zoe"), f"UTF-8 texts {docs['defaultLocale']}")
    check((inst["InstallerType"], inst["NestedInstallerType"], inst["NestedInstallerFiles"]) ==
          ("zip", "exe", [{"RelativeFilePath": "setup.exe"}]), "archive form")
    check(inst["Installers"][0]["InstallerSha256"] == sha256(archive), "archive hash")
    # The archive must hold the package's files and nothing else, unchanged.
    for name, change in (("setup.ini", b"; changed\r\n"), ("extra.txt", b"x"), (None, None)):
        bad = os.path.join(tmp, "bad.zip")
        with zipfile.ZipFile(bad, "w") as z:
            for member in os.listdir(pkg):
                if member == "manifests" or (change is None and member == "setup.dat"):
                    continue
                data = open(os.path.join(pkg, member), "rb").read()
                z.writestr(member, data + (change if member == name else b""))
            if name == "extra.txt":
                z.writestr(name, change)
        r = run("manifest", pkg, "--id", "Zoe.Notes", "--archive", bad, "--out",
                os.path.join(tmp, "bad-out"))
        check(r.returncode == 1 and "--archive" in r.stderr, f"archive {name}: {r.stderr}")
    # Four loose files without their archive cannot be installed by the
    # package manager.
    r = run("manifest", pkg, "--id", "Zoe.Notes", "--out", os.path.join(tmp, "loose-out"))
    check(r.returncode == 1 and "four loose files" in r.stderr, f"loose files: {r.stderr}")

    # Separators YAML 1.1 reads as line breaks, a byte order mark inside a
    # value: quoted and escaped, they read back exactly; no UTF-8 is an error.
    pkg = os.path.join(tmp, "separators")
    app = "Line\u2028Para\u2029Mark\ufeffEnd"
    make_single(QPACK, pkg, ("\ufeff" + script(app, "Version=1\r\nPublisher=P\u2028Q\r\n"))
                .encode("utf-8"))
    docs, _ = manifest(pkg, "Sep.Notes", "--out", os.path.join(tmp, "separators-out"))
    check((docs["defaultLocale"]["PackageName"], docs["defaultLocale"]["Publisher"]) ==
          (app, "P\u2028Q"), f"separators {docs['defaultLocale']}")
    pkg = os.path.join(tmp, "not-utf8")
    make_package(pkg, b"\xef\xbb\xbf" + script("Caf\xe9", "Version=1\r\n").encode("latin-1"))
    r = run("manifest", pkg, "--id", "Caf.Notes", "--out", os.path.join(tmp, "not-utf8-out"))
    check(r.returncode == 1 and "not UTF-8" in r.stderr, f"not UTF-8: {r.returncode} {r.stderr}")


def identifiers(tmp):
    """The command accepts exactly the identifiers the schema accepts."""
    pkg = os.path.join(tmp, "ids")
    make_single(QPACK, pkg, script("Quorvane Notes", "Version=1\r\nPublisher=Quorvane\r\n"))
    rule = SCHEMA["version"]["properties"]["PackageIdentifier"]
    for pid in ["A.B", "Quorvane", "Quorvane.", ".Notes", "a..b", "Quorvane.My Notes",
                "Quorvane.My\u3000Notes", "Quorvane.Notes\u00a0", "Q:.Notes", "Q|.N",
                "Q.N\x7f", "Q\u00f6rvane.Notes", "1.2.3.4.5.6.7.8", "1.2.3.4.5.6.7.8.9",
                "x" * 32 + ".y", "x" * 33 + ".y", ".".join(["x" * 31] * 4),
                ".".join(["x" * 32] * 4)]:
        valid = jsonschema.Draft7Validator(rule).is_valid(pid)
        r = run("manifest", pkg, "--id", pid, "--out", os.path.join(tmp, "ids-out"))
        check(r.returncode == (0 if valid else 1) and (valid or "--id" in r.stderr),
              f"id {pid!r}: schema says {valid}, exit {r.returncode}: {r.stderr}")


def errors(tmp):
    def pkg(name, text, drop=None):
        d = os.path.join(tmp, name)
        make_package(d, text)
        if drop:
            os.remove(os.path.join(d, drop))
        return d

    good = script("Quorvane Notes", "Version=1\r\n")
    cases = [
        (pkg("no-name", "[MAIN]\r\nVersion=1\r\n"), [], 1, "setup.ini: MAIN AppName: missing"),
        (pkg("bad-name", script("a\\b", "Version=1\r\n")), [], 1, "MAIN AppName"),
        (pkg("no-exe", good, "setup.exe"), [], 1, "setup.exe: missing"),
        (pkg("no-dat", good, "setup.dat"), [], 1, "setup.dat: missing"),
        (pkg("no-version", script("Quorvane Notes")), [], 1, "setup.ini: MAIN Version"),
        (pkg("bad-version", good), ["--version", "1/2"], 1, "version"),
        (pkg("short-name", script("X", "Version=1\r\n")), [], 1, "--name"),
        (pkg("bad-url", good), ["--installer-url", "ftp://x", "--archive", "x.zip"], 1,
         "--archive x.zip"),
        (pkg("bad-option", good), ["--colour", "red"], 2, "unknown option --colour"),
    ]
    for d, args, rc, text in cases:
        r = run("manifest", d, "--id", "Quorvane.Notes", *args)
        check(r.returncode == rc and text in r.stderr,
              f"{d}: exit {r.returncode}, wanted {rc} and {text!r}: {r.stderr}")
        check(not os.path.exists(os.path.join(d, "manifests")), f"{d}: files written")
    r = run("manifest", cases[0][0])
    check(r.returncode == 2 and "--id is required" in r.stderr, "no --id")
    r = run("manifest", "--help")
    check(r.returncode == 0 and r.stdout.startswith("usage:"), "--help")


with tempfile.TemporaryDirectory() as tmp:
    for test in (typical_package, texts_and_archive, identifiers, errors):
        before = len(failures)
        test(tmp)
        print(f"{test.__name__}: {'ok' if len(failures) == before else 'FAILED'}", flush=True)
for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
