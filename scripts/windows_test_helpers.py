#!/usr/bin/env python3
"""Helpers of scripts/windows-test.sh.

  windows_test_helpers.py same-rows A.sqlite B.sqlite
      Compares every table of two site databases row for row, leaving out the
      server's own receive times (the ReceivedAt columns); prints a line per
      table and exits 1 when any differs or a table is empty in both.
  windows_test_helpers.py bmp-to-png IN.bmp OUT.png
      Converts an uncompressed 24-bit BMP to PNG.
"""
import sqlite3
import struct
import sys
import zlib


def table_rows(path):
    db = sqlite3.connect(path)
    tables = {}
    for (name,) in db.execute("SELECT name FROM sqlite_master WHERE type = 'table'"):
        columns = [c[1] for c in db.execute(f'PRAGMA table_info("{name}")')
                   if c[1] != "ReceivedAt"]
        select = ", ".join(f'"{c}"' for c in columns)
        tables[name] = sorted(map(repr, db.execute(f'SELECT {select} FROM "{name}"')))
    return tables


def same_rows(a_path, b_path):
    a, b = table_rows(a_path), table_rows(b_path)
    ok = set(a) == set(b) and len(a) > 0
    for name in sorted(set(a) | set(b)):
        rows_a, rows_b = a.get(name), b.get(name)
        same = rows_a == rows_b
        ok = ok and same
        print(f"{name}: {len(rows_a or [])} rows here, {len(rows_b or [])} there, "
              f"{'same' if same else 'DIFFERENT'}")
        if not same:
            for row in sorted(set(rows_a or []) - set(rows_b or []))[:3]:
                print(f"  only here:  {row}")
            for row in sorted(set(rows_b or []) - set(rows_a or []))[:3]:
                print(f"  only there: {row}")
    if not any(a.values()):
        ok = False
    return 0 if ok else 1


def bmp_to_png(bmp_path, png_path):
    data = open(bmp_path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit(f"{bmp_path}: {bits}-bit BMP, only 24-bit is read")
    stride = (width * 3 + 3) & ~3
    raw = bytearray()
    rows = range(abs(height) - 1, -1, -1) if height > 0 else range(-height)
    for y in rows:
        row = data[offset + y * stride: offset + y * stride + width * 3]
        raw.append(0)
        for x in range(0, len(row), 3):
            raw += bytes((row[x + 2], row[x + 1], row[x]))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    with open(png_path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "same-rows":
        sys.exit(same_rows(sys.argv[2], sys.argv[3]))
    if len(sys.argv) == 4 and sys.argv[1] == "bmp-to-png":
        sys.exit(bmp_to_png(sys.argv[2], sys.argv[3]))
    sys.exit(__doc__)
