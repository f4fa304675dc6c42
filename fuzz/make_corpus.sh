#!/usr/bin/env bash
# Made the committed seed corpora in fuzz/seeds: small archives of every format, built with the
# same tools the tests use, holding folders, links, hostile names and legacy-encoded names. The
# seeds are committed so that every machine fuzzes from the same inputs.
# Usage: fuzz/make_corpus.sh OUTDIR   (one folder per target inside OUTDIR)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath -m "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"/{zip,rar,7z,tar,gz,bz2,xz,cpio,tar_header,charset,bz2_blocks}

cd "$work"
mkdir -p tree/sub/deeper
printf 'hello\n' > tree/a.txt
printf 'second file\n%.0s' {1..40} > tree/sub/b.txt
head -c 3000 /dev/zero > tree/sub/deeper/zeros.bin
ln -s ../a.txt tree/sub/link

(cd tree && zip -qry "$out/zip/tree.zip" . && zip -q0 "$out/zip/stored.zip" a.txt)
(cd tree && zip -qr -P secret "$out/zip/encrypted.zip" a.txt)
(cd tree && 7zz a -bd -y "$out/7z/tree.7z" . >/dev/null && 7zz a -bd -y -mx=0 "$out/7z/stored.7z" a.txt >/dev/null)
# Each file a solid block of its own: extraction shares the blocks out to workers.
(cd tree && 7zz a -bd -y -ms=off "$out/7z/blocks.7z" . >/dev/null)
# A solid block whose dictionary resets every 16 KB: it is decoded in pieces.
seq 1 12000 > pieces.txt && 7zz a -bd -y -mmt=2 -m0=lzma2:c=16k "$out/7z/pieces.7z" pieces.txt >/dev/null
(cd tree && rar a -idq -r -ol "$out/rar/tree.rar" a.txt sub && rar a -idq -hpsecret "$out/rar/headers.rar" a.txt)
(cd tree && tar --format=gnu -cf "$out/tar/gnu.tar" . && tar --format=pax -cf "$out/tar/pax.tar" . \
  && tar --format=ustar -cf "$out/tar/ustar.tar" a.txt sub/b.txt)
# Five islands in holes: an old GNU header holds four spans, so its map goes on in an extension
# record; pax 1.0 keeps the map in the data.
mkdir -p sparse
/usr/bin/python3 -c 'import sys
f = open("sparse/islands.bin", "wb")
for i in range(5): f.seek(i * 65536); f.write(b"island")
f.truncate(5 * 65536)'
tar -S --format=gnu -b1 -cf "$out/tar/sparse_gnu.tar" -C sparse islands.bin
tar -S --format=pax --sparse-version=1.0 -b1 -cf "$out/tar/sparse_pax.tar" -C sparse islands.bin
gzip -c tree/a.txt > "$out/gz/plain.gz"
gzip -c "$out/tar/ustar.tar" > "$out/gz/tree.tar.gz"
bzip2 -c tree/a.txt > "$out/bz2/plain.bz2"
bzip2 -c "$out/tar/ustar.tar" > "$out/bz2/tree.tar.bz2"
xz -c "$out/tar/ustar.tar" > "$out/xz/tree.tar.xz"
xz -c tree/a.txt > "$out/xz/plain.xz"
zstd -q -c "$out/tar/ustar.tar" > "$out/xz/tree.tar.zst"
lz4 -q -c tree/sub/b.txt > "$out/xz/plain.lz4"
lzip -c tree/sub/b.txt > "$out/xz/plain.lz"
compress -c "$out/tar/ustar.tar" > "$out/xz/tree.tar.Z"
(cd tree && find . | cpio --quiet -o -H newc > "$out/cpio/newc.cpio" \
  && find . | cpio --quiet -o -H odc > "$out/cpio/odc.cpio" \
  && find . -type f | cpio --quiet -o -H bin > "$out/cpio/bin.cpio" \
  && ar rc "$out/cpio/members.ar" a.txt sub/b.txt \
  && gcab -c "$out/cpio/tree.cab" a.txt sub/b.txt)
/usr/bin/python3 "$here/../tests/data/archive_maker.py" lha "$out/cpio/tree.lzh" tree
# Several blocks of 100 kB in two streams, small enough for the fuzzers' input limit.
seq 1 40000 > "$work/numbers.txt"
{ bzip2 -1 -c "$work/numbers.txt"; bzip2 -c tree/a.txt; } > "$out/bz2_blocks/two_streams.bz2"

/usr/bin/python3 - "$out" <<'PY'
import io, sys, tarfile, zipfile
out = sys.argv[1]
hostile = ["../escape.txt", "/abs.txt", "a/../../up.txt", "..\\back.txt", "ok/inner.txt"]
with zipfile.ZipFile(f"{out}/zip/hostile.zip", "w") as z:
    for n in hostile:
        z.writestr(n, b"x")
    z.writestr("caf\u00e9.txt", b"utf8")
with tarfile.open(f"{out}/tar/hostile.tar", "w", format=tarfile.GNU_FORMAT) as t:
    for n in hostile:
        info = tarfile.TarInfo(n); info.size = 1
        t.addfile(info, io.BytesIO(b"x"))
    link = tarfile.TarInfo("out"); link.type = tarfile.SYMTYPE; link.linkname = "/tmp"
    t.addfile(link)
    through = tarfile.TarInfo("out/through.txt"); through.size = 1
    t.addfile(through, io.BytesIO(b"x"))
    hard = tarfile.TarInfo("hard"); hard.type = tarfile.LNKTYPE; hard.linkname = "ok/inner.txt"
    t.addfile(hard)
    for kind in (tarfile.FIFOTYPE, tarfile.CHRTYPE, tarfile.BLKTYPE):
        dev = tarfile.TarInfo("dev%s" % kind.decode()); dev.type = kind
        t.addfile(dev)
with tarfile.open(f"{out}/tar/pax_long.tar", "w", format=tarfile.PAX_FORMAT) as t:
    info = tarfile.TarInfo("d/" + "n" * 150); info.size = 2; info.mtime = 2**34
    info.pax_headers = {"path": "d/" + "p" * 120, "size": "2"}
    t.addfile(info, io.BytesIO(b"xy"))
for name in ("gnu", "pax", "hostile", "pax_long", "sparse_gnu"):
    raw = open(f"{out}/tar/{name}.tar", "rb").read()
    open(f"{out}/tar_header/{name}", "wb").write(raw[:1536])
names = {
    "cp437": ("cp437", ["R\u00e9sum\u00e9.txt", "\u00c7a va/na\u00efve.doc"]),
    "shift_jis": ("shift_jis", ["\u65e5\u672c\u8a9e.txt", "\u30d5\u30a9\u30eb\u30c0/\u8cc7\u6599.xls"]),
    "gbk": ("gbk", ["\u4e2d\u6587\u6587\u4ef6.txt", "\u6587\u4ef6\u5939/\u56fe\u7247.jpg"]),
    "koi8_r": ("koi8_r", ["\u041f\u0440\u0438\u0432\u0435\u0442.txt", "\u043f\u0430\u043f\u043a\u0430/\u0444\u0430\u0439\u043b"]),
    "utf8": ("utf-8", ["caf\u00e9.txt", "\u00fcber/stra\u00dfe.txt"]),
}
for selector, (label, (codec, lines)) in enumerate(names.items()):
    data = bytes([selector]) + b"\n".join(l.encode(codec) for l in lines)
    open(f"{out}/charset/{label}", "wb").write(data)
PY
