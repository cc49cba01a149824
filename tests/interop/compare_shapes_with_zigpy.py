"""Reads every good row of the OTA shape table (otawrap_make_shapes) with
zigpy's OTA parser (Debian's python3-zigpy) and with `otawrap info --json`,
and checks that both see the same header fields and, where zigpy reads the
sub-elements faithfully, the same sub-elements. The checksums the generator
stamped are checked with Python's zlib and hashlib on the way. Then
`otawrap normalize` of every good row must write the OTA file the table puts
inside it, and zigpy must read that as a plain OTA file with nothing left over.

    python3 compare_shapes_with_zigpy.py <otawrap binary> <shape directory>

Prints one line per shape zigpy cannot read, with the reason.
"""
import csv
import hashlib
import json
import os
import subprocess
import sys
import zlib

import zigpy.ota.image as ota_image

# Shapes zigpy does not read, and why.
UNREADABLE = {
    "vendor-prefix": "zigpy does not look for the identifier behind a prefix",
    "long-head-element": "zigpy reads 0xF000 with a 6-byte head; two bytes are left that hold no head",
    "segmented-app-payload": "zigpy reads the headless bytes as a sub-element head running past the end",
    "crc16-payload": "zigpy reads the headless bytes as a sub-element head running past the end",
}
# Of these, zigpy cannot read the OTA file itself either (the prefix is gone
# after normalize).
UNREADABLE_PLAIN = {"long-head-element", "segmented-app-payload", "crc16-payload"}
# Shapes zigpy reads as a header with a payload of its own kind: no sub-elements.
HEADER_ONLY = {"length-stamped-payload", "length-stamped-payload-128"}


def info(otawrap, path):
    run = subprocess.run([otawrap, "info", path, "--json"], capture_output=True, text=True)
    if run.returncode not in (0, 1):
        raise AssertionError(f"otawrap info {path} exited {run.returncode}: {run.stderr}")
    return json.loads(run.stdout)


def check_stamped_checksums(row, data):
    """The generator's trailers and hashes, checked by independent code."""
    name = row["shape"]
    trailer = int.from_bytes(data[-4:], "little")
    if name == "crc32-trailer":
        assert trailer == zlib.crc32(data[:-4]), name
        assert zlib.crc32(data) == 0x2144DF1C, name
    elif name.startswith("inverted-crc32-trailer"):
        assert trailer == zlib.crc32(data[:-4]) ^ 0xFFFFFFFF, name
        assert (len(data) - 4) % 16 == 0, name
    elif name == "segmented-app-payload":
        image = data[56:]
        assert hashlib.sha256(image[:-32]).digest() == image[-32:], name
    elif name == "signed-container":
        offset, size = (int.from_bytes(data[at:at + 4], "little") for at in (16, 20))
        for k, start in enumerate(range(0, size, 16384)):
            block = data[offset + start:offset + min(start + 16384, size)]
            assert hashlib.sha256(block).digest() == data[40 + 32 * k:72 + 32 * k], name


def compare(row, path, ours):
    data = open(path, "rb").read()
    image, rest = ota_image.parse_ota_image(data)
    h, o = image.header, ours["header"]

    def same(what, theirs, mine):
        assert theirs == mine, f"{row['name']}: {what}: zigpy {theirs!r}, otawrap {mine!r}"

    same("header version", h.header_version, o["headerVersion"])
    same("header length", h.header_length, o["headerLength"])
    same("field control", int(h.field_control), o["fieldControl"])
    same("manufacturer code", h.manufacturer_id, o["manufacturerCode"])
    same("image type", h.image_type, o["imageType"])
    same("file version", h.file_version, o["fileVersion"])
    same("stack version", h.stack_version, o["stackVersion"])
    same("header string", str(h.header_string), o["headerString"])
    same("total image size", h.image_size, o["totalImageSize"])
    if row["shape"] in HEADER_ONLY:
        return
    theirs = [(int(e.tag_id), len(e.data)) for e in image.subelements]
    mine = [(e["tag"], e["length"]) for e in ours["subElements"]]
    same("sub-elements", theirs, mine)
    # What zigpy leaves behind the OTA file is what lies behind it in the table.
    behind = len(data) - int(row["innerOffset"]) - int(row["innerSize"])
    if row["shape"] not in ("length-prefix", "signed-container"):
        same("bytes behind the OTA file", len(rest), behind)


def check_normalized(otawrap, row, path, work):
    """normalize writes the inner OTA file; zigpy reads it whole."""
    out = os.path.join(work, row["name"] + ".zigbee")
    run = subprocess.run([otawrap, "normalize", path, "--output", out, "-q"],
                         capture_output=True, text=True)
    assert run.returncode == 0, f"otawrap normalize {path} exited {run.returncode}: {run.stderr}"
    data = open(path, "rb").read()
    offset, size = int(row["innerOffset"]), int(row["innerSize"])
    plain = open(out, "rb").read()
    assert plain == data[offset:offset + size], f"{row['name']}: normalized bytes"
    if row["shape"] in UNREADABLE_PLAIN:
        return
    image, rest = ota_image.parse_ota_image(plain)
    assert rest == b"", f"{row['name']}: zigpy leaves {len(rest)} bytes of the normalized file"
    assert image.header.image_size == len(plain), row["name"]


def main():
    otawrap, directory = sys.argv[1], sys.argv[2]
    with open(os.path.join(directory, "shapes.tsv"), newline="") as table:
        rows = list(csv.DictReader(table, delimiter="\t"))
    compared = 0
    normalized = os.path.join(directory, "normalized-zigpy")
    os.makedirs(normalized, exist_ok=True)
    for row in rows:
        if row["verdict"] != "good":
            continue
        path = os.path.join(directory, row["name"] + ".ota")
        check_stamped_checksums(row, open(path, "rb").read())
        check_normalized(otawrap, row, path, normalized)
        if row["shape"] in UNREADABLE:
            continue
        compare(row, path, info(otawrap, path))
        compared += 1
    for shape, why in UNREADABLE.items():
        print(f"zigpy: {shape} not compared: {why}")
    for shape in sorted(UNREADABLE_PLAIN):
        print(f"zigpy: {shape} normalized but not read: {UNREADABLE[shape]}")
    print(f"zigpy: {compared} files compared")
    if compared == 0:
        raise AssertionError("nothing compared")


if __name__ == "__main__":
    main()
