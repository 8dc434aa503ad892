# The archive of the engine's extraction tests: a good member, one whose
# compressed data is damaged, one stored as "../x.txt", one in a folder, and
# one of 3 MB (long enough to be stopped while it is written), and one named
# by an older tool.
import random
import sys
import zipfile

out = sys.argv[1]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("good.txt", "new contents\r\n" * 200)
    z.writestr("damaged.txt", "".join("line %04d of a member\r\n" % i for i in range(400)))
    z.writestr("../x.txt", "outside\r\n")
    z.writestr("sub/deep.txt", "deep\r\n")
    z.writestr("deep/" + "d" * 60 + ".txt", "deep file\r\n")
    z.writestr("big.bin", random.Random(5).randbytes(3 << 20))
    # As a Windows ZIP tool stores "café.txt": OEM bytes, a FAT host, no UTF-8 flag.
    old = zipfile.ZipInfo("caf\u00e9.txt")
    old.create_system = 0
    z.writestr(old, "old tool\r\n")
data = bytearray(open(out, "rb").read())
name = data.find(b"damaged.txt")  # the local header's name; no extra field follows
data[name + len("damaged.txt") + 20] ^= 0x55
open(out, "wb").write(data)
