# Writes a zip that is the same, byte for byte, whenever it is made from the same files:
#   python3 write_zip.py ZIP NAME=FILE...
# entries in the order given, each dated SOURCE_DATE_EPOCH (1980 at the earliest, as a zip
# holds), with no Unix owner or mode bits, texts (.txt, .cmd) with CR LF line ends.
import os
import sys
import time
import zipfile

stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for pair in sys.argv[2:]:
        name, source = pair.split("=", 1)
        with open(source, "rb") as f:
            data = f.read()
        if name.endswith((".txt", ".cmd")):
            data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        entry = zipfile.ZipInfo(name, stamp)
        entry.create_system = 0
        entry.external_attr = 0x20
        entry.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(entry, data, compresslevel=9)
