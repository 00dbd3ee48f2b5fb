# Checks a built Windows program (CTest label "pe"):
#   python3 pe_check.py IMAGE                   vantrel.exe: everything below
#   python3 pe_check.py --xp-floor [--cache DIR] IMAGE   a program of the test pack: its imports
#
# Prints what is wrong, one a line, and exits 1; exits 0 when the stripped program stays within
# 34 KB and carries everything Microsoft's linker gives a program by default:
# - ASLR (dynamic base) with a relocation table to move the image by, and DEP (NX compatible);
# - NO_SEH: no structured exception handler can be registered in the image, nor does its code
#   build an exception-registration frame at fs:0, which that flag would break;
# - Terminal Server aware; no section both writable and executable;
# - an OS and subsystem version of 5.1 at most, and only the imports of allowed-imports.txt
#   beside this file, each one there on Windows XP SP3 (5.1).
#
# --xp-floor: every function the image imports is there on Windows XP SP3, else Windows does not
# load it at all. The first Windows of a function is the one from which the MinGW-w64 headers of
# the image's own architecture declare it (they guard each by _WIN32_WINNT as Microsoft's SDK
# does, and msvcrt.dll's by __MSVCRT_VERSION__, 0x0700 being XP's own msvcrt.dll); the few names
# no header declares, the CRT's start-up entries, are listed in xp-imports.txt beside this file.
# A 64-bit image is held to the same XP-era set, though x64 Windows began with 5.2: the same
# sources make the 32-bit pack. The headers' answers are kept in DIR, when given.
import argparse
import hashlib
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
    allowed = listed_versions("allowed-imports.txt")
    for dll, name in imports(image):
        version = allowed.get(f"{dll}!{name}".lower())
        if version is None:
            yield f"imports {dll}!{name}, not on the allowed list"
        elif tuple(map(int, version.split("."))) > (5, 1):
            yield f"allowed import {dll}!{name} needs Windows {version}"


# A table beside this file: DLL!Function and the first Windows version that has it, a line each.
def listed_versions(table):
    versions = {}
    with open(os.path.join(os.path.dirname(__file__), table)) as listed:
        for line in listed:
            if line.strip() and not line.startswith("#"):
                name, version = line.split()
                versions[name.lower()] = version
    return versions


def imports(image):
    dll = ""
    for line in output("llvm-readobj-19", "--coff-imports", image).splitlines():
        if m := re.match(r"\s*Name: (\S+)", line):
            dll = m[1]
        elif m := re.match(r"\s*Symbol: (\S*)", line):
            yield dll, m[1]


XP = 0x0501
LATER = (0x0502, 0x0600, 0x0601, 0x0602, 0x0603, 0x0A00)
# <windows.h> in full declares what kernel32, user32, gdi32, advapi32, ole32 and shell32's
# CommandLineToArgvW export, <tlhelp32.h> kernel32's process list; <shlobj.h>, slow to read,
# only for an image that imports shell32.
CRT_HEADERS = ("stdio.h", "stdlib.h", "string.h", "wchar.h", "ctype.h", "wctype.h", "locale.h",
               "time.h", "signal.h", "setjmp.h", "errno.h", "io.h", "process.h", "direct.h",
               "fcntl.h", "math.h", "malloc.h", "sys/stat.h", "mbctype.h")


def compiler_of(image):
    headers = output("llvm-readobj-19", "--file-headers", image)
    return "x86_64-w64-mingw32-gcc" if "IMAGE_FILE_MACHINE_AMD64" in headers \
        else "i686-w64-mingw32-gcc"


# The names a C file taking each one's value finds undeclared when compiled for Windows WINNT.
def compile_probe(compiler, names, headers, winnt):
    source = "".join(f"#include <{header}>\n" for header in headers)
    source += "void probe(void) {\n" + "".join(f"  (void)({name});\n" for name in names) + "}\n"
    command = [compiler, "-fsyntax-only", "-x", "c", f"-D_WIN32_WINNT={winnt:#06x}",
               f"-DWINVER={winnt:#06x}", "-D__MSVCRT_VERSION__=0x0700", "-"]
    return subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True,
                            env=dict(os.environ, LC_ALL="C")), source


def undeclared(probes, cache):
    started = []
    for compiler, names, headers, winnt in probes:
        key = hashlib.sha256(repr((compiler, names, headers, winnt)).encode()).hexdigest()
        kept = cache and os.path.join(cache, key)
        if kept and os.path.exists(kept):
            with open(kept) as answer:
                started.append((set(answer.read().split()), None, None))
        else:
            started.append((None, *compile_probe(compiler, names, headers, winnt), kept))
    answers = []
    for found, *running in started:
        if found is None:
            process, source, kept = running
            errors = process.communicate(source)[1]
            found = set(re.findall(r"'(\w+)' undeclared", errors))
            other = [line for line in errors.splitlines()
                     if "error:" in line and "undeclared" not in line]
            if other:
                sys.exit("the headers' probe did not compile:\n" + "\n".join(other))
            if kept:
                os.makedirs(cache, exist_ok=True)
                with open(kept + ".new", "w") as answer:
                    answer.write("\n".join(sorted(found)))
                os.replace(kept + ".new", kept)
        answers.append(found)
    return answers


def later_than_xp(image, cache):
    compiler = compiler_of(image)
    imported = sorted(set(imports(image)))
    headers = ["windows.h", "tlhelp32.h", *CRT_HEADERS]
    if any(dll.lower() == "shell32.dll" for dll, _ in imported):
        headers.append("shlobj.h")
    listed = listed_versions("xp-imports.txt")
    for dll, name in imported:
        if not re.fullmatch(r"\w+", name):
            yield f"imports {dll}!{name or '(an ordinal)'}, which cannot be looked up by name"
    names = sorted({name for _, name in imported if re.fullmatch(r"\w+", name)})
    [missing] = undeclared([(compiler, names, headers, XP)], cache)
    later = {(dll, name): listed.get(f"{dll}!{name}".lower()) for dll, name in imported
             if name in missing}
    later = {imported: version for imported, version in later.items()
             if version is None or tuple(map(int, version.split("."))) > (5, 1)}
    # Only where something is wrong: from which Windows on the headers declare it.
    probed = sorted({name for (_, name), version in later.items() if version is None})
    answers = undeclared([(compiler, probed, headers, winnt) for winnt in LATER], cache) \
        if probed else []
    for (dll, name), version in later.items():
        first = next((winnt for winnt, found in zip(LATER, answers) if name not in found), None)
        if version is not None:
            yield f"imports {dll}!{name}, which needs Windows {version}"
        elif first is not None:
            yield (f"imports {dll}!{name}, which the Windows headers declare only from Windows "
                   f"{first >> 8}.{first & 0xFF} on")
        else:
            yield f"imports {dll}!{name}, which no Windows header declares nor xp-imports.txt lists"


parser = argparse.ArgumentParser()
parser.add_argument("--xp-floor", action="store_true")
parser.add_argument("--cache")
parser.add_argument("image")
arguments = parser.parse_args()
if arguments.xp_floor:
    print(f"{arguments.image}: {len(set(imports(arguments.image)))} imported functions")
    found = list(later_than_xp(arguments.image, arguments.cache))
else:
    found = list(problems(arguments.image))
if found:
    print(*found, sep="\n")
sys.exit(1 if found else 0)
