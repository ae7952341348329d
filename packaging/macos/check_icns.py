"""Draws the bundle icon with the tool and checks the .icns file as the Finder
reads it: the container's lengths, and in every entry a PNG of the size its
type stands for.

    check_icns.py TOOL ICON.svg
"""
import os
import struct
import subprocess
import sys
import tempfile

SIZES = {b"icp4": 16, b"icp5": 32, b"icp6": 64, b"ic07": 128, b"ic08": 256, b"ic09": 512,
         b"ic10": 1024, b"ic11": 32, b"ic12": 64, b"ic13": 256, b"ic14": 512}
PNG = b"\x89PNG\r\n\x1a\n"


def main(path):
    data = open(path, "rb").read()
    assert data[:4] == b"icns", "not an icns file"
    assert struct.unpack(">I", data[4:8])[0] == len(data), "container length"
    seen, offset = set(), 8
    while offset < len(data):
        kind, length = data[offset:offset + 4], struct.unpack(">I", data[offset + 4:offset + 8])[0]
        assert length > 8 and offset + length <= len(data), f"{kind!r}: length {length}"
        payload = data[offset + 8:offset + length]
        assert payload[:8] == PNG and payload[12:16] == b"IHDR", f"{kind!r}: not a PNG"
        width, height = struct.unpack(">II", payload[16:24])
        assert (width, height) == (SIZES[kind],) * 2, f"{kind!r}: {width}x{height}"
        seen.add(kind)
        offset += length
    assert seen == set(SIZES), f"missing {sorted(set(SIZES) - seen)}"
    print(f"{path}: {len(seen)} PNG entries, {len(data)} bytes")


with tempfile.TemporaryDirectory() as folder:
    out = os.path.join(folder, "Trayvane.icns")
    subprocess.run([sys.argv[1], sys.argv[2], out], check=True)
    main(out)
