#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: seeds/<target>/ from the 68000
programs the build made, test modules for the test players, and the shared
sample songs when they are there. Usage: make_seeds.py SEEDS M68K_DIR SHARED_MODULES"""
import os
import shutil
import struct
import sys

seeds, m68k, shared = sys.argv[1:4]
players = os.path.join(m68k, "tests", "players")


def put(target, name, data):
    folder = os.path.join(seeds, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def executables(folder):
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if os.path.isfile(path) and "." not in name:
            with open(path, "rb") as f:
                data = f.read()
            if data[:4] == struct.pack(">I", 0x3F3):
                yield name, data


def test_module(magic, title=b""):
    return (magic + title.ljust(12, b"\0")[:12]).ljust(128, b"\0")


for name, data in executables(players):
    put("fuzz_hunk", name, data)
    put("fuzz_player", name, data)
# A module in front of each player's own bytes, so that checks that look at the
# data have something to accept.
for magic in [b"VTS1", b"VTS2", b"VTS3", b"VTS4", b"VTS5", b"VTS6", b"VTS7", b"EASO", b"VTBI", b"VTBL",
              b"VTBM", b"VTBG"]:
    put("fuzz_plugin", magic.decode().lower() + ".mod", test_module(magic, b"Seed"))
with open(os.path.join(players, "vts_custom"), "rb") as f:
    put("fuzz_plugin", "vts_custom", f.read())
# The shared songs of every format our players play, the small ones (libFuzzer
# takes its inputs whole).
if os.path.isdir(shared):
    for folder, _, names in sorted(os.walk(shared)):
        if os.path.basename(folder) == "reference":
            continue
        for name in sorted(names):
            path = os.path.join(folder, name)
            if not name.endswith(".md") and os.path.getsize(path) <= 65536:
                shutil.copy(path, os.path.join(seeds, "fuzz_plugin", name))
for archive in ["xmp-varno.dat", "xmp-varno.env"]:
    path = os.path.join(players, archive)
    if os.path.exists(path):
        with open(path, "rb") as f:
            put("fuzz_catalogue", archive, f.read())
open(os.path.join(seeds, "stamp"), "w").close()
