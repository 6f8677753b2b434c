#!/usr/bin/env python3
# Packs the committed PNGs into the Windows icon the programs carry (PNG
# entries, which Windows reads since Vista):
#   python3 png-to-ico.py org.ostrel.Ostrel-48.png org.ostrel.Ostrel-256.png > org.ostrel.Ostrel.ico
import struct
import sys

images = [open(name, 'rb').read() for name in sys.argv[1:]]
header = struct.pack('<HHH', 0, 1, len(images))
offset = len(header) + 16 * len(images)
entries = b''
for png in images:
    width, height = struct.unpack('>II', png[16:24])  # from the IHDR chunk
    entries += struct.pack('<BBBBHHII', width % 256, height % 256, 0, 0, 1, 32, len(png), offset)
    offset += len(png)
sys.stdout.buffer.write(header + entries + b''.join(images))
