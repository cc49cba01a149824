// `otawrap match` against zigbee-herdsman's own selection: on generated
// indexes (seeded, every filter herdsman knows), herdsman's
// Device.findMatchingOtaImage and checkOta's upgrade rule must pick the same
// entry as otawrap and agree on whether it is offered; and no entry that
// `otawrap lint` calls never offered (shadowed) is ever picked.
//   node check_match_with_herdsman.js <ota.js> <otawrap> <scratch directory>
'use strict';
const assert = require('node:assert');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');

let seed = 0x5eed2026;  // fixed: the same cases every run
function random(n) {
  seed = (Math.imul(seed, 1103515245) + 12345) >>> 0;
  return (seed >>> 8) % n;
}
function maybe(value) { return random(3) === 0 ? value : undefined; }
function pick(list) { return list[random(list.length)]; }

function makeEntry(i) {
  const e = { fileName: `f${i}.ota`, url: `https://example.com/f${i}.ota`,
              manufacturerCode: pick([1, 2]), imageType: pick([1, 2]), fileVersion: 1 + random(6) };
  const extra = {
    minFileVersion: maybe(random(5)), maxFileVersion: maybe(2 + random(5)),
    modelId: maybe(pick(['', 'A', 'B'])), manufacturerName: maybe(pick([[], ['x'], ['x', 'y']])),
    hardwareVersionMin: maybe(random(3)), hardwareVersionMax: maybe(1 + random(3)), force: maybe(true),
  };
  for (const [k, v] of Object.entries(extra)) if (v !== undefined) e[k] = v;
  return e;
}

function makeDevice() {
  const d = { manufacturerCode: pick([1, 2]), imageType: pick([1, 2]), fileVersion: random(8) };
  const hw = maybe(random(4));
  if (hw !== undefined) d.hardwareVersion = hw;
  d.modelID = maybe(pick(['A', 'B']));
  d.manufacturerName = maybe(pick(['x', 'y', 'z']));
  return d;
}

async function main() {
  const [otaModulePath, otawrap, scratchArgument] = process.argv.slice(2);
  const scratch = path.resolve(scratchArgument);
  const deviceModule = require(path.join(path.dirname(otaModulePath), '..', 'model', 'device.js'));
  const Device = deviceModule.default || deviceModule.Device;
  const quiet = () => {};
  require(path.join(path.dirname(otaModulePath), '..', '..', 'utils', 'logger.js'))
    .setLogger({ debug: quiet, info: quiet, warning: console.warn, error: console.error });
  fs.mkdirSync(scratch, { recursive: true });
  let cases = 0;
  let offered = 0;
  let shadowedEntries = 0;
  let shadowChecks = 0;
  for (let n = 0; n < 40; n++) {
    const index = Array.from({ length: 1 + random(6) }, (_, i) => makeEntry(i));
    const indexPath = path.join(scratch, `match-${n}.json`);
    fs.writeFileSync(indexPath, JSON.stringify(index));
    for (let k = 0; k < 12; k++) {
      const d = makeDevice();
      const current = { manufacturerCode: d.manufacturerCode, imageType: d.imageType, fileVersion: d.fileVersion };
      if (d.hardwareVersion !== undefined) current.hardwareVersion = d.hardwareVersion;
      const self = { ieeeAddr: '0x0', modelID: d.modelID, manufacturerName: d.manufacturerName };
      const meta = await Device.prototype.findMatchingOtaImage.call(self, { url: indexPath }, current, {});
      const available = meta !== undefined && (meta.force ? true : current.fileVersion < meta.fileVersion);
      const args = ['match', indexPath, '--manufacturer', d.manufacturerCode.toString(16), '--image-type',
                    d.imageType.toString(16), '--file-version', d.fileVersion.toString(16)];
      if (d.hardwareVersion !== undefined) args.push('--hardware-version', d.hardwareVersion.toString(16));
      if (d.modelID !== undefined) args.push('--model-id', d.modelID);
      if (d.manufacturerName !== undefined) args.push('--manufacturer-name', d.manufacturerName);
      const run = spawnSync(otawrap, args, { encoding: 'utf8' });
      const where = `index ${n} device ${JSON.stringify(d)}\n${run.stdout}${run.stderr}`;
      assert.ok(run.status === 0 || run.status === 1, where);
      const first = run.stdout.split('\n')[0];
      const chosen = /entry (\d+)/.exec(first);
      const ours = chosen ? index[Number(chosen[1])] : undefined;
      assert.strictEqual(ours && ours.fileName, meta && meta.fileName, `chosen entry: ${where}`);
      assert.strictEqual(run.status === 0, available, `offered: ${where}`);
      cases++;
      if (available) offered++;
    }
    // lint's "never offered": herdsman picks no shadowed entry for any device
    // of its identifiers (every filter value the generator uses).
    const lint = spawnSync(otawrap, ['lint', indexPath, '--json'], { encoding: 'utf8' });
    assert.ok(lint.status === 0 || lint.status === 1, lint.stderr);
    const shadowed = lint.stdout.split('\n').filter((line) => line)
      .map((line) => JSON.parse(line)).filter((f) => f.finding === 'shadowed');
    for (const f of shadowed) {
      const e = index[f.entry];
      for (let version = 0; version < 8; version++) {
        for (const hardwareVersion of [undefined, 0, 1, 2, 3]) {
          for (const modelID of [undefined, 'A', 'B']) {
            for (const manufacturerName of [undefined, 'x', 'y']) {
              const current = { manufacturerCode: e.manufacturerCode, imageType: e.imageType, fileVersion: version };
              if (hardwareVersion !== undefined) current.hardwareVersion = hardwareVersion;
              const meta = await Device.prototype.findMatchingOtaImage.call(
                { ieeeAddr: '0x0', modelID, manufacturerName }, { url: indexPath }, current, {});
              assert.notStrictEqual(meta && meta.fileName, e.fileName,
                                    `lint says entry ${f.entry} is never offered: index ${n}, ${JSON.stringify(current)}`);
              shadowChecks++;
            }
          }
        }
      }
      shadowedEntries++;
    }
  }
  console.log(`otawrap match agrees with zigbee-herdsman on ${cases} cases (${offered} offered)`);
  console.log(`zigbee-herdsman offers none of the ${shadowedEntries} entries lint calls never offered ` +
              `(${shadowChecks} devices)`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
