#!/usr/bin/env python3
"""Makes and edits the archives the tests need that no tool writes as they are.

    archive_maker.py zeros ARCHIVE SIZE FORMAT     one entry of SIZE zero bytes (zip, tar, tgz, 7z, rar, gz, bz2)
    archive_maker.py claim-zip-size ARCHIVE SIZE   rewrites every entry's uncompressed size in a zip
    archive_maker.py inspect-zip ARCHIVE 0|1       prints the entries (and checks the data) as JSON
    archive_maker.py rar-edit ARCHIVE NAMES SIZES  renames / resizes entries of a RAR5 archive
                                                   (NAMES and SIZES: JSON objects keyed by name)
    archive_maker.py lha ARCHIVE FOLDER            an LHA archive (level-2 headers, stored: -lh0-)
                                                   of the folder's tree
    archive_maker.py many-zip ARCHIVE COUNT        a stored zip of COUNT empty files, a thousand to a
                                                   folder dNNN/, a hundred to its subfolder sN/
    archive_maker.py rpm ARCHIVE FOLDER            an RPM package (rpmbuild, offline) whose payload
                                                   holds the folder's items at its top

Test scripts import add() and unicode_path() to write zip entries exactly as given, and rar4()
for RAR4 archives whose names are raw bytes.
"""
import bz2, gzip, json, os, struct, subprocess, sys, tarfile, tempfile, zipfile, zlib


class RawInfo(zipfile.ZipInfo):
    # zipfile resets the flags when it starts writing; the name's flag is added back here.
    def _encodeFilenameFlags(self):
        return self.raw_name, self.flag_bits | self.name_flag


def add(z, name, data=b'', mode=0o100644, date=(2001, 2, 3, 4, 5, 6),
        method=zipfile.ZIP_DEFLATED, utf8=None, extra=b'', attr=None):
    """One entry whose name (str or raw bytes) is stored exactly as given, with the
    language-encoding flag only when utf8 is true (default: for non-ASCII str names) and the
    Unix mode in the external attributes (or attr)."""
    raw = name if isinstance(name, bytes) else name.encode('utf-8')
    info = RawInfo(raw.decode('latin-1'), date)
    info.raw_name = raw
    if utf8 is None:
        utf8 = not isinstance(name, bytes) and not name.isascii()
    info.name_flag = 0x800 if utf8 else 0
    info.external_attr = mode << 16 if attr is None else attr
    info.compress_type = method
    info.extra = extra
    z.writestr(info, data)


def unicode_path(raw, text):
    """An Info-ZIP Unicode Path extra field naming the entry whose raw name is raw."""
    name = text.encode('utf-8')
    return struct.pack('<HHBI', 0x7075, 5 + len(name), 1, zlib.crc32(raw)) + name


def zeros(path, size, fmt):
    chunk = bytes(1 << 20)
    def fill(out):
        left = size
        while left > 0:
            out.write(chunk[:min(left, len(chunk))])
            left -= len(chunk)
    if fmt == 'zip':
        with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z, z.open('zeros.bin', 'w') as out:
            fill(out)
    elif fmt in ('tar', 'tgz', '7z', 'rar'):
        with tempfile.TemporaryDirectory() as folder:
            plain = os.path.join(folder, 'zeros.bin')
            with open(plain, 'wb') as out:
                fill(out)
            if fmt == '7z':
                subprocess.run(['7zz', 'a', '-bd', '-bso0', path, plain], check=True)
            elif fmt == 'rar':
                subprocess.run(['rar', 'a', '-s', '-ep', '-idq', path, plain], check=True)
            else:
                with tarfile.open(path, 'w:gz' if fmt == 'tgz' else 'w') as t:
                    t.add(plain, 'zeros.bin')
    elif fmt == 'gz':
        with gzip.open(path, 'wb', compresslevel=1) as out:
            fill(out)
    else:
        with bz2.open(path, 'wb', compresslevel=1) as out:
            fill(out)


def claim_zip_size(path, size):
    data = bytearray(open(path, 'rb').read())
    for signature, offset in ((b'PK\x03\x04', 22), (b'PK\x01\x02', 24)):
        at = data.find(signature)
        while at >= 0:
            struct.pack_into('<I', data, at + offset, size & 0xFFFFFFFF)
            at = data.find(signature, at + 4)
    open(path, 'wb').write(data)


