#!/usr/bin/env python3
"""Reads the version resources of 64-bit PE files (DLLs, EXEs) and checks them.

    check_version_resource.py VERSION FILE...

Passes when the fixed file and product versions are VERSION (major.minor.patch,
fourth part 0), the strings FileVersion and ProductVersion are VERSION,
FileDescription and ProductName are not empty and OriginalFilename is the
file's own name. Prints each resource's strings; exits 1 naming every fault.
"""
import os
import struct
import sys


class Malformed(Exception):
    pass


def u16(data, at):
    if at + 2 > len(data):
        raise Malformed(f"read past the end at {at:#x}")
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    if at + 4 > len(data):
        raise Malformed(f"read past the end at {at:#x}")
    return struct.unpack_from("<I", data, at)[0]


def resource_section(pe):
    """The bytes of the resource directory's section and its RVA."""
    if pe[:2] != b"MZ":
        raise Malformed("no MZ header")
    header = u32(pe, 0x3C)
    if pe[header:header + 4] != b"PE\0\0":
        raise Malformed("no PE signature")
    coff = header + 4
    sections = u16(pe, coff + 2)
    optional_size = u16(pe, coff + 16)
    optional = coff + 20
    magic = u16(pe, optional)
    if magic != 0x20B:
        raise Malformed(f"not a PE32+ (64-bit) file: optional header magic {magic:#x}")
    if u32(pe, optional + 108) < 3:
        raise Malformed("no resource directory entry")
    rsrc_rva = u32(pe, optional + 112 + 2 * 8)
    if rsrc_rva == 0:
        raise Malformed("no resources")
    table = optional + optional_size
    for i in range(sections):
        s = table + 40 * i
        virtual_size, virtual_address, raw_size, raw_at = struct.unpack_from("<IIII", pe, s + 8)
        if virtual_address <= rsrc_rva < virtual_address + max(virtual_size, raw_size):
            start = raw_at + (rsrc_rva - virtual_address)
            end = raw_at + raw_size
            return pe[start:end], rsrc_rva
    raise Malformed("the resource directory lies in no section")


def first_entry(rsrc, directory, wanted=None):
    """Offset field of the first entry (or of the entry with id wanted)."""
    named = u16(rsrc, directory + 12)
    ids = u16(rsrc, directory + 14)
    for i in range(named + ids):
        entry = directory + 16 + 8 * i
        name, target = u32(rsrc, entry), u32(rsrc, entry + 4)
        if wanted is None or (i >= named and name == wanted):
            return target
    return None


def version_block(pe):
    rsrc, rsrc_rva = resource_section(pe)
    target = first_entry(rsrc, 0, 16)  # RT_VERSION
    if target is None:
        raise Malformed("no version resource")
    for _ in range(2):  # name, then language
        if not target & 0x80000000:
            raise Malformed("version resource directory is not nested as expected")
        target = first_entry(rsrc, target & 0x7FFFFFFF)
        if target is None:
            raise Malformed("empty version resource directory")
    if target & 0x80000000:
        raise Malformed("version resource leaf is a directory")
    data_rva, size = u32(rsrc, target), u32(rsrc, target + 4)
    start = data_rva - rsrc_rva
    if start < 0 or start + size > len(rsrc):
        raise Malformed("version resource data outside its section")
    return rsrc[start:start + size]


def align4(at):
    return (at + 3) & ~3


def read_node(block, at):
    """(key, value bytes, is_text, [children]) of the node at offset at."""
    length, value_length, kind = u16(block, at), u16(block, at + 2), u16(block, at + 4)
    end = at + length
    if length < 6 or end > len(block):
        raise Malformed(f"node at {at:#x} has a bad length {length}")
    key_at = at + 6
    key_end = key_at
    while u16(block, key_end) != 0:
        key_end += 2
    key = block[key_at:key_end].decode("utf-16-le")
    value_at = align4(key_end + 2)
    value_size = value_length * 2 if kind == 1 else value_length
    value = block[value_at:value_at + value_size]
    children = []
    child = align4(value_at + value_size)
    while child < end:
        node = read_node(block, child)
        children.append(node)
        child = align4(child + u16(block, child))
    return key, value, kind == 1, children


def text(value):
    return value.decode("utf-16-le").split("\0", 1)[0]


def read_version(pe):
    key, fixed, _, children = read_node(version_block(pe), 0)
    if key != "VS_VERSION_INFO":
        raise Malformed(f"root key is {key!r}")
    if len(fixed) < 52 or u32(fixed, 0) != 0xFEEF04BD:
        raise Malformed("no fixed file information")
    ms, ls, pms, pls = struct.unpack_from("<IIII", fixed, 8)
    numbers = {
        "file": (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF),
        "product": (pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF),
    }
    strings = {}
    for child_key, _, _, tables in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, _, entries in tables:
            for name, value, _, _ in entries:
                strings.setdefault(name, text(value))
    return numbers, strings


def faults(path, version, numbers, strings):
    expected = tuple(int(p) for p in version.split(".")) + (0,)
    found = []
    for kind in ("file", "product"):
        if numbers[kind] != expected:
            found.append(f"fixed {kind} version is {'.'.join(map(str, numbers[kind]))}, "
                         f"expected {'.'.join(map(str, expected))}")
    for name in ("FileVersion", "ProductVersion"):
        if strings.get(name) != version:
            found.append(f"{name} is {strings.get(name)!r}, expected {version!r}")
    for name in ("FileDescription", "ProductName"):
        if not strings.get(name):
            found.append(f"{name} is missing or empty")
    own = os.path.basename(path)
    if strings.get("OriginalFilename", "").lower() != own.lower():
        found.append(f"OriginalFilename is {strings.get('OriginalFilename')!r}, expected {own!r}")
    return found


def check(path, version):
    """The faults of one file's version resource, after printing its strings."""
    try:
        with open(path, "rb") as f:
            numbers, strings = read_version(f.read())
    except (OSError, Malformed, UnicodeDecodeError) as error:
        return [str(error)]
    for name, value in strings.items():
        print(f"{path}: {name} = {value}")
    return faults(path, version, numbers, strings)


def main(argv):
    if len(argv) < 3 or len(argv[1].split(".")) != 3:
        print("usage: check_version_resource.py VERSION FILE...", file=sys.stderr)
        return 2
    version, failed = argv[1], False
    for path in argv[2:]:
        for fault in check(path, version):
            print(f"{path}: {fault}", file=sys.stderr)
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
