#!/usr/bin/python3
"""Generates the archive benchmark's two trees from a fixed seed, and packs them with the peer
tools. Usage: make_data.py DATA_DIR. KIST_BENCH_SCALE (default 1.0) scales the number of small
files and the size of the large ones, for quick runs. Existing outputs are kept."""

import os
import random
import subprocess
import sys
import zipfile

SEED = 20261206
SMALL_FILES = 20000
SMALL_FOLDERS = 500
LARGE_FILES = 4
LARGE_SIZE = 100 * 1024 * 1024
POOL_SIZE = 32 * 1024 * 1024
HUGE_ENTRIES = 1000000


def text_pool(rng):
    """Text-like bytes: words from a fixed vocabulary, in lines of varying length."""
    syllables = ["ka", "to", "ri", "ne", "sa", "mu", "lo", "pe", "di", "ga", "shi", "ven", "tor",
                 "al", "ex", "um", "or", "qui", "bra", "sto"]
    vocab = ["".join(rng.choices(syllables, k=rng.randint(1, 4))) for _ in range(6000)]
    vocab += [",", ".", "\n", "\n", "0", "42", "1999"]
    words = rng.choices(vocab, k=POOL_SIZE // 5)
    return " ".join(words).encode()[:POOL_SIZE]


def write_small_tree(root, rng, pool, scale):
    count = max(1, int(SMALL_FILES * scale))
    folders = max(1, int(SMALL_FOLDERS * scale))
    paths = []
    for index in range(folders):
        depth = rng.randint(1, 3)
        parts = [f"dir{index:03d}"] + [f"sub{rng.randint(0, 9)}" for _ in range(depth - 1)]
        paths.append(os.path.join(root, *parts))
    for index in range(count):
        folder = paths[index % folders]
        os.makedirs(folder, exist_ok=True)
        # Log-uniform between 1 and 64 KB, as real small files spread.
        size = int(1024 * 64 ** rng.random())
        start = rng.randrange(0, len(pool) - size)
        with open(os.path.join(folder, f"file{index:05d}.txt"), "wb") as out:
            out.write(pool[start:start + size])


def write_large_tree(root, rng, pool, scale):
    os.makedirs(root, exist_ok=True)
    size = max(1024 * 1024, int(LARGE_SIZE * scale))
    for index in range(LARGE_FILES):
        with open(os.path.join(root, f"large{index}.bin"), "wb") as out:
            if index % 2 == 0:
                written = 0
                while written < size:
                    piece = min(size - written, rng.randint(65536, 1 << 20))
                    start = rng.randrange(0, len(pool) - piece)
                    out.write(pool[start:start + piece])
                    written += piece
            else:
                out.write(rng.randbytes(size))


def pack(data, tree):
    """One archive per peer format, each holding the tree's folder at its top."""
    commands = {
        "zip": ["zip", "-q", "-r", "{out}", tree],
        "tar": ["tar", "-cf", "{out}", tree],
        "tar.gz": ["tar", "-czf", "{out}", tree],
        "tar.bz2": ["tar", "-cjf", "{out}", tree],
        "tar.zst": ["tar", "--zstd", "-cf", "{out}", tree],
        # The fastest presets keep generation short on a shared machine; extraction runs the
        # same decoders (LZMA2, RAR5) as at the default levels.
        "tar.xz": ["tar", "-I", "xz -1", "-cf", "{out}", tree],
        "7z": ["7zz", "a", "-bd", "-bso0", "-mx=1", "{out}", tree],
        # 7-Zip's default level, as most 7z archives come.
        "default.7z": ["7zz", "a", "-bd", "-bso0", "{out}", tree],
        "rar": ["rar", "a", "-r", "-idq", "-m1", "{out}", tree],
        # The tools' default settings, as users' archives mostly come: xz -6 in one block, RAR's
        # normal method, and a solid RAR.
        "default.tar.xz": ["tar", "-cJf", "{out}", tree],
        "default.rar": ["rar", "a", "-r", "-idq", "{out}", tree],
        "solid.rar": ["rar", "a", "-r", "-idq", "-s", "{out}", tree],
    }
    for extension, command in commands.items():
        out = os.path.join(data, f"{tree}.{extension}")
        if os.path.exists(out):
            continue
        partial = out + ".part." + extension
        subprocess.run([partial if part == "{out}" else part for part in command], cwd=data,
                       check=True)
        os.rename(partial, out)


def write_huge_zip(out, rng, count):
    """A zip of many stored, empty or tiny files in a tree of folders, as a source tree or a photo
    library gives: 2 to 4 levels, up to a few hundred files per folder, folder entries too, dates
    spread over ten years."""
    partial = out + ".part"
    written = 0

    def add(name, data):
        nonlocal written
        date = (rng.randint(2015, 2024), rng.randint(1, 12), rng.randint(1, 28), rng.randint(0, 23),
                rng.randint(0, 59), 2 * rng.randint(0, 29))
        archive.writestr(zipfile.ZipInfo(name, date_time=date), data)
        written += 1

    with zipfile.ZipFile(partial, "w", zipfile.ZIP_STORED) as archive:
        top = 0
        while written < count:
            folder = f"huge/project{top:04d}"
            for sub in range(rng.randint(1, 12)):
                if written >= count:
                    break
                inner = f"{folder}/module{sub:02d}"
                if rng.random() < 0.5:
                    inner += f"/src{rng.randint(0, 3)}"
                add(inner + "/", b"")
                for index in range(min(rng.randint(1, 300), count - written)):
                    add(f"{inner}/file{index:03d}_{rng.randrange(16 ** 6):06x}.txt",
                        b"x" * rng.randint(0, 16))
            top += 1
    os.rename(partial, out)


def main():
    data = os.path.abspath(sys.argv[1])
    scale = float(os.environ.get("KIST_BENCH_SCALE", "1.0"))
    os.makedirs(data, exist_ok=True)
    rng = random.Random(SEED)
    pool = text_pool(rng)
    for tree, writer in (("small", write_small_tree), ("large", write_large_tree)):
        root = os.path.join(data, tree)
        if not os.path.exists(root):
            writer(root + ".part", random.Random(f"{SEED}-{tree}"), pool, scale)
            os.rename(root + ".part", root)
        pack(data, tree)
    huge = os.path.join(data, "huge.zip")
    if not os.path.exists(huge):
        write_huge_zip(huge, random.Random(f"{SEED}-huge"), HUGE_ENTRIES)


if __name__ == "__main__":
    main()
