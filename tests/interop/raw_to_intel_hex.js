// Writes the data records of an IAR raw firmware file as Intel HEX text, for
// the check that convert gives the same OTA file from both. Written apart from
// otawrap: 16-byte data records, an extended linear address record whenever
// the upper 16 address bits change, the end-of-file record.
//   node raw_to_intel_hex.js <raw file> <hex file>
'use strict';
const fs = require('node:fs');

const [input, output] = process.argv.slice(2);
const raw = fs.readFileSync(input);
const lines = [];
const record = (type, offset, data) => {
  const bytes = [data.length, (offset >> 8) & 0xff, offset & 0xff, type, ...data];
  const sum = bytes.reduce((a, b) => a + b, 0);
  bytes.push((0x100 - (sum & 0xff)) & 0xff);
  lines.push(':' + bytes.map((b) => b.toString(16).toUpperCase().padStart(2, '0')).join(''));
};
let upper = -1;
let pos = 14;  // the raw file header
while (pos < raw.length && raw[pos] === 1) {
  // type, kind, 16-bit word, 32-bit address, 32-bit count, all big-endian
  let address = raw.readUInt32BE(pos + 4);
  const count = raw.readUInt32BE(pos + 8);
  let data = raw.subarray(pos + 12, pos + 12 + count);
  pos += 12 + count;
  while (data.length > 0) {
    const high = Math.floor(address / 0x10000);
    if (high !== upper) {
      record(4, 0, [high >> 8, high & 0xff]);
      upper = high;
    }
    // A record stays inside its 64 KiB block.
    const room = 0x10000 - (address % 0x10000);
    const take = Math.min(16, room, data.length);
    record(0, address % 0x10000, [...data.subarray(0, take)]);
    data = data.subarray(take);
    address = (address + take) % 0x100000000;
  }
}
record(1, 0, []);
fs.writeFileSync(output, lines.join('\r\n') + '\r\n');
