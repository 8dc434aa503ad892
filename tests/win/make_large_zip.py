# An archive of one member, zeros.bin: 1 GiB of zeros in 1 MB of deflate
# data, for runs that must still be extracting when they are cancelled.
# One flushed chunk of deflate data repeated makes it at once.
import struct
import sys
import zlib

chunk_size, chunks = 1 << 24, 64
c = zlib.compressobj(1, zlib.DEFLATED, -15)
chunk = c.compress(bytes(chunk_size)) + c.flush(zlib.Z_FULL_FLUSH)
data = chunk * chunks + b"\x03\x00"
crc = 0
for _ in range(chunks):
    crc = zlib.crc32(bytes(chunk_size), crc)
size, name = chunk_size * chunks, b"zeros.bin"
local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, 0, 0x21, crc, len(data), size,
                    len(name), 0) + name
central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 8, 0, 0x21, crc, len(data),
                      size, len(name), 0, 0, 0, 0, 0, 0) + name
end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central), len(local) + len(data), 0)
with open(sys.argv[1], "wb") as f:
    f.write(local + data + central + end)
