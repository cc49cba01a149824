// Reads every good row of the OTA shape table (otawrap_make_shapes) the way
// zigbee-herdsman reads a downloaded file (the OTA file from the first
// identifier on, then its parser) and with `otawrap info --json`, and checks
// that both see the same header fields and, where herdsman reads the
// sub-elements faithfully, the same sub-elements.
// Usage:
//   node compare_shapes_with_herdsman.js <ota.js> <otawrap binary> <shape directory>
// Then `otawrap normalize` of every good row must write the OTA file the table
// puts inside it, and herdsman's parser must read that from byte 0 with a
// total image size equal to its length.
// Prints one line per shape whose sub-elements herdsman misreads, with the reason.
'use strict';
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');

// herdsman reads the header of these but not their sub-elements.
const HEADER_ONLY = {
  'manufacturer-element': 'herdsman reads every 0xF000 with an 8-byte head',
  'integrity-code-short-padding': 'herdsman reads every 0xF000 with an 8-byte head',
  'length-stamped-payload': 'herdsman reads the headless bytes as one element it clips at the end',
  'length-stamped-payload-128': 'herdsman reads the headless bytes as one element it clips at the end',
  'segmented-app-payload': 'herdsman reads the headless bytes as one element it clips at the end',
  'crc16-payload': 'herdsman reads the headless bytes as one element it clips at the end',
};

const [otaModulePath, otawrap, directory] = process.argv.slice(2);
const ota = require(otaModulePath);

function readTable() {
  const [head, ...lines] = fs.readFileSync(path.join(directory, 'shapes.tsv'), 'utf8').trim().split('\n');
  const columns = head.split('\t');
  return lines.map((line) => Object.fromEntries(line.split('\t').map((v, i) => [columns[i], v])));
}

function ourReport(file) {
  const run = spawnSync(otawrap, ['info', file, '--json'], { encoding: 'utf8' });
  assert.ok(run.status === 0 || run.status === 1, `otawrap info ${file} exited ${run.status}: ${run.stderr}`);
  return JSON.parse(run.stdout);
}

function normalized(row, file) {
  const out = path.join(directory, 'normalized-herdsman', `${row.name}.zigbee`);
  fs.mkdirSync(path.dirname(out), { recursive: true });
  const run = spawnSync(otawrap, ['normalize', file, '--output', out, '-q'], { encoding: 'utf8' });
  assert.strictEqual(run.status, 0, `otawrap normalize ${file} exited ${run.status}: ${run.stderr}`);
  return fs.readFileSync(out);
}

let compared = 0;
for (const row of readTable()) {
  if (row.verdict !== 'good') continue;
  const file = path.join(directory, `${row.name}.ota`);
  const bytes = fs.readFileSync(file);
  const start = bytes.indexOf(ota.UPGRADE_FILE_IDENTIFIER_BUF);
  assert.strictEqual(start, Number(row.innerOffset), `${row.name}: where herdsman finds the OTA file`);
  const theirs = ota.parseOtaImage(bytes.subarray(start));
  const ours = ourReport(file);
  const h = theirs.header;
  const o = ours.header;
  const same = (name, a, b) => assert.strictEqual(a, b, `${row.name}: ${name}: herdsman ${a}, otawrap ${b}`);
  same('header version', h.otaHeaderVersion, o.headerVersion);
  same('header length', h.otaHeaderLength, o.headerLength);
  same('field control', h.otaHeaderFieldControl, o.fieldControl);
  same('manufacturer code', h.manufacturerCode, o.manufacturerCode);
  same('image type', h.imageType, o.imageType);
  same('file version', h.fileVersion, o.fileVersion);
  same('stack version', h.zigbeeStackVersion, o.stackVersion);
  same('header string', h.otaHeaderString.replace(/\0+$/, ''), o.headerString);
  same('total image size', h.totalImageSize, o.totalImageSize);
  same('OTA file size', theirs.raw.length, Number(row.innerSize));
  if (!(row.shape in HEADER_ONLY)) {
    same('number of sub-elements', theirs.elements.length, ours.subElements.length);
    theirs.elements.forEach((e, i) => {
      same(`sub-element ${i} tag`, e.tagId, ours.subElements[i].tag);
      same(`sub-element ${i} length`, e.length, ours.subElements[i].length);
    });
  }
  const plain = normalized(row, file);
  assert.ok(plain.equals(bytes.subarray(start, start + Number(row.innerSize))), `${row.name}: normalized bytes`);
  const reread = ota.parseOtaImage(plain);
  same('normalized file size', reread.raw.length, plain.length);
  same('normalized header', JSON.stringify(reread.header), JSON.stringify(theirs.header));
  compared += 1;
}
for (const [shape, why] of Object.entries(HEADER_ONLY)) {
  console.log(`herdsman: ${shape}: header only: ${why}`);
}
console.log(`herdsman: ${compared} files compared`);
assert.ok(compared > 0, 'nothing compared');