def read_vint(b, i):
    value = shift = 0
    while True:
        c = b[i]; i += 1
        value |= (c & 0x7f) << shift; shift += 7
        if not c & 0x80:
            return value, i

def vint(value):
    out = bytearray()
    while True:
        c = value & 0x7f; value >>= 7
        if not value:
            out.append(c); return bytes(out)
        out.append(c | 0x80)


def rar_edit(path, names, sizes):
    # Walks the blocks (CRC32, size, header, data) and rebuilds each file header with the new
    # name or unpacked size; the data areas are copied unchanged.
    data = open(path, 'rb').read()
    assert data[:8] == b'Rar!\x1a\x07\x01\x00', 'not a RAR5 archive'
    out = bytearray(data[:8])
    i = 8
    while i < len(data):
        size, j = read_vint(data, i + 4)
        end = j + size
        header = data[j:end]
        kind, k = read_vint(header, 0)
        flags, k = read_vint(header, k)
        data_size = 0
        if flags & 1:
            _, k = read_vint(header, k)
        if flags & 2:
            data_size, k = read_vint(header, k)
        if kind == 2:
            file_flags, k = read_vint(header, k)
            unpacked_at = k
            unpacked, k = read_vint(header, k)
            unpacked_end = k
            _, k = read_vint(header, k)
            k += 4 * bool(file_flags & 2) + 4 * bool(file_flags & 4)
            _, k = read_vint(header, k)
            _, k = read_vint(header, k)
            name_at = k
            length, k = read_vint(header, k)
            name = header[k:k + length].decode('utf-8')
            new_name = names.get(name, name).encode('utf-8')
            header = (header[:unpacked_at] + vint(sizes.get(name, unpacked)) +
                      header[unpacked_end:name_at] + vint(len(new_name)) + new_name +
                      header[k + length:])
        block = vint(len(header)) + header
        out += zlib.crc32(block).to_bytes(4, 'little') + block + data[end:end + data_size]
        i = end + data_size
    open(path, 'wb').write(out)


def rar4(path, host, entries):
    """Stored entries, given as (name bytes, text or None for a folder), made on host 0 (DOS),
    2 (Windows) or 3 (Unix)."""
    # rar 7 no longer writes RAR4, whose names were bytes in the code page of the system that
    # made them unless a Unicode name was added; this writes such headers with stored data.
    def block(kind, flags, body):
        head = struct.pack('<BHH', kind, flags, 7 + len(body)) + body
        return struct.pack('<H', zlib.crc32(head) & 0xFFFF) + head
    dos_time = (2001 - 1980) << 25 | 2 << 21 | 3 << 16 | 4 << 11 | 5 << 5 | 3
    out = b'Rar!\x1a\x07\x00' + block(0x73, 0, bytes(6))
    for name, text in entries:
        data = b'' if text is None else text.encode('utf-8')
        folder_flags, attr = (0x00E0, 0x10) if text is None else (0, 0x20)
        body = struct.pack('<IIBIIBBHI', len(data), len(data), host, zlib.crc32(data), dos_time,
                           20, 0x30, len(name), attr) + name
        out += block(0x74, 0x8000 | folder_flags, body) + data
    out += block(0x7B, 0x4000, b'')
    with open(path, 'wb') as f:
        f.write(out)


