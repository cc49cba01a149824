// Checks OTA files and an index of them with zigbee-herdsman's own readers:
//   - getOtaIndex({url: <index>}) reads the index file back unchanged;
//   - getOtaFirmware(path, sha512) accepts every file with its entry's SHA-512
//     (and strips a vendor header before the OTA file identifier), and
//     refuses a wrong SHA-512;
//   - parseOtaImage on that firmware agrees with the entry's fields and walks
//     the sub-elements to the end;
//   - with the index as the override index and the identifiers removed,
//     getOtaIndex fills them in from the files themselves, as herdsman does
//     for local firmware.
// Usage:
//   node check_index_with_herdsman.js <ota.js> <directory of files> <index.json>
// Entries' url fields name the files relative to the directory (or absolute).
'use strict';
const assert = require('node:assert');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

async function main() {
  const [otaModulePath, directory, indexPath] = process.argv.slice(2);
  const ota = require(otaModulePath);
  // herdsman logs every file it reads; keep only its warnings and errors.
  const quiet = () => {};
  require(path.join(path.dirname(otaModulePath), '..', '..', 'utils', 'logger.js'))
    .setLogger({ debug: quiet, info: quiet, warning: console.warn, error: console.error });
  const dir = path.resolve(directory);
  const index = JSON.parse(fs.readFileSync(indexPath, 'utf8'));
  assert.ok(Array.isArray(index) && index.length > 0, 'the index is a non-empty array');

  // The index as herdsman's index reader sees it.
  ota.setOtaConfiguration(dir, undefined);
  const read = await ota.getOtaIndex({ url: path.resolve(indexPath) });
  assert.deepStrictEqual(read, index, 'getOtaIndex reads the index back unchanged');

  for (const entry of index) {
    const where = `${entry.fileName}`;
    for (const key of ['fileName', 'fileVersion', 'fileSize', 'manufacturerCode', 'imageType',
                       'sha512', 'url']) {
      assert.ok(entry[key] !== undefined, `${where}: ${key} missing`);
    }
    const file = path.isAbsolute(entry.url) ? entry.url : path.join(dir, entry.url);
    const bytes = fs.readFileSync(file);
    assert.strictEqual(entry.fileSize, bytes.length, `${where}: fileSize`);
    assert.strictEqual(entry.sha512, crypto.createHash('sha512').update(bytes).digest('hex'),
      `${where}: sha512`);

    const firmware = await ota.getOtaFirmware(file, entry.sha512);
    const prefix = bytes.length - firmware.length;
    assert.ok(firmware.equals(bytes.subarray(prefix)), `${where}: firmware bytes`);
    await assert.rejects(ota.getOtaFirmware(file, '0'.repeat(128)), `${where}: wrong sha512 accepted`);

    const image = ota.parseOtaImage(firmware);
    const h = image.header;
    const same = (name, theirs, ours) =>
      assert.strictEqual(theirs, ours, `${where}: ${name}: herdsman ${theirs}, entry ${ours}`);
    same('fileVersion', h.fileVersion, entry.fileVersion);
    same('manufacturerCode', h.manufacturerCode, entry.manufacturerCode);
    same('imageType', h.imageType, entry.imageType);
    same('total image size', h.totalImageSize, firmware.length);
    // herdsman keeps the header string's zero padding; entries carry the text only.
    const headerString = h.otaHeaderString.replace(/\0+$/, '');
    same('otaHeaderString', headerString === '' ? undefined : headerString, entry.otaHeaderString);
    same('hardwareVersionMin', h.minimumHardwareVersion, entry.hardwareVersionMin);
    same('hardwareVersionMax', h.maximumHardwareVersion, entry.hardwareVersionMax);
    let offset = h.otaHeaderLength;
    for (const element of image.elements) {
      assert.ok(element.data.equals(firmware.subarray(offset + 6, offset + 6 + element.length)),
        `${where}: data of tag ${element.tagId}`);
      offset += 6 + element.length;
    }
    same('end of the sub-elements', offset, firmware.length);
  }

  // The override index without identifiers: herdsman reads them from the files.
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'otawrap-index-'));
  try {
    const stripped = index.map(({ imageType, manufacturerCode, fileVersion, ...rest }) => rest);
    const overridePath = path.join(scratch, 'override.json');
    fs.writeFileSync(overridePath, JSON.stringify(stripped));
    ota.setOtaConfiguration(dir, overridePath);
    // The main index does not exist, so only the override index is returned.
    const filled = await ota.getOtaIndex({ url: path.join(scratch, 'missing-main.json') });
    assert.strictEqual(filled.length, index.length, 'override index length');
    filled.forEach((meta, i) => {
      for (const key of ['imageType', 'manufacturerCode', 'fileVersion']) {
        assert.strictEqual(meta[key], index[i][key], `${index[i].fileName}: ${key} from the file`);
      }
    });
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  console.log(`zigbee-herdsman accepts ${index.length} index entries and their files`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
