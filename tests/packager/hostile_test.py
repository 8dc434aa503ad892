#!/usr/bin/env python3
"""qpack against folders and packages made to hurt it: links out and in, a
dangling link where the script goes, FIFOs, /dev/zero, a directory that is
not qpack's, overlapping and duplicate members, a 4 GiB ZIP64 member, line
breaks in options, control characters in names. Every run has 10 s; none
may write outside its output, replace what it did not make, pack what lies
outside the folder or print a raw control character.
Usage: hostile_test.py QPACK"""
import os
import shutil
import struct
import subprocess
import time
import sys
import tempfile
import zlib

QPACK = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def qpack(*args, limit=10):
    """Exit code and output of one run, which must end within limit seconds."""
    try:
        r = subprocess.run([QPACK, *args], capture_output=True, timeout=limit)
    except subprocess.TimeoutExpired:
        failures.append(f"qpack {' '.join(args)}: still running after {limit} s")
        return -1, ""
    text = (r.stdout + r.stderr).decode("utf-8", "replace")
    raw = [c for c in text if ord(c) < 0x20 and c != "\n"]
    check(not raw, f"qpack {' '.join(args)}: raw control characters {raw!r} in {text!r}")
    check("ERROR: AddressSanitizer" not in text and "runtime error:" not in text,
          f"qpack {' '.join(args)}: sanitizer report: {text}")
    return r.returncode, text


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def folder(root, name="app"):
    """A small application folder that packs cleanly."""
    d = os.path.join(root, name)
    write(os.path.join(d, "App.exe"), b"MZ app")
    write(os.path.join(d, "Docs", "readme.txt"), "read me\r\n")
    return d


SCRIPT = ("[MAIN]\r\nAppName=App\r\nInstPath=<program files>\\App\r\nDiskSpace=100000\r\n"
          "[FILES]\r\n")


def entry(n, name, shortcut="No"):
    return (f"Name{n}={name}*\r\nGroup{n}=Main*\r\nShortCut{n}={shortcut}*\r\n"
            f"Descritpion{n}=d{n}*\r\n")


def package(root, name, script, zip_bytes):
    d = os.path.join(root, name)
    write(os.path.join(d, "setup.exe"), b"MZ")
    write(os.path.join(d, "setup.ini"), script)
    write(os.path.join(d, "license.txt"), "terms")
    write(os.path.join(d, "setup.dat"), zip_bytes)
    return d


# A ZIP written by hand: members of zero bytes, deflated, their data shared
# when asked, with ZIP64 sizes where they are needed.

def zeros_deflated(mib16, level=1, crc=True):
    """Deflate data of mib16 times 16 MiB of zeros, and its CRC; made from one
    flushed chunk repeated, so that gigabytes cost no time."""
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    chunk = c.compress(bytes(1 << 24)) + c.flush(zlib.Z_FULL_FLUSH)
    value = 0
    block = bytes(1 << 24)
    for _ in range(mib16 if crc else 0):
        value = zlib.crc32(block, value)
    return chunk * mib16 + b"\x03\x00", value, mib16 << 24


def zip_of(members):
    """members: (name, data, crc, size, offset-of-member-to-share or None)."""
    out = bytearray()
    central = bytearray()
    where = {}
    for i, (name, data, crc, size, share) in enumerate(members):
        nm = name.encode("utf-8", "surrogateescape")
        big = size >= 0xFFFFFFFF or len(data) >= 0xFFFFFFFF
        if share is None:
            where[i] = len(out)
            extra = struct.pack("<HHQQ", 1, 16, size, len(data)) if big else b""
            out += struct.pack("<IHHHHHIIIHH", 0x04034B50, 45, 0, 8, 0, 0x21, crc,
                               0xFFFFFFFF if big else len(data), 0xFFFFFFFF if big else size,
                               len(nm), len(extra)) + nm + extra + data
        offset = where[share if share is not None else i]
        extra = struct.pack("<HHQQ", 1, 16, size, len(data)) if big else b""
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 45, 45, 0, 8, 0, 0x21, crc,
                               0xFFFFFFFF if big else len(data), 0xFFFFFFFF if big else size,
                               len(nm), len(extra), 0, 0, 0, 0, offset) + nm + extra
    cd_offset = len(out)
    out += central
    z64 = len(out)
    out += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, len(members), len(members),
                       len(central), cd_offset)
    out += struct.pack("<IIQI", 0x07064B50, 0, z64, 1)
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members), len(central),
                       cd_offset, 0)
    return bytes(out)


def small(name, text=b"x"):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return (name, c.compress(text) + c.flush(), zlib.crc32(text), len(text), None)


