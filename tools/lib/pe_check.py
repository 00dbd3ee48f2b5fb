# Checks a built vantrel.exe (CTest label "pe"): python3 pe_check.py IMAGE
#
# Prints what is wrong, one a line, and exits 1; exits 0 when the stripped program stays within
# 34 KB and carries everything Microsoft's linker gives a program by default:
# - ASLR (dynamic base) with a relocation table to move the image by, and DEP (NX compatible);
# - NO_SEH: no structured exception handler can be registered in the image, nor does its code
#   build an exception-registration frame at fs:0, which that flag would break;
# - Terminal Server aware; no section both writable and executable;
# - an OS and subsystem version of 5.1 at most, and only the imports of allowed-imports.txt
#   beside this file, each one there on Windows XP SP3 (5.1).
import os
import re
import subprocess
import sys


# The tools that read the image, by the names Debian gives them; VANTREL_READOBJ and
# VANTREL_OBJDUMP name others (on Windows, those of an LLVM install).
TOOLS = {"llvm-readobj-19": os.environ.get("VANTREL_READOBJ", "llvm-readobj-19"),
         "i686-w64-mingw32-objdump": os.environ.get("VANTREL_OBJDUMP", "i686-w64-mingw32-objdump")}


def output(tool, *arguments):
    command = (TOOLS.get(tool, tool),) + arguments
    return subprocess.run(command, capture_output=True, text=True, check=True).stdout


def problems(image):
    size = os.path.getsize(image)
    print(f"{image}: {size} bytes")
    if size > 34816:
        yield "over 34 KB"
    headers = output("llvm-readobj-19", "--file-headers", "--sections", image)
    for flag in ("DYNAMIC_BASE", "NX_COMPAT", "NO_SEH", "TERMINAL_SERVER_AWARE"):
        if f"IMAGE_DLL_CHARACTERISTICS_{flag} " not in headers:
            yield f"no {flag}"
    if "IMAGE_FILE_RELOCS_STRIPPED" in headers:
        yield "relocations stripped"
    if not re.search(r"BaseRelocationTableSize: 0x[1-9A-F]", headers):
        yield "no relocation table"
    for kind in ("OperatingSystem", "Subsystem"):
        major, minor = (int(re.search(rf"{part}{kind}Version: (\d+)", headers)[1])
                        for part in ("Major", "Minor"))
        if major * 100 + minor > 501:
            yield f"{kind}Version {major}.{minor} is above 5.1"
    for section in re.split(r"\n *Section \{", headers)[1:]:
        if "IMAGE_SCN_MEM_WRITE" in section and "IMAGE_SCN_MEM_EXECUTE" in section:
            yield "section " + re.search(r"Name: (\S+)", section)[1] + " is writable and executable"
    if re.search(r"%fs:0x0([^0-9a-fx]|$)", output("i686-w64-mingw32-objdump", "-d", image), re.M):
        yield "code uses the exception-registration chain at fs:0"
    allowed = {}
    with open(os.path.join(os.path.dirname(__file__), "allowed-imports.txt")) as listed:
        for line in listed:
            if line.strip() and not line.startswith("#"):
                name, version = line.split()
                allowed[name.lower()] = version
    dll = ""
    for line in output("llvm-readobj-19", "--coff-imports", image).splitlines():
        if m := re.match(r"\s*Name: (\S+)", line):
            dll = m[1]
        elif m := re.match(r"\s*Symbol: (\S+)", line):
            version = allowed.get(f"{dll}!{m[1]}".lower())
            if version is None:
                yield f"imports {dll}!{m[1]}, not on the allowed list"
            elif tuple(map(int, version.split("."))) > (5, 1):
                yield f"allowed import {dll}!{m[1]} needs Windows {version}"


found = list(problems(sys.argv[1]))
if found:
    print(*found, sep="\n")
sys.exit(1 if found else 0)
