"""Reads an index otawrap writes in the zigpy format with zigpy's own reader.

zigpy (Debian's python3-zigpy, 0.53) reads a JSON list of fw_binary_url,
fw_file_version, fw_filesize, fw_image_type and fw_manufacturer_id entries
from the update URL its configurable provider is given. This serves a
directory over HTTP on the loopback interface, lets otawrap index the files
there with that URL as prefix, points the provider at the index, and then
downloads every file through the provider's own entries: each must parse with
zigpy's OTA parser, carry the identifiers and version of its entry and be as
long as fw_filesize says. (zigpy 0.53 reads no vendor header before the OTA
file identifier other than the few it knows: give it plain OTA files.) zigpy's upgrade decision (should_update) on each
downloaded image must agree with `otawrap match` for devices just below, at
and above its version. lint judges the same index, listed in ascending and
in descending order, as zigpy's provider keeps it (check_lint).

  check_index_with_zigpy.py <otawrap> <directory of OTA files>
"""
import asyncio
import functools
import http.server
import json
import os
import subprocess
import sys
import threading

import zigpy.ota
import zigpy.ota.provider as provider
from zigpy.config import CONF_OTA_SONOFF_URL


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(directory):
    handler = functools.partial(QuietHandler, directory=directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def match(otawrap, index, key, version):
    run = subprocess.run([otawrap, "match", index, "--manufacturer", "%x" % key.manufacturer_id,
                          "--image-type", "%x" % key.image_type, "--file-version", "%x" % version],
                         capture_output=True, text=True)
    assert run.returncode in (0, 1), run.stderr
    return run.returncode == 0


async def main(otawrap, directory):
    files = sorted(f for f in os.listdir(directory) if not f.endswith(".json"))
    server = serve(directory)
    prefix = "http://127.0.0.1:%d/" % server.server_address[1]
    index_path = os.path.join(directory, "zigpy-index.json")
    with open(index_path, "wb") as out:
        subprocess.run([otawrap, "index", "--format", "zigpy", "--url-prefix", prefix] + files,
                       cwd=directory, stdout=out, check=True)
    with open(index_path) as f:
        index = json.load(f)
    assert len(index) == len(files), "one entry per file"

    ota = provider.Sonoff()
    await ota.initialize_provider({CONF_OTA_SONOFF_URL: prefix + "zigpy-index.json"})
    # zigpy keeps the last entry of each (manufacturer, image type).
    expected = {}
    for entry in index:
        expected[(entry["fw_manufacturer_id"], entry["fw_image_type"])] = entry
    assert len(ota._cache) == len(expected), "zigpy read every key"
    checked = 0
    for key, image_entry in ota._cache.items():
        entry = expected[(key.manufacturer_id, key.image_type)]
        assert image_entry.url == entry["fw_binary_url"]
        assert image_entry.version == entry["fw_file_version"]
        image = await image_entry.fetch_image()  # asserts the header's key itself
        header = image.header
        assert header.file_version == entry["fw_file_version"], entry
        name = entry["fw_binary_url"][len(prefix):]
        assert os.path.getsize(os.path.join(directory, name)) == entry["fw_filesize"], entry
        cached = zigpy.ota.CachedImage.new(image)
        for version in (0, header.file_version - 1, header.file_version, header.file_version + 1):
            if not 0 <= version <= 0xFFFFFFFF:
                continue
            theirs = cached.should_update(key.manufacturer_id, key.image_type, version)
            ours = match(otawrap, index_path, key, version)
            assert theirs == ours, "%s version %d: zigpy %s, otawrap %s" % (name, version, theirs, ours)
        checked += 1
    for order in ("ascending", "descending"):
        await check_lint(otawrap, directory, prefix, files if order == "ascending" else files[::-1], order)
    server.shutdown()
    print("zigpy reads %d index entries and their files; match agrees" % checked)


async def check_lint(otawrap, directory, prefix, files, order):
    """lint judges a zigpy index as zigpy serves it: the entries it calls
    never offered are exactly those newer than the entry zigpy keeps for
    their key; with none, lint is clean."""
    name = "zigpy-%s.json" % order
    with open(os.path.join(directory, name), "wb") as out:
        subprocess.run([otawrap, "index", "--format", "zigpy", "--url-prefix", prefix] + files,
                       cwd=directory, stdout=out, stderr=subprocess.DEVNULL, check=True)
    with open(os.path.join(directory, name)) as f:
        index = json.load(f)
    ota = provider.Sonoff()
    await ota.initialize_provider({CONF_OTA_SONOFF_URL: prefix + name})
    kept = {(key.manufacturer_id, key.image_type): entry.version for key, entry in ota._cache.items()}
    expected = {i for i, e in enumerate(index)
                if e["fw_file_version"] > kept[(e["fw_manufacturer_id"], e["fw_image_type"])]}
    run = subprocess.run([otawrap, "lint", os.path.join(directory, name), "--json"],
                         capture_output=True, text=True)
    findings = [json.loads(line) for line in run.stdout.splitlines()]
    assert all(f["consumer"] == "zigpy" for f in findings), run.stdout
    ours = {f["entry"] for f in findings if f["finding"] == "replacedByOlder"}
    assert ours == expected, "%s: lint %s, zigpy hides %s" % (order, sorted(ours), sorted(expected))
    assert run.returncode == (1 if expected else 0), run.stdout + run.stderr
    print("lint on the %s index: %d entries zigpy never offers, as zigpy keeps them" % (order, len(expected)))


if __name__ == "__main__":
    asyncio.run(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
