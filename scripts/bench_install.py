# Makes the installation benchmark's trees and their NSIS scripts.
#   bench_install.py OUTDIR NAME KIND [amd64]
# KIND: "200" (200 files, about 9 MB, text and binary, in four folders),
# "nsis" (a copy of Debian's NSIS data folder), or a number N of small files
# (2 KB each, 100 to a folder), for the time per file.
# Writes OUTDIR/NAME/ (the folder qpack packs) and OUTDIR/NAME.nsi, an NSIS
# installer of the same files that writes what ours writes (files, an
# uninstaller, an Uninstall entry, a shortcut).
import os
import random
import shutil
import sys

out, name, kind = sys.argv[1:4]
amd64 = sys.argv[4:] == ["amd64"]
folder = os.path.join(out, name)
shutil.rmtree(folder, ignore_errors=True)
rng = random.Random(7)


def write(rel, data):
    path = os.path.join(folder, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


if kind == "nsis":
    shutil.copytree("/usr/share/nsis", folder)
elif kind == "200":
    for i in range(200):
        d = ["Docs", "Data", "Bin", "Lib"][i % 4]
        if i % 2:
            write("%s/f%03d.txt" % (d, i), "".join(
                "line %d of file %d: the quick brown fox\r\n" % (n, i) for n in range(500)).encode())
        else:
            write("%s/f%03d.bin" % (d, i), rng.randbytes(70000))
else:
    for i in range(int(kind)):
        write("d%03d/f%05d.txt" % (i // 100, i), ("file %d\r\n" % i).encode() * 200)
write(name + ".exe", b"MZ" + rng.randbytes(4000))

nsi = ["Target amd64-unicode"] if amd64 else []
nsi += ["SetCompressor /SOLID lzma", "OutFile %s-nsis.exe" % name,
        "InstallDir C:\\Bench\\%s-nsis" % name, "RequestExecutionLevel admin", "Section",
        "SetOutPath $INSTDIR", "File /r %s\\*.*" % name,
        "WriteUninstaller $INSTDIR\\uninstall.exe",
        'WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s-nsis" '
        '"DisplayName" "%s"' % (name, name),
        'CreateShortCut "$SMPROGRAMS\\%s-nsis.lnk" "$INSTDIR\\%s.exe"' % (name, name),
        "SectionEnd", "Section Uninstall", "RMDir /r $INSTDIR", "SectionEnd"]
with open(os.path.join(out, name + ".nsi"), "w") as f:
    f.write("\n".join(nsi) + "\n")
