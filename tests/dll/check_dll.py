#!/usr/bin/env python3
"""Usage: check_dll.py Xamovel.dll plugin/commands.tbl VERSION

Checks a built DLL's machine, exports, imports (MinGW, or Visual Studio with the static C runtime
when the linker's Rich header is there), the command table in string-table blocks 7..13 and the
version resource. Exits non-zero and names every problem found."""
import struct
import sys


class PE:
    def __init__(self, data):
        self.b = data
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        self.machine, nsections = struct.unpack_from("<HH", data, pe + 4)
        opt_size = struct.unpack_from("<H", data, pe + 20)[0]
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        dirs = opt + (96 if self.magic == 0x10B else 112)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = [struct.unpack_from("<IIII", data, opt + opt_size + 40 * i + 8) for i in range(nsections)]

    def u32(self, o):
        return struct.unpack_from("<I", self.b, o)[0]

    def off(self, rva):
        for vsize, va, raw_size, raw in self.sections:
            if va <= rva < va + max(vsize, raw_size):
                return raw + rva - va
        raise ValueError("address %#x outside every section" % rva)

    def cstr(self, rva):
        o = self.off(rva)
        return self.b[o:self.b.index(b"\0", o)].decode("latin-1")

    def exports(self):
        if not self.dirs[0][0]:
            return []
        e = self.off(self.dirs[0][0])
        names = self.off(self.u32(e + 32))
        return [self.cstr(self.u32(names + 4 * i)) for i in range(self.u32(e + 24))]

    def imports(self):
        out, o = [], self.off(self.dirs[1][0]) if self.dirs[1][0] else None
        while o is not None and self.u32(o + 12):
            out.append(self.cstr(self.u32(o + 12)))
            o += 20
        return out

    def resources(self, rtype):
        """[(id, language, offset, size)] of every resource of a numeric type, by id."""
        rva = self.dirs[2][0]
        if not rva:
            return []
        base = self.off(rva)

        def entries(d):
            named, ids = struct.unpack_from("<HH", self.b, d + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.b, d + 16 + 8 * i)
                yield (None if name & 0x80000000 else name), target & 0x7FFFFFFF

        found = []
        for t, tdir in entries(base):
            if t != rtype:
                continue
            for ident, idir in entries(base + tdir):
                for lang, leaf in entries(base + idir):
                    data_rva, size = struct.unpack_from("<II", self.b, base + leaf)
                    found.append((ident, lang, self.off(data_rva), size))
        return sorted(found, key=lambda r: r[0] or 0)


def version_strings(data):
    """The fixed file version (a, b, c, d) and the named text values of a VERSIONINFO resource."""
    fixed = ()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at >= 0:
        ms, ls = struct.unpack_from("<II", data, at + 8)
        fixed = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    text = data.decode("utf-16-le", "replace")  # every node is 4-byte aligned
    strings = {}
    for key in ("ProductName", "FileDescription", "FileVersion", "ProductVersion"):
        if key + "\0" in text:  # the key, its NUL and padding, then the value up to its NUL
            strings[key] = text.split(key + "\0", 1)[1].lstrip("\0").split("\0")[0]
    return fixed, strings


def rows_of(stream):
    return [p.decode("ascii") for p in stream.split(b"\0") if p]


def check(dll_path, table_path, version):
    rows = [line.rstrip("\r\n") for line in open(table_path, encoding="ascii") if line.strip()]
    pe = PE(open(dll_path, "rb").read())
    msvc = b"Rich" in pe.b[0x40:pe.u32(0x3C)]
    problems = []
    if (pe.machine, pe.magic) != (0x14C, 0x10B):
        problems.append("not a 32-bit x86 image")
    want = {r.split("%")[2] for r in rows} | {"?ReceiveCoreDataPtr@@YAXPAX@Z"}
    have = pe.exports()
    if sorted(have) != sorted(want):
        problems.append("exports differ: missing %s, extra %s"
                        % (sorted(want - set(have))[:5], sorted(set(have) - want)[:5]))
    imports = sorted(i.lower() for i in pe.imports())
    if imports != (["kernel32.dll"] if msvc else ["kernel32.dll", "msvcrt.dll"]):
        problems.append("imports %s (%s build)" % (imports, "Visual Studio" if msvc else "MinGW"))
    versions = pe.resources(16)
    if len(versions) != 1:
        problems.append("%d version resources" % len(versions))
    else:
        _, _, o, n = versions[0]
        fixed, strings = version_strings(pe.b[o:o + n])
        if not strings.get("ProductName", "").startswith("Xamovel") or not strings.get("FileDescription"):
            problems.append("product name %r, description %r" % (strings.get("ProductName"),
                                                                strings.get("FileDescription")))
        parts = tuple(int(p) for p in (version + ".0.0.0").split(".")[:4])
        if strings.get("FileVersion") != version or strings.get("ProductVersion") != version or fixed != parts:
            problems.append("version %r / %r / %s, expected %s" % (strings.get("FileVersion"),
                            strings.get("ProductVersion"), fixed, version))
    blocks = pe.resources(6)
    if [b[:2] for b in blocks] != [(i, 1033) for i in range(7, 14)]:
        problems.append("string-table blocks (id, language) %s" % [b[:2] for b in blocks])
    if blocks:
        by_block = b"".join(pe.b[o:o + n] for _, _, o, n in blocks)
        first = blocks[0][2]
        as_stream = pe.b[first:first + sum(n for _, _, _, n in blocks)]
        for how, stream in (("block by block", by_block), ("as one stream", as_stream)):
            if rows_of(stream) != rows:
                problems.append("rows read %s differ from the table" % how)
        for ident, _, o, n in blocks:
            if ident >= 11 and any(pe.b[o:o + n]):
                problems.append("block %d holds more than NUL bytes" % ident)
            if ident <= 10 and not rows_of(pe.b[o:o + n]):
                problems.append("block %d holds no row" % ident)
    for p in problems:
        print(p)
    print("%d exports, %d imports, %d string blocks: %s"
          % (len(have), len(imports), len(blocks), "ok" if not problems else "%d problems" % len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(check(*sys.argv[1:]))
