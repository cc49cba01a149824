// otawrap in the browser. Every file the user picks is written into the
// WebAssembly module's in-memory file system and judged by the otawrap
// command line itself (info, verify, normalize, index, lint, match); this
// script only runs those commands and lays out what they print. Nothing is
// sent anywhere: the page has no network code and its Content-Security-Policy
// allows no request but for its own files.
'use strict';

(function () {
  const FILES = '/files';  // the picked files; the commands run here and see bare names
  const OUT = '/out';      // what normalize writes
  const $ = (selector, root) => (root || document).querySelector(selector);
  const decoder = new TextDecoder();
  let tool = null;
  const cards = new Map();    // file name -> card element
  const indexes = new Map();  // index name -> card element

  // ---- The tool -------------------------------------------------------------

  // The wasm binary when the page is opened from file://, where browsers fetch
  // nothing: otawrap-wasm.js, loaded only then, holds it in base64.
  function embeddedWasm() {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = 'otawrap-wasm.js';
      script.onload = () => {
        const text = atob(self.otawrapWasmBase64);
        const bytes = new Uint8Array(text.length);
        for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
        resolve(bytes);
      };
      script.onerror = () => reject(new Error('otawrap-wasm.js could not be loaded'));
      document.head.appendChild(script);
    });
  }

  async function loadTool() {
    const options = { print() {}, printErr() {} };
    if (location.protocol === 'file:') options.wasmBinary = await embeddedWasm();
    const module = await createOtawrap(options);
    module.FS.mkdir(FILES);
    module.FS.mkdir(OUT);
    module.FS.chdir(FILES);
    return {
      fs: module.FS,
      inputLimit: module._otawrap_input_limit() >>> 0,
      // Runs `otawrap args...`: { code, out (bytes), err (text), command }.
      run(args) {
        const argv = ['otawrap'].concat(args);
        const cells = argv.map((text) => {
          const size = module.lengthBytesUTF8(text) + 1;
          const at = module._malloc(size);
          module.stringToUTF8(text, at, size);
          return at;
        });
        const table = module._malloc(4 * cells.length);
        module.HEAPU32.set(cells, table >>> 2);
        const run = module._otawrap_run(argv.length, table);
        const bytes = (at, size) => module.HEAPU8.slice(at >>> 0, (at >>> 0) + (size >>> 0));
        const result = {
          code: module._otawrap_exit_code(run),
          out: bytes(module._otawrap_out_data(run), module._otawrap_out_size(run)),
          err: decoder.decode(bytes(module._otawrap_err_data(run), module._otawrap_err_size(run))),
          command: commandText(argv),
        };
        module._otawrap_release(run);
        cells.forEach((at) => module._free(at));
        module._free(table);
        return result;
      },
    };
  }

  // The command line as a shell would take it.
  function commandText(argv) {
    return argv.map((a) => (/^[\w@%+=:,./-]+$/.test(a) ? a : "'" + a.replace(/'/g, "'\\''") + "'")).join(' ');
  }

  const text = (result) => decoder.decode(result.out);

  // ---- Small helpers ---------------------------------------------------------

  function element(tag, className, content) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (content !== undefined) node.textContent = content;
    return node;
  }

  function row(table, cells) {
    const tr = table.insertRow();
    cells.forEach((cell) => {
      const td = tr.insertCell();
      if (cell instanceof Node) td.appendChild(cell);
      else td.textContent = cell;
    });
    return tr;
  }

  function badge(label, kind) {
    return element('span', 'badge ' + kind, label);
  }

  const grouped = (n) => n.toLocaleString('en-US');
  const hex = (value, digits) => '0x' + value.toString(16).toUpperCase().padStart(digits, '0');

  function download(bytes, name, type) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const a = element('a');
    a.href = url;
    a.download = name;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }

  function toggle(button, target, fill) {
    button.addEventListener('click', () => {
      const open = target.hidden;
      if (open && fill) fill();
      target.hidden = !open;
      button.setAttribute('aria-expanded', String(open));
    });
  }

  function showError(node, message) {
    node.textContent = message.trim();
    node.hidden = !message.trim();
  }

  function setVerdict(node, label, kind) {
    node.textContent = label;
    node.className = 'verdict ' + kind;
  }

  // The indented lines of one section of a text report ("Checks:"), without
  // the indentation.
  function section(report, title) {
    const lines = report.split('\n');
    const out = [];
    for (let i = lines.indexOf(title) + 1; i > 0 && i < lines.length && lines[i].startsWith('  '); i++) {
      out.push(lines[i].slice(2));
    }
    return out;
  }

  // ---- One OTA file ----------------------------------------------------------

  const stateClass = { ok: 'ok', failed: 'failed', 'not applicable': 'na' };
  const stateText = { ok: 'ok', failed: 'FAILED', 'not applicable': 'not applicable' };
  const payloadClass = { ok: 'ok', failed: 'failed', 'not checkable': 'na', skipped: 'na' };

  // What the text report adds to a check after its state: "ok (0x821D at
  // offset 0x88)" gives "0x821D at offset 0x88".
  function checkDetail(line, state) {
    let rest = line;
    if (rest.startsWith(state)) rest = rest.slice(state.length);
    else if (rest.endsWith(' ' + state)) rest = rest.slice(0, -state.length - 1);
    rest = rest.replace(/^[:,] /, '');
    if (/^ \(.*\)$/.test(rest)) rest = rest.slice(2, -1);
    return rest.trim();
  }

  function fillHeader(card, report) {
    const table = $('.fields', card);
    table.textContent = '';
    const lines = section(report, 'Header:');
    const incomplete = report.split('\n').find((l) => l.startsWith('Header: '));
    if (incomplete) row(table, [incomplete.slice(8)]);
    lines.forEach((line) => {
      const colon = line.indexOf(':');
      row(table, [line.slice(0, colon), line.slice(colon + 1).trim()]);
    });
  }

  function fillSubElements(card, info, report) {
    const body = $('.subelements tbody', card);
    body.textContent = '';
    const payloadLines = section(report, 'Sub-elements:')
      .filter((l) => l.startsWith('  payload: ')).map((l) => l.slice(11));
    let next = 0;
    info.subElements.forEach((e) => {
      let payload = '';
      if (e.payload) {
        payload = badge(payloadLines[next++] || e.payload.name + ', ' + e.payload.check, payloadClass[e.payload.check] || 'na');
      } else if (e.headSize) {
        payload = 'encrypted element, ' + e.headSize + '-byte head, info bytes ' + e.infoBytes;
      }
      row(body, [hex(e.tag, 4), e.name, grouped(e.offset), grouped(e.length), payload]);
    });
    if (info.subElementsOmitted > 0) {
      row(body, ['', '… and ' + grouped(info.subElementsOmitted) + ' more sub-elements', '', '', '']);
    }
    if (info.headlessPayload) {
      const h = info.headlessPayload;
      const line = section(report, 'Sub-elements:').find((l) => l.startsWith('headless payload, '));
      row(body, ['—', 'headless payload', grouped(h.offset), grouped(h.length),
        line ? line.slice(18) : h.kind]);
    }
    if (!body.rows.length) row(body, ['', '(none)', '', '', '']);
  }

  // One row per check of the JSON, in the words of its line in the text
  // report ("NAME: ...").
  function fillChecks(table, checks, lines) {
    table.textContent = '';
    checks.forEach((c) => {
      const line = lines.find((l) => l.startsWith(c.name + ': '));
      const state = stateText[c.result] || c.result;
      const detail = line ? checkDetail(line.slice(c.name.length + 2), state) : (c.reason || '');
      const tr = row(table, [c.name, badge(state, stateClass[c.result] || 'na'), detail]);
      tr.className = stateClass[c.result] || 'na';
    });
  }

  // Lays out one run of info or verify: its JSON (the structure) and its
  // text report (the words).
  function showReport(card, json, report) {
    card.dataset.exit = String(json.code);
    $('.command', card).textContent = json.command;
    $('.raw-json', card).textContent = text(json);
    $('.text-report', card).textContent = text(report);
    // The text run's one-line summary of a failure, as the command prints it.
    showError($('.error', card), report.err || json.err);
    const verdict = $('.verdict', card);
    let info = null;
    try {
      info = JSON.parse(text(json));
    } catch (e) {
      info = null;  // no report: the file was not read, or is no OTA file
    }
    card.classList.toggle('unread', !info);
    if (!info) {
      setVerdict(verdict, json.code === 2 ? 'not read' : 'FAILED', 'failed');
      $('.size', card).textContent = '';
      return;
    }
    const failed = info.checks.filter((c) => c.result === 'failed').map((c) => c.name);
    if (json.code === 0) setVerdict(verdict, 'all checks passed', 'ok');
    else setVerdict(verdict, failed.length ? 'FAILED: ' + failed.join(', ') : 'FAILED', 'failed');
    $('.size', card).textContent = grouped(info.fileSize) + ' bytes';
    const lines = text(report).split('\n');
    const header = lines.findIndex((l) => l.startsWith('Header'));
    showError($('.wrapping', card), lines.slice(1, header < 0 ? 1 : header).join('\n'));
    fillHeader(card, text(report));
    fillSubElements(card, info, text(report));
    fillChecks($('.checks', card), info.checks, section(text(report), 'Checks:'));
    const wrapped = info.container || info.trailer || info.prefixLength > 0;
    const normalize = $('.normalize', card);
    normalize.textContent = wrapped ? 'Download plain OTA file (unwrapped)' : 'Download plain OTA file';
    normalize.classList.toggle('primary', Boolean(wrapped) && json.code === 0);
  }

  function showInfo(card, name) {
    showReport(card, tool.run(['info', '--json', '--', name]), tool.run(['info', '--', name]));
  }

  // verify: the report of info with the signature verified, then verify's own
  // lines about the signature (signer, a suite-2 certificate's fields, the
  // public key, the verdict). A suite-1 certificate's subject and issuer,
  // which verify does not print, are octets 22..29 and 30..37 of it.
  function showVerify(card, name, kind, key) {
    const json = tool.run(['verify', '--json', kind, key, '--', name]);
    const report = tool.run(['verify', kind, key, '--', name]);
    const part = $('.signature', card);
    const table = $('.signature-fields', card);
    table.textContent = '';
    part.hidden = false;
    card.dataset.verifyExit = String(report.code);
    if (json.code !== 2 || json.out.length) showReport(card, json, report);
    const lines = text(report).split('\n');
    const first = lines.findIndex((l) => /^(Signer|Public key|Signature): /.test(l));
    const facts = first < 0 ? [] : lines.slice(first).filter((l) => /^[A-Z][a-z ]+: /.test(l));
    const labels = {'Public key': kind === '--ca-key' ? 'Signer\'s public key (from the certificate)' : 'Public key'};
    for (const line of facts) {
      const at = line.indexOf(': ');
      const label = line.slice(0, at);
      const value = line.slice(at + 2);
      if (label === 'Signature') row(table, ['Signature', badge(value, value === 'ok' ? 'ok' : 'failed')]);
      else row(table, [labels[label] || label, value]);
    }
    const verdictLine = facts.find((l) => l.startsWith('Signature: '));
    const certificate = tool.run(['extract', '--tag', '0002', '--output', '-', '--', name]);
    if (verdictLine && !facts.some((l) => l.startsWith('Subject: ')) && certificate.code === 0 &&
        certificate.out.length === 48) {
      const octets = (from, to) => Array.from(certificate.out.slice(from, to), (b) => b.toString(16).toUpperCase().padStart(2, '0')).join('');
      row(table, ['Certificate subject', octets(22, 30)]);
      row(table, ['Certificate issuer', octets(30, 38)]);
    }
    if (report.err.trim()) row(table, ['Message', element('span', 'message', report.err.trim())]);
  }

  function normalize(card, name) {
    for (const entry of tool.fs.readdir(OUT)) {
      if (entry !== '.' && entry !== '..') tool.fs.unlink(OUT + '/' + entry);
    }
    const result = tool.run(['normalize', '--output-dir', OUT, '--', name]);
    const note = $('.normalized', card);
    const lines = text(result).trim().split('\n');
    if (result.code === 0) {
      const written = lines.pop();
      const file = written.slice(OUT.length + 1);
      download(tool.fs.readFile(written), file, 'application/octet-stream');
      note.textContent = lines.concat('saved as ' + file).join('; ');
      note.className = 'normalized';
    } else {
      note.textContent = result.err.trim() || text(result).trim();
      note.className = 'normalized error';
    }
    note.hidden = false;
  }

  function indexEntry(card, name) {
    const args = ['index', '--format', $('.entry-format', card).value];
    const prefix = $('.entry-prefix', card).value.trim();
    if (prefix) args.push('--url-prefix', prefix);
    const result = tool.run(args.concat('--', name));
    const pre = $('.entry-json', card);
    pre.textContent = result.code === 0 ? text(result) : result.err.trim();
    pre.classList.toggle('error', result.code !== 0);
    showError($('.entry-warning', card), result.code === 0 ? result.err : '');
    card.entryResult = result;
  }

  // The card of name in map, made from template the first time (wire gives
  // it its handlers) and put first in container.
  function cardFor(map, template, container, name, wire) {
    let card = map.get(name);
    if (card) return card;
    card = $(template).content.firstElementChild.cloneNode(true);
    card.dataset.file = name;
    $('.name', card).textContent = name;
    wire(card);
    map.set(name, card);
    $(container).prepend(card);
    return card;
  }

  const fileCard = (name) => cardFor(cards, '#file-card', '#files', name, (card) => {
    toggle($('.show-json', card), $('.raw-json', card));
    toggle($('.show-text', card), $('.text-report', card));
    toggle($('.show-entry', card), $('.entry', card), () => indexEntry(card, name));
    $('.normalize', card).addEventListener('click', () => normalize(card, name));
    $('.entry-format', card).addEventListener('change', () => indexEntry(card, name));
    $('.entry-prefix', card).addEventListener('input', () => indexEntry(card, name));
    $('.copy-entry', card).addEventListener('click', (event) => copy($('.entry-json', card), event.target));
    $('.download-entry', card).addEventListener('click', () => {
      if (card.entryResult && card.entryResult.code === 0) download(card.entryResult.out, 'index.json', 'application/json');
    });
  });

  async function copy(pre, button) {
    try {
      await navigator.clipboard.writeText(pre.textContent);
    } catch (e) {
      const range = document.createRange();
      range.selectNodeContents(pre);
      getSelection().removeAllRanges();
      getSelection().addRange(range);
      document.execCommand('copy');
    }
    button.textContent = 'Copied';
    setTimeout(() => { button.textContent = 'Copy'; }, 1500);
  }

  // ---- OTA indexes -----------------------------------------------------------

  function showLint(card, name) {
    const args = ['lint', '--json'];
    if ($('.files-option', card).checked) args.push('--files', '.');
    const result = tool.run(args.concat('--', name));
    card.dataset.exit = String(result.code);
    $('.command', card).textContent = result.command;
    // Standard error holds lint's summary line, or why the index was not read.
    showError($('.error', card), result.err);
    $('.error', card).classList.toggle('summary', result.code !== 2);
    const list = $('.findings', card);
    list.textContent = '';
    const findings = text(result).split('\n').filter(Boolean).map((line) => JSON.parse(line));
    findings.forEach((f) => {
      const item = element('li');
      item.appendChild(element('strong', '', 'entry ' + f.entry + (f.url ? ' (' + f.url + ')' : '') + ': '));
      item.appendChild(document.createTextNode(f.message));
      list.appendChild(item);
    });
    $('.no-findings', card).hidden = result.code !== 0;
    const verdict = $('.verdict', card);
    if (result.code === 0) setVerdict(verdict, 'no findings', 'ok');
    else if (result.code === 1) setVerdict(verdict, findings.length + (findings.length === 1 ? ' finding' : ' findings'), 'failed');
    else setVerdict(verdict, 'not read', 'failed');
    card.classList.toggle('unread', result.code === 2);
  }

  function showMatch(card, name) {
    const form = $('.match', card);
    const args = ['match'];
    for (const field of ['manufacturer', 'image-type', 'file-version', 'hardware-version', 'model-id', 'manufacturer-name']) {
      const value = form.elements[field].value.trim();
      if (value) args.push('--' + field, value);
    }
    const result = tool.run(args.concat('--', name));
    const out = $('.match-result', card);
    out.textContent = '';
    out.hidden = false;
    out.dataset.exit = String(result.code);
    text(result).split('\n').filter(Boolean).forEach((line) => {
      const detail = line.startsWith('  ');
      const offers = !detail && / offers entry /.test(line);
      out.appendChild(element('p', detail ? 'detail' : offers ? 'consumer ok' : 'consumer', line.trim()));
    });
    if (result.err.trim()) out.appendChild(element('p', 'error', result.err.trim()));
    out.appendChild(element('p', 'command', result.command));
  }

  const indexCard = (name) => cardFor(indexes, '#index-card', '#indexes', name, (card) => {
    $('.files-option', card).addEventListener('change', () => showLint(card, name));
    $('.match', card).addEventListener('submit', (event) => {
      event.preventDefault();
      showMatch(card, name);
    });
  });

  // ---- Files in and out ----------------------------------------------------

  const isIndex = (name) => /\.json$/i.test(name) && !/\.meta\.json$/i.test(name);

  async function addFiles(list) {
    if (!tool || !list.length) return;
    const started = performance.now();
    const status = $('#status');
    status.textContent = 'Reading ' + list.length + (list.length === 1 ? ' file…' : ' files…');
    const names = [];
    const unread = [];
    for (const file of list) {
      // No more than the largest input any command accepts, plus the byte that
      // makes it refuse the file in its own words.
      try {
        tool.fs.writeFile(file.name, new Uint8Array(await file.slice(0, tool.inputLimit).arrayBuffer()));
        names.push(file.name);
      } catch (e) {
        unread.push(file.name);  // a folder, or a file the browser may not read
      }
    }
    const hasOta = [...cards.keys()].length > 0 || names.some((n) => !isIndex(n) && !/\.meta\.json$/i.test(n));
    for (const name of names) {
      if (/\.meta\.json$/i.test(name)) continue;
      if (isIndex(name)) {
        const card = indexCard(name);
        $('.files-option', card).checked = hasOta;
        prefillMatch(card);
      } else {
        showInfo(fileCard(name), name);
      }
    }
    indexes.forEach((card, name) => showLint(card, name));
    const key = $('#key').value.trim();
    if (key) names.filter((n) => cards.has(n)).forEach((n) => showVerify(cards.get(n), n, $('#key-kind').value, key));
    showSummary();
    const ms = Math.round(performance.now() - started);
    document.body.dataset.lastRunMs = String(ms);
    status.textContent = 'Checked ' + names.length + (names.length === 1 ? ' file' : ' files') + ' in ' + ms + ' ms, on this machine.' +
      (unread.length ? ' The browser could not read ' + unread.join(', ') + ' (folders are not read: drop the files inside them).' : '');
    const first = cards.get(names[0]) || indexes.get(names[0]);
    if (first && list.length === 1) first.scrollIntoView({ block: 'nearest' });
  }

  // With several files, one line each at the top: name and verdict, a click
  // away from its card.
  function showSummary() {
    const nav = $('#summary');
    const list = $('ul', nav);
    list.textContent = '';
    const all = [...$('#indexes').children, ...$('#files').children];
    nav.hidden = all.length < 2;
    all.forEach((card) => {
      const item = element('li');
      const link = element('button', 'link', card.dataset.file);
      link.type = 'button';
      link.addEventListener('click', () => card.scrollIntoView({ behavior: 'smooth', block: 'start' }));
      const verdict = $('.verdict', card);
      item.append(link, element('span', verdict.className, verdict.textContent));
      list.appendChild(item);
    });
  }

  // The match form starts with the identifiers of the first OTA file.
  function prefillMatch(card) {
    const form = $('.match', card);
    for (const other of cards.values()) {
      let info = null;
      try {
        info = JSON.parse($('.raw-json', other).textContent);
      } catch (e) {
        continue;
      }
      if (!info.header) continue;
      if (!form.elements.manufacturer.value) form.elements.manufacturer.value = info.header.manufacturerCode.toString(16).toUpperCase().padStart(4, '0');
      if (!form.elements['image-type'].value) form.elements['image-type'].value = info.header.imageType.toString(16).toUpperCase().padStart(4, '0');
      if (!form.elements['file-version'].value) form.elements['file-version'].value = '00000000';
      return;
    }
  }

  function forgetAll() {
    for (const name of tool.fs.readdir(FILES)) {
      if (name !== '.' && name !== '..') tool.fs.unlink(name);
    }
    cards.clear();
    indexes.clear();
    $('#files').textContent = '';
    $('#indexes').textContent = '';
    showSummary();
    $('#status').textContent = 'All files forgotten.';
  }

  function wirePage() {
    const drop = $('#drop');
    $('#pick').addEventListener('change', (event) => {
      addFiles([...event.target.files]);
      event.target.value = '';
    });
    document.addEventListener('dragover', (event) => {
      event.preventDefault();
      drop.classList.add('over');
    });
    document.addEventListener('dragleave', (event) => {
      if (!event.relatedTarget) drop.classList.remove('over');
    });
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      drop.classList.remove('over');
      addFiles([...event.dataTransfer.files]);
    });
    $('#verify-form').addEventListener('submit', (event) => {
      event.preventDefault();
      const key = $('#key').value.trim();
      if (!key) return;
      if (!cards.size) {
        $('#status').textContent = 'Add an OTA file first: its signature is verified with this key.';
        return;
      }
      cards.forEach((card, name) => showVerify(card, name, $('#key-kind').value, key));
      showSummary();
    });
    $('#clear').addEventListener('click', forgetAll);
  }

  wirePage();
  loadTool().then((loaded) => {
    tool = loaded;
    $('#version').textContent = text(tool.run(['version'])).trim() + ', WebAssembly build';
    document.body.classList.add('ready');
  }, (error) => {
    $('#version').textContent = 'otawrap could not start in this browser: ' + (error && error.message ? error.message : error);
    $('#version').className = 'version error';
  });
})();