def many_zip(path, count):
    # Files in archive order fill one folder after the other, so a listing read in parts shows
    # new top folders with each part.
    with zipfile.ZipFile(path, 'w') as z:
        for i in range(count):
            z.writestr('d%03d/s%d/f%d.txt' % (i // 1000, i // 100 % 10, i), b'')


def crc16(data):
    """The CRC-16 of LHA (polynomial 0x8005, reflected)."""
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def lha(path, folder):
    """What no Debian tool writes without a Java runtime: an archive of level-2 headers whose
    data is stored, folders as "-lhd-" entries, with Unix modes and dates."""
    out = bytearray()
    for top, folders, files in os.walk(folder):
        folders.sort()
        relative = os.path.relpath(top, folder)
        parts = [] if relative == '.' else relative.split(os.sep)
        entries = [(name, False) for name in sorted(files)]
        if parts:
            entries.insert(0, (None, True))
        for name, is_folder in entries:
            full = top if is_folder else os.path.join(top, name)
            st = os.stat(full)
            data = b'' if is_folder else open(full, 'rb').read()
            # The common header comes first: the CRC of the whole header, taken with it zeroed.
            extended = struct.pack('<H', 5) + b'\x00\x00\x00'
            if not is_folder:
                extended += struct.pack('<H', 3 + len(name.encode())) + b'\x01' + name.encode()
            if parts:
                directory = b'\xff'.join(p.encode() for p in parts) + b'\xff'
                extended += struct.pack('<H', 3 + len(directory)) + b'\x02' + directory
            kind = 0o40000 if is_folder else 0o100000
            extended += struct.pack('<H', 5) + b'\x50' + struct.pack('<H', st.st_mode & 0o7777 | kind)
            extended += struct.pack('<H', 0)
            header = struct.pack('<H5sIIIBBHB', 24 + len(extended),
                                 b'-lhd-' if is_folder else b'-lh0-', len(data), len(data),
                                 int(st.st_mtime), 0x20, 2, crc16(data), ord('U'))
            header += extended
            crc = crc16(header)
            header = header[:27] + struct.pack('<H', crc) + header[29:]
            out += header + data
    out += b'\x00'
    open(path, 'wb').write(out)


def rpm(path, folder):
    """Builds a package of the folder's items with rpmbuild, leaving the files as they are: no
    stripping or compressing of man pages, no debug package."""
    folder = os.path.abspath(folder)
    items = '\n'.join('/' + name for name in sorted(os.listdir(folder)))
    with tempfile.TemporaryDirectory() as top:
        # rpmbuild's build recipe: what goes into the package and from where.
        recipe = os.path.join(top, 'a.recipe')
        with open(recipe, 'w') as out:
            out.write('Name: a\nVersion: 1\nRelease: 1\nSummary: a\nLicense: MIT\n'
                      'BuildArch: noarch\n%%description\na\n%%install\n'
                      'cp -a %s/. %%{buildroot}/\n%%files\n%s\n' % (folder, items))
        defines = {'_topdir': top, 'debug_package': '%{nil}', '__os_install_post': '%{nil}',
                   '_build_id_links': 'none', '_rpmfilename': 'a.rpm'}
        command = ['rpmbuild', '-bb', '--quiet']
        for name, value in defines.items():
            command += ['--define', name + ' ' + value]
        subprocess.run(command + [recipe], check=True, stdout=subprocess.DEVNULL)
        os.replace(os.path.join(top, 'RPMS', 'a.rpm'), path)


def inspect_zip(path, with_data):
    """Prints each entry as python's zipfile reads it, as JSON."""
    out = {"valid": False, "entries": []}
    with zipfile.ZipFile(path) as z:
        out["valid"] = (z.testzip() is None) if with_data else True
        for i in z.infolist():
            mode = i.external_attr >> 16
            data = z.read(i) if with_data else b""
            is_link = (mode & 0o170000) == 0o120000
            out["entries"].append({
                "name": i.filename, "mode": mode, "flags": i.flag_bits,
                "system": i.create_system, "method": i.compress_type, "size": i.file_size,
                "link": data.decode("utf-8") if is_link else "",
                "date": list(i.date_time)})
    print(json.dumps(out))


if __name__ == '__main__':
    command, path = sys.argv[1], sys.argv[2]
    if command == 'zeros':
        zeros(path, int(sys.argv[3]), sys.argv[4])
    elif command == 'claim-zip-size':
        claim_zip_size(path, int(sys.argv[3]))
    elif command == 'inspect-zip':
        inspect_zip(path, sys.argv[3] == '1')
    elif command == 'many-zip':
        many_zip(path, int(sys.argv[3]))
    elif command == 'lha':
        lha(path, sys.argv[3])
    elif command == 'rpm':
        rpm(path, sys.argv[3])
    elif command == 'rar-edit':
        rar_edit(path, json.loads(sys.argv[3]), json.loads(sys.argv[4]))
    else:
        sys.exit('unknown command ' + command)
