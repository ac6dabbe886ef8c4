"""Checks a Windows build of tavrel without running it: the PE machine and format, its imports,
and the version record, icon and manifest in its resources.
Usage: check_executable.py EXE (i386|x86_64)"""

import struct
import subprocess
import sys

MACHINES = {"i386": (0x14C, 0x10B), "x86_64": (0x8664, 0x20B)}  # machine, optional header magic
WINDOWS_OWN_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "MSVCRT.DLL"}


def fail(message):
    sys.exit(f"FAIL: {message}")


def check_header(data, architecture):
    if data[:2] != b"MZ":
        fail("not an MZ executable")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail("no PE signature")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    if (machine, magic) != MACHINES[architecture]:
        fail(f"machine {machine:#x} and format {magic:#x}, expected {architecture}")


def check_version_record(data):
    signature = struct.pack("<I", 0xFEEF04BD)
    at = data.find(signature)
    if at < 0:
        fail("no version record")
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", data, at + 8)
    if (file_ms, file_ls, product_ms, product_ls) != (0x00000001, 0, 0x00000001, 0):
        fail(f"numeric versions {file_ms:#x}.{file_ls:#x} / {product_ms:#x}.{product_ls:#x}, expected 0,1,0,0")
    for key in ("FileVersion", "ProductVersion"):
        entry = key.encode("utf-16-le") + b"\0\0"
        position = data.find(entry)
        if position < 0:
            fail(f"no {key} string")
        value_start = position + len(entry)
        value_start += (4 - value_start % 4) % 4  # values are aligned to 32 bits
        value = data[value_start:value_start + 10].decode("utf-16-le")
        if value != "0.01\0":
            fail(f"{key} is {value!r}, expected '0.01'")


def check_resources(path):
    listing = subprocess.run(["wrestool", "-l", path], check=True, capture_output=True, text=True).stdout
    for kind in ("type=group_icon", "type=icon", "type=version", "type=24"):
        if kind not in listing:
            fail(f"no {kind} resource")
    manifest = subprocess.run(["wrestool", "-x", "--raw", "--type=24", path], check=True, capture_output=True).stdout
    if b"<dpiAware" not in manifest or b">true</dpiAware>" not in manifest:
        fail("the manifest does not declare the program aware of the display's scale")


def check_imports(path, architecture):
    objdump = ("i686" if architecture == "i386" else "x86_64") + "-w64-mingw32-objdump"
    dumped = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    dlls = {line.split(":", 1)[1].strip().upper() for line in dumped.splitlines() if "DLL Name:" in line}
    if not dlls <= WINDOWS_OWN_DLLS:
        fail(f"needs DLLs beyond Windows' own: {sorted(dlls - WINDOWS_OWN_DLLS)}")


def main():
    path, architecture = sys.argv[1], sys.argv[2]
    with open(path, "rb") as executable:
        data = executable.read()
    check_header(data, architecture)
    check_version_record(data)
    check_resources(path)
    check_imports(path, architecture)
    print(f"ok: {path} is a {architecture} Windows executable with its icon and version 0.1.0.0 / 0.01")
    print("1 passed, 0 failed")


main()
