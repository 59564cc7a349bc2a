#!/usr/bin/env python3
"""Checks what tools/release.sh made before anyone downloads it.

    python3 tools/release/check-release.py build/release 0.11.2

SHA256SUMS names exactly the two zips and the installer, and every sum matches; each zip holds
exactly OrvantaBrevo.exe, README.txt and LICENSE.txt, none empty, the exe built for the zip's
architecture with the version block of this version, the texts in the form Notepad reads; the
installer is a 32-bit NSIS exe, so that it starts on every Windows. Prints one line per fault and
exits 1 when there is any.
"""

import hashlib
import io
import re
import struct
import sys
import zipfile
from pathlib import Path

MACHINES = {"x64": 0x8664, "x86": 0x14C}
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
ZIP_FILES = ["OrvantaBrevo.exe", "README.txt", "LICENSE.txt"]
BOM = b"\xef\xbb\xbf"


def artefacts(version):
    return [f"OrvantaBrevo-{version}-x64.zip", f"OrvantaBrevo-{version}-x86.zip",
            f"OrvantaBrevo-{version}-setup.exe"]


def pe_header(data):
    """(machine, subsystem) of a PE image, or None."""
    if data[:2] != b"MZ" or len(data) < 64:
        return None
    pe = struct.unpack_from("<I", data, 60)[0]
    if data[pe : pe + 4] != b"PE\0\0" or len(data) < pe + 24 + 70:
        return None
    # The subsystem sits at the same offset in the 32- and 64-bit optional headers.
    return struct.unpack_from("<H", data, pe + 4)[0], struct.unpack_from("<H", data, pe + 24 + 68)[0]


def version_string(data, key):
    """The value of a StringFileInfo entry: the key in UTF-16, its zero, padding to four bytes."""
    at = data.find(key.encode("utf-16-le") + b"\0\0")
    if at < 0:
        return None
    at += 2 * len(key) + 2
    at += -at % 4
    end = at
    while end + 1 < len(data) and data[end : end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le", errors="replace")


def check_exe(data, arch, version, where):
    faults = []
    header = pe_header(data)
    if header is None:
        return [f"{where}: not a Windows exe"]
    machine, subsystem = header
    if machine != MACHINES[arch]:
        faults.append(f"{where}: built for machine 0x{machine:04X}, not {arch}")
    if subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
        faults.append(f"{where}: subsystem {subsystem} is not the Windows GUI")
    wanted = {"FileVersion": version, "ProductVersion": version, "ProductName": "OrvantaBrevo",
              "CompanyName": "OrvantaBrevo", "OriginalFilename": "OrvantaBrevo.exe"}
    for key, value in wanted.items():
        found = version_string(data, key)
        if found != value:
            faults.append(f"{where}: version block {key} is {found!r}, not {value!r}")
    copyright = version_string(data, "LegalCopyright") or ""
    if not copyright.startswith("Copyright"):
        faults.append(f"{where}: version block has no LegalCopyright")
    return faults


def check_text(data, where, *needles):
    faults = []
    if not data.startswith(BOM):
        faults.append(f"{where}: no UTF-8 byte-order mark")
    try:
        text = data[len(BOM) :].decode("utf-8")
    except UnicodeDecodeError as error:
        return faults + [f"{where}: not UTF-8: {error}"]
    if re.search(r"(?<!\r)\n", text):
        faults.append(f"{where}: a line ends without CR LF")
    for needle in needles:
        if needle not in text:
            faults.append(f"{where}: does not contain {needle!r}")
    return faults


def check_zip(path, arch, version):
    try:
        archive = zipfile.ZipFile(io.BytesIO(path.read_bytes()))
    except zipfile.BadZipFile as error:
        return [f"{path.name}: not a zip: {error}"]
    names = archive.namelist()
    if sorted(names) != sorted(ZIP_FILES):
        return [f"{path.name}: holds {names}, not {ZIP_FILES}"]
    bad = archive.testzip()
    if bad:
        return [f"{path.name}: {bad} is damaged"]
    faults = []
    for name in ZIP_FILES:
        if archive.getinfo(name).file_size == 0:
            faults.append(f"{path.name}: {name} is empty")
    faults += check_exe(archive.read("OrvantaBrevo.exe"), arch, version, f"{path.name}: OrvantaBrevo.exe")
    faults += check_text(archive.read("README.txt"), f"{path.name}: README.txt", f"OrvantaBrevo {version}",
                         "【日本語】", "[English]", r"%LOCALAPPDATA%\Programs\OrvantaBrevo")
    faults += check_text(archive.read("LICENSE.txt"), f"{path.name}: LICENSE.txt", "MIT License",
                         "Copyright (c) 2026 OrvantaBrevo")
    return faults


def check_installer(path):
    data = path.read_bytes()
    header = pe_header(data)
    if header is None:
        return [f"{path.name}: not a Windows exe"]
    faults = []
    if header[0] != MACHINES["x86"]:
        faults.append(f"{path.name}: built for machine 0x{header[0]:04X}; a 64-bit one does not start on 32-bit Windows")
    if b"NullsoftInst" not in data:
        faults.append(f"{path.name}: carries no NSIS installer data")
    return faults


def check_sums(folder, names):
    sums = folder / "SHA256SUMS"
    if not sums.is_file():
        return ["SHA256SUMS is missing"]
    faults, listed = [], []
    for lineno, line in enumerate(sums.read_text().splitlines(), 1):
        match = re.fullmatch(r"([0-9a-f]{64})  (\S+)", line)
        if not match:
            faults.append(f"SHA256SUMS:{lineno}: not 'SUM  NAME': {line!r}")
            continue
        digest, name = match.groups()
        listed.append(name)
        file = folder / name
        if not file.is_file():
            faults.append(f"SHA256SUMS:{lineno}: {name} is not there")
        elif hashlib.sha256(file.read_bytes()).hexdigest() != digest:
            faults.append(f"SHA256SUMS:{lineno}: the sum of {name} does not match")
    if sorted(listed) != sorted(names):
        faults.append(f"SHA256SUMS lists {listed}, not {names}")
    return faults


def check_release(folder, version):
    """Every fault found, as lines; none means the release may go out."""
    names = artefacts(version)
    faults = []
    for name in names:
        file = folder / name
        if not file.is_file():
            faults.append(f"{name} is missing")
        elif file.stat().st_size == 0:
            faults.append(f"{name} is empty")
    if faults:
        return faults
    for arch in MACHINES:
        faults += check_zip(folder / f"OrvantaBrevo-{version}-{arch}.zip", arch, version)
    faults += check_installer(folder / names[2])
    faults += check_sums(folder, names)
    return faults


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    folder, version = Path(argv[1]), argv[2]
    faults = check_release(folder, version)
    for fault in faults:
        print(f"check-release: {fault}", file=sys.stderr)
    if faults:
        return 1
    sizes = ", ".join(f"{name} {(folder / name).stat().st_size} bytes" for name in artefacts(version))
    print(f"check-release: {folder} is complete and its sums match ({sizes})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
