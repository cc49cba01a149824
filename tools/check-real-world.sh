#!/usr/bin/env bash
# Runs `otawrap info --json` over a directory of real OTA files and compares
# each exit code with what the directory's manifest.json expects ("passes":
# exit 0, "fails": exit 1). Prints one line per disagreement, the payload
# verdict counts, and a summary line ("129 files: 129 as expected"); exits 1
# on any disagreement, 2 when it cannot run.
#
#   tools/check-real-world.sh [--damaged] [--otawrap PATH] DIR
#
# DIR holds manifest.json and files/. --damaged also checks, for every file
# expected to pass that carries a CRC or digest over some of its bytes, that
# a copy with one bit flipped under it fails; the copies live in a temporary
# directory and are removed. A trailer behind a payload whose end is not
# known is recognised only by its value matching, so damage under it reads as
# "not checkable": such files are counted apart. The binary is $OTAWRAP, else
# build/release/otawrap.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="${OTAWRAP:-$root/build/release/otawrap}"
damaged=0
dir=""
while [ $# -gt 0 ]; do
  case "$1" in
    --damaged) damaged=1 ;;
    --otawrap) binary="$2"; shift ;;
    -*) echo "check-real-world: unknown option $1" >&2; exit 2 ;;
    *) dir="$1" ;;
  esac
  shift
done
if [ -z "$dir" ] || [ ! -f "$dir/manifest.json" ]; then
  echo "usage: tools/check-real-world.sh [--damaged] [--otawrap PATH] DIR (DIR/manifest.json)" >&2
  exit 2
fi
if [ ! -x "$binary" ]; then
  echo "check-real-world: no otawrap binary at $binary" >&2
  exit 2
fi
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
python3 - "$binary" "$dir" "$damaged" "$scratch" <<'PYTHON'
import json
import os
import subprocess
import sys

binary, directory, damaged, scratch = sys.argv[1], sys.argv[2], sys.argv[3] == "1", sys.argv[4]


def info(path):
    run = subprocess.run([binary, "info", "--json", path], capture_output=True)
    try:
        report = json.loads(run.stdout.decode("utf-8", "replace").splitlines()[0])
    except (ValueError, IndexError):
        report = None
    return run.returncode, report


def payloads(report):
    found = []
    for element in (report or {}).get("subElements", []):
        if "payload" in element:
            found.append((element, element["payload"]))
    return found


# Payload formats whose ok covers their bytes from the start (a CRC, a
# digest, an Adler-32 of the inflated data); the word sum covers 32 bytes of
# a shape that is never failed, the xz framing only its headers.
WHOLE = {"gbl", "ebl", "segmented-app", "knlt", "fb05", "zlib", "image-preamble"}
# Formats whose end is known: a trailer behind them has a shape, not only a value.
ENDED = WHOLE | {"xz"}


def damage_offset(report):
    """Where a flipped bit is under a CRC or digest the file carries, and
    whether the damage can be told from a file made that way; or None."""
    start = report["prefixLength"]
    for element, payload in payloads(report):
        if payload.get("check") != "ok":
            continue
        data = start + element["offset"] + element.get("headSize", 6)
        trailer = payload.get("trailer")
        if trailer and trailer.get("check") == "ok":
            return data + trailer["offset"] // 2, payload["format"] in ENDED
        if payload["format"] in WHOLE:
            return data + min(payload["length"] // 2, 4096), True
        if payload["format"] == "xz":
            return data + 7, True  # the stream flags, under the stream header's CRC-32
    headless = report.get("headlessPayload")
    if headless and "ok" in headless.get("kind", ""):
        return start + headless["offset"] + headless["length"] // 2, True
    checks = {c["name"]: c["result"] for c in report.get("checks", [])}
    container = report.get("container") or {}
    covered = (checks.get("integrity code") == "ok" or checks.get("image CRC") == "ok"
               or report.get("trailer") is not None or "blocks" in container)
    if covered:
        return start + report["header"]["headerLength"] + 6 + 16, True
    return None


manifest = json.load(open(os.path.join(directory, "manifest.json")))
counts = {"ok": 0, "not checkable": 0, "failed": 0, "skipped": 0}
mismatched = 0
damage_checked = damage_skipped = damage_missed = 0
value_only = []
for entry in manifest:
    path = os.path.join(directory, "files", entry["file"])
    expected = 0 if entry["expect"] == "passes" else 1
    code, report = info(path)
    for _, payload in payloads(report):
        counts[payload["check"]] = counts.get(payload["check"], 0) + 1
    if code != expected:
        mismatched += 1
        verdicts = ", ".join("%s %s" % (p["format"], p["check"]) for _, p in payloads(report))
        print("%s: expected to %s (exit %d), exit %d%s" % (
            entry["file"], "pass" if expected == 0 else "fail", expected, code,
            " [" + verdicts + "]" if verdicts else ""))
        continue
    if not damaged or expected != 0 or report is None:
        continue
    found = damage_offset(report)
    if found is None:
        damage_skipped += 1
        continue
    offset, provable = found
    if not provable:
        value_only.append(entry["file"])
        continue
    data = bytearray(open(path, "rb").read())
    data[offset] ^= 0x04
    copy = os.path.join(scratch, "damaged")
    with open(copy, "wb") as out:
        out.write(data)
    damage_checked += 1
    if info(copy)[0] != 1:
        damage_missed += 1
        print("%s: a copy with bit 2 of byte %d flipped does not fail" % (entry["file"], offset))
    os.remove(copy)

print("payload verdicts: %d ok, %d not checkable, %d failed" % (
    counts["ok"], counts["not checkable"], counts["failed"]))
if damaged:
    print("damaged copies: %d fail as they must, %d missed, %d files carry no CRC or digest to flip under"
          % (damage_checked - damage_missed, damage_missed, damage_skipped))
    for name in value_only:
        print("%s: its only CRC or digest is a trailer told by its value alone" % name)
total = len(manifest)
summary = "%d files: %d as expected" % (total, total - mismatched)
print(summary + (", %d not" % mismatched if mismatched else ""))
sys.exit(1 if mismatched or damage_missed else 0)
PYTHON