def links_and_writes(root):
    outside = os.path.join(root, "outside.txt")
    write(outside, "precious")
    # The output's setup.ini is a link to a file outside: never written through.
    app = folder(root)
    out = os.path.join(root, "out")
    os.makedirs(out)
    os.symlink(outside, os.path.join(out, "setup.ini"))
    code, text = qpack("build", app, "-o", out, "--setup", os.path.join(app, "App.exe"))
    check(code != 0 and read(outside) == b"precious", f"build through a link: {code} {text}")
    # A dangling link where init writes the script: nothing made at its target.
    app2 = folder(root, "app2")
    target = os.path.join(root, "made-by-link.ini")
    os.symlink(target, os.path.join(app2, "setup.ini"))
    code, text = qpack("init", app2)
    check(code != 0 and not os.path.exists(target), f"init through a dangling link: {code} {text}")
    code, text = qpack("init", app2, "--force")
    check(code != 0 and not os.path.exists(target), f"init --force through a link: {code} {text}")
    os.remove(os.path.join(app2, "setup.ini"))
    os.symlink(outside, os.path.join(app2, "setup.ini"))
    code, text = qpack("init", app2, "--force")
    check(code != 0 and read(outside) == b"precious", f"init --force over a link: {text}")


def foreign_output(root):
    app = folder(root, "fapp")
    setup = os.path.join(app, "App.exe")
    out = os.path.join(root, "fout")
    write(os.path.join(out, "license.txt"), "the user's own")
    code, text = qpack("build", app, "-o", out, "--setup", setup)
    check(code == 2 and "license.txt" in text, f"foreign license.txt: {code} {text}")
    check(read(os.path.join(out, "license.txt")) == b"the user's own", "license.txt lost")
    check(not os.path.exists(os.path.join(out, "setup.dat")), "built beside a foreign file")
    # A parent of the folder holds the folder itself.
    code, text = qpack("build", app, "-o", root, "--setup", setup)
    check(code == 2, f"-o the folder's parent: {code} {text}")
    # An earlier package is replaced; --force builds beside foreign files.
    clean = os.path.join(root, "fclean")
    check(qpack("build", app, "-o", clean, "--setup", setup)[0] == 0, "first build")
    check(qpack("build", app, "-o", clean, "--setup", setup)[0] == 0, "build over an earlier one")
    code, text = qpack("build", app, "-o", out, "--setup", setup, "--force")
    check(code == 0, f"--force: {code} {text}")


def outside_the_folder(root):
    app = folder(root, "lapp")
    os.symlink("/etc/passwd", os.path.join(app, "passwd"))
    os.symlink(os.path.join(app, "Docs", "readme.txt"), os.path.join(app, "inner.txt"))
    os.mkfifo(os.path.join(app, "pipe"))
    code, text = qpack("init", app)
    check(code == 0 and "passwd: warning" in text and "pipe: warning" in text, f"init: {text}")
    script = (read(os.path.join(app, "setup.ini")) or b"").decode("latin-1")
    check("passwd" not in script and "pipe" not in script, f"init listed them: {script}")
    out = os.path.join(root, "lout")
    setup = os.path.join(app, "App.exe")
    code, text = qpack("build", app, "-o", out, "--setup", setup)
    check(code == 1 and "passwd: error" in text and not os.path.exists(out),
          f"build with a link out: {code} {text}")
    os.remove(os.path.join(app, "passwd"))
    os.remove(os.path.join(app, "pipe"))
    # A link that stays inside packs only when asked for.
    with open(os.path.join(app, "setup.ini"), "a") as f:
        f.write(entry(2, "inner.txt"))
    code, text = qpack("build", app, "-o", out, "--setup", setup)
    check(code == 1 and "inner.txt: error" in text, f"build with a link in: {code} {text}")
    code, text = qpack("build", app, "-o", out, "--setup", setup, "--follow-links")
    check(code == 0, f"--follow-links: {code} {text}")


def blocking_files(root):
    pkg = package(root, "fifo-ini", SCRIPT + entry(0, "App.exe", "Yes"), zip_of([small("App.exe")]))
    os.remove(os.path.join(pkg, "setup.ini"))
    os.mkfifo(os.path.join(pkg, "setup.ini"))
    code, text = qpack("check", pkg)
    check(code == 1, f"setup.ini a FIFO: {code} {text}")
    pkg = package(root, "fifo-exe", SCRIPT + entry(0, "App.exe", "Yes"), zip_of([small("App.exe")]))
    os.remove(os.path.join(pkg, "setup.exe"))
    os.mkfifo(os.path.join(pkg, "setup.exe"))
    code, text = qpack("check", pkg)
    check(code == 1 and "setup.exe" in text, f"setup.exe a FIFO: {code} {text}")
    pkg = package(root, "zero-ini", "", zip_of([small("App.exe")]))
    os.remove(os.path.join(pkg, "setup.ini"))
    os.symlink("/dev/zero", os.path.join(pkg, "setup.ini"))
    code, text = qpack("check", pkg)
    check(code == 1 and "setup.ini" in text, f"setup.ini /dev/zero: {code} {text}")
    app = folder(root, "sapp")
    fifo = os.path.join(root, "script.fifo")
    os.mkfifo(fifo)
    code, text = qpack("build", app, "-o", os.path.join(root, "sout"), "--script", fifo)
    check(code != 0, f"build --script FIFO: {code} {text}")


