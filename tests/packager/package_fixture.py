"""Small packages made on the spot for the packager's tests."""
import os
import struct
import subprocess


def make_pe(path, payload=b""):
    """Writes a minimal valid 32-bit Windows program (one code section that
    returns at once), enough for Authenticode signing tools."""
    code = (b"\xc3" + payload).ljust(0x200, b"\0")[:0x200]
    coff = struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, 224, 0x0102)
    opt = struct.pack(
        "<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII",
        0x10B, 14, 0, 0x200, 0, 0, 0x1000, 0x1000, 0x2000,
        0x400000, 0x1000, 0x200, 6, 0, 0, 0, 6, 0, 0,
        0x2000, 0x200, 0, 2, 0x8140, 0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
    opt += b"\0" * (16 * 8)
    section = struct.pack("<8sIIIIIIHHI", b".text", 0x200, 0x1000, 0x200, 0x200,
                          0, 0, 0, 0, 0x60000020)
    dos = b"MZ".ljust(0x3C, b"\0") + struct.pack("<I", 0x40)
    headers = (dos + b"PE\0\0" + coff + opt + section).ljust(0x200, b"\0")
    with open(path, "wb") as f:
        f.write(headers + code)


def make_package(directory, script, license_text=None):
    """A package directory: setup.exe (a tiny program), setup.ini with the
    given text (bytes or str), setup.dat, and license.txt when given."""
    os.makedirs(directory, exist_ok=True)
    make_pe(os.path.join(directory, "setup.exe"), os.urandom(16))
    if isinstance(script, str):
        script = script.encode("cp1252")
    with open(os.path.join(directory, "setup.ini"), "wb") as f:
        f.write(script)
    with open(os.path.join(directory, "setup.dat"), "wb") as f:
        f.write(b"PK\5\6" + b"\0" * 18)  # an empty ZIP archive
    if license_text is not None:
        with open(os.path.join(directory, "license.txt"), "w") as f:
            f.write(license_text)


def make_single(qpack, directory, script, license_text=None):
    """A directory holding one single setup file, built by qpack from a
    folder with the given script's MAIN section (bytes or str, without
    Program) and one file."""
    folder = directory + "-folder"
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "readme.txt"), "w") as f:
        f.write("read me")
    if isinstance(script, str):
        script = script.encode("cp1252")
    script += (b"Program=\r\nDiskSpace=1000\r\n[FILES]\r\nName0=readme.txt*\r\n"
               b"Group0=Main*\r\nShortCut0=No*\r\nDescritpion0=Readme*\r\n")
    with open(os.path.join(folder, "setup.ini"), "wb") as f:
        f.write(script)
    if license_text is not None:
        with open(os.path.join(folder, "license.txt"), "w") as f:
            f.write(license_text)
    make_pe(folder + ".exe", os.urandom(16))
    r = subprocess.run([qpack, "build", folder, "-o", directory, "--single", "--setup",
                        folder + ".exe"], capture_output=True, text=True)
    assert r.returncode == 0, r.stdout + r.stderr
    (name,) = os.listdir(directory)
    return os.path.join(directory, name)
