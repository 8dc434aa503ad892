# Makes the installation benchmark's package: 200 files, about 9 MB, text
# and binary, in four directories, as setup.dat (flat members, as scripts
# name them), setup.ini, and an NSIS script installing the same files.
# Usage: bench_install.py OUTDIR [amd64]
import os
import random
import sys
import zipfile

out = sys.argv[1]
payload = os.path.join(out, "payload")
dirs = ["Docs", "Data", "Bin", "Lib"]
rng = random.Random(7)
files = []
for i in range(200):
    d = dirs[i % 4]
    os.makedirs(os.path.join(payload, d), exist_ok=True)
    if i % 2:
        name = "f%03d.txt" % i
        data = "".join("line %d of file %d: the quick brown fox\r\n" % (n, i)
                       for n in range(500)).encode()
    else:
        name = "f%03d.bin" % i
        data = bytes(rng.getrandbits(8) for _ in range(70000))
    with open(os.path.join(payload, d, name), "wb") as f:
        f.write(data)
    files.append((d, name))

with zipfile.ZipFile(os.path.join(out, "setup.dat"), "w", zipfile.ZIP_DEFLATED) as z:
    for d, name in files:
        z.write(os.path.join(payload, d, name), name)

lines = ["[MAIN]", "AppName=BenchApp", "InstPath=C:\\Bench\\Ours", "FolderName=BenchApp",
         "DiskSpace=20000000", "[GROUPS]"]
for k, d in enumerate(dirs):
    lines += ["Name%d=%s" % (k, d), "Dir%d=<application path>\\%s" % (k, d)]
lines.append("[FILES]")
for i, (d, name) in enumerate(files):
    lines += ["Name%d=%s*" % (i, name), "Group%d=%s*" % (i, d), "ShortCut%d=No*" % i,
              "Descritpion%d=%s*" % (i, name)]
with open(os.path.join(out, "setup.ini"), "w", newline="\r\n") as f:
    f.write("\n".join(lines) + "\n")

# Where only 64-bit programs run, the reference is built for 64-bit too, as
# our setup.exe then is.
nsi = ["Target amd64-unicode"] if sys.argv[2:] == ["amd64"] else []
nsi += ["SetCompressor /SOLID lzma", "OutFile reference.exe", "InstallDir C:\\Bench\\Reference",
       "RequestExecutionLevel admin", "Section"]
for d in dirs:
    nsi += ["SetOutPath $INSTDIR\\" + d, "File payload\\%s\\*.*" % d]
nsi.append("SectionEnd")
with open(os.path.join(out, "reference.nsi"), "w") as f:
    f.write("\n".join(nsi) + "\n")