def archives(root):
    script = SCRIPT.replace("DiskSpace=100000", "DiskSpace=9000000000")
    # 100 entries of one 1 GiB member's data: each read once at most.
    data, crc, size = zeros_deflated(64)
    members = [("big.bin", data, crc, size, None)]
    members += [(f"x{i:02}.bin", data, crc, size, 0) for i in range(100)]
    pkg = package(root, "overlap", script + entry(0, "big.bin"), zip_of(members))
    code, text = qpack("check", pkg)
    check(code == 1 and "x07.bin: error: damaged: its data is the data of big.bin" in text,
          f"overlapping members: {code} {text[:400]}")
    # Two members of one name, letter case aside.
    pkg = package(root, "twice", SCRIPT + entry(0, "App.exe", "Yes"),
                  zip_of([small("App.exe", b"one"), small("APP.EXE", b"two")]))
    code, text = qpack("check", pkg)
    check(code == 1 and "a second member of this name" in text, f"duplicates: {code} {text}")
    # A member that declares more than it holds, and one that declares more
    # than deflate can make of its data.
    name, packed, good_crc, n, _ = small("App.exe", b"abc")
    for declared in (4, 10 ** 9):
        pkg = package(root, f"lies{declared}", SCRIPT + entry(0, "App.exe", "Yes"),
                      zip_of([(name, packed, good_crc, declared, None)]))
        code, text = qpack("check", pkg)
        check(code == 1 and "App.exe: error: damaged" in text, f"declares {declared}: {text}")
    # A valid ZIP64 member of more than 4 GiB is no damage.
    data, crc, size = zeros_deflated(257)
    pkg = package(root, "zip64", script + entry(0, "big.bin") + entry(1, "App.exe", "Yes"),
                  zip_of([("big.bin", data, crc, size, None), small("App.exe")]))
    code, text = qpack("check", pkg)
    check(code == 0 and "damaged" not in text, f"ZIP64 member: {code} {text}")
    # Under 10 MB that unpack to about 10 GB: not all read through, in time.
    data, crc, size = zeros_deflated(600, 9, crc=False)
    pkg = package(root, "bomb",
                  script.replace("9000000000", "20000000000\r\nProgram=") + entry(0, "big.bin"),
                  zip_of([("big.bin", data, crc, size, None)]))
    check(os.path.getsize(os.path.join(pkg, "setup.dat")) < 10 << 20, "bomb too big")
    code, text = qpack("check", pkg)
    check(code == 0 and "big.bin: warning: not read through" in text, f"bomb: {code} {text}")
    # Thousands of names that are no member cost no more than thousands that
    # are (timed side by side, so that a loaded machine slows both).
    names = [small(f"m{i:05}.txt") for i in range(20000)]
    seconds = {}
    for kind, prefix in (("present", "m"), ("missing", "n")):
        many = SCRIPT.replace("DiskSpace=100000", "DiskSpace=1000000") + "".join(
            entry(i, f"{prefix}{i:05}.txt") for i in range(20000))
        pkg = package(root, kind, many, zip_of(names))
        start = time.monotonic()
        code, text = qpack("check", pkg, limit=120)
        seconds[kind] = time.monotonic() - start
    check(code == 1 and "no member" in text, f"many missing names: {code} {text[:300]}")
    check(seconds["missing"] < 2 * seconds["present"] + 2, f"missing names cost more: {seconds}")
    # A name with a NUL byte names no file: an error, as setup cannot find it.
    pkg = package(root, "nul", SCRIPT + entry(0, "App.exe", "Yes"),
                  zip_of([small("App.exe"), small("a.txt\0x")]))
    code, text = qpack("check", pkg)
    check(code == 1 and "NUL byte" in text, f"NUL in a name: {code} {text}")
    # Control characters in a member's name come out escaped.
    pkg = package(root, "names", SCRIPT + entry(0, "App.exe", "Yes"),
                  zip_of([small("App.exe"), small("x\r\n0 errors, 0 warnings\x1b[2J.txt")]))
    code, text = qpack("check", pkg)
    check("\\x0D\\x0A0 errors" in text and "\\x1B[2J" in text, f"escaped names: {text}")


def options(root):
    app = folder(root, "oapp")
    code, text = qpack("init", app, "--name", "App\r\nInstPath=C:\\Windows\\System32")
    check(code == 2 and not os.path.exists(os.path.join(app, "setup.ini")),
          f"--name with a line break: {code} {text}")
    for name in (".", "..", "App.", "App ", "CON"):
        code, text = qpack("init", app, "--name", name, "--force")
        check(code == 1 and not os.path.exists(os.path.join(app, "setup.ini")),
              f"--name {name!r}: {code} {text}")


with tempfile.TemporaryDirectory() as tmp:
    for test in (links_and_writes, foreign_output, outside_the_folder, blocking_files, archives,
                 options):
        before = len(failures)
        root = os.path.join(tmp, test.__name__)
        os.makedirs(root)
        test(root)
        print(f"{test.__name__}: {'ok' if len(failures) == before else 'FAILED'}", flush=True)
for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
