"""Independent verdicts on payload files for the payload tests.

  payload_oracles.py judge DIR   one line "NAME ok|failed|unknown" per file; the
                                 kind is the name up to '@': gbl and ebl go to
                                 zigpy's validators, xz to xz --test, zlib to zlib
                                 (the stream alone: bytes after it are ignored)
  payload_oracles.py make DIR    writes xz and zlib streams compressed by Python
                                 as ok@NAME and bad@NAME files (seeded data)
"""
import lzma
import os
import random
import subprocess
import sys
import zlib


def judge(kind, data):
    try:
        if kind in ("gbl", "ebl"):
            from zigpy.ota import validators

            result = validators.validate_firmware(data)
            return "ok" if result == validators.ValidationResult.VALID else "unknown"
        if kind == "zlib":
            stream = zlib.decompressobj()
            stream.decompress(data)
            return "ok" if stream.eof else "failed"
        if kind == "xz":
            # xz itself: Python's lzma refuses the stream padding the format allows.
            tested = subprocess.run(["xz", "--test", "--format=xz"], input=data,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            return "ok" if tested.returncode == 0 else "failed"
    except Exception:  # every decoder error is a failed verdict
        return "failed"
    return "unknown"


def sample(seed, size):
    rng = random.Random(seed)
    words = [bytes(rng.randrange(256) for _ in range(rng.randrange(2, 12))) for _ in range(40)]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words) if rng.random() < 0.7 else bytes([rng.randrange(256)])
    return bytes(out[:size])


def make(directory):
    files = {}
    data = sample(1, 100000)
    for check in (lzma.CHECK_NONE, lzma.CHECK_CRC32, lzma.CHECK_CRC64, lzma.CHECK_SHA256):
        for preset in (0, 6):
            files["ok@xz-check%d-preset%d" % (check, preset)] = lzma.compress(
                data, format=lzma.FORMAT_XZ, check=check, preset=preset)
    two = lzma.compress(data[:5000]) + b"\0" * 8 + lzma.compress(data[5000:9000])
    files["ok@xz-two-streams"] = two
    for level in (0, 1, 6, 9):
        files["ok@zlib-level%d" % level] = zlib.compress(data, level)
    for wbits in (9, 12):
        packer = zlib.compressobj(6, zlib.DEFLATED, wbits)
        files["ok@zlib-wbits%d" % wbits] = packer.compress(data) + packer.flush()
    files["ok@zlib-empty"] = zlib.compress(b"")
    files["ok@zlib-runs"] = zlib.compress(b"\xAA" * 300000, 9)
    xz = bytearray(files["ok@xz-check4-preset6"])
    xz[-10] ^= 1  # the footer's backward size
    files["bad@xz-footer"] = bytes(xz)
    deflated = bytearray(files["ok@zlib-level9"])
    deflated[len(deflated) // 2] ^= 0x40
    files["bad@zlib-middle"] = bytes(deflated)
    deflated = bytearray(files["ok@zlib-level6"])
    deflated[-2] ^= 1
    files["bad@zlib-adler"] = bytes(deflated)
    for name, content in files.items():
        with open(os.path.join(directory, name), "wb") as out:
            out.write(content)


def main():
    command, directory = sys.argv[1], sys.argv[2]
    if command == "make":
        make(directory)
        return
    for name in sorted(os.listdir(directory)):
        with open(os.path.join(directory, name), "rb") as f:
            print(name, judge(name.split("@")[0], f.read()))


if __name__ == "__main__":
    main()
