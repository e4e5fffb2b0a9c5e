#!/usr/bin/env node
// Checks GitHub workflow files with actionlint (compiled to WebAssembly):
//   node tools/actionlint/check.js FILE...
// Exits 1 when actionlint reports anything, 2 when it cannot run. Loads the
// package's main.wasm directly: the package's own command needs Node 20, and
// Debian 12 has Node 18, which lacks globalThis.crypto.
'use strict';
const fs = require('fs');
const path = require('path');

const files = process.argv.slice(2);
if (files.length === 0) {
  console.error('usage: check.js WORKFLOW.yml...');
  process.exit(2);
}
globalThis.crypto ??= require('crypto').webcrypto;
const pkg = path.join(__dirname, 'node_modules', '@tktco', 'node-actionlint');

(async () => {
  require(path.join(pkg, 'wasm_exec.js'));
  const go = new globalThis.Go();
  const wasm = fs.readFileSync(path.join(pkg, 'main.wasm'));
  const { instance } = await WebAssembly.instantiate(wasm, go.importObject);
  go.run(instance);
  let problems = 0;
  for (const file of files) {
    const found = globalThis.runActionlint(fs.readFileSync(file, 'utf8'), file)
      .filter((r) => r.message);
    for (const r of found) console.log(`${file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
    problems += found.length;
    if (found.length === 0) console.log(`${file}: actionlint found nothing`);
  }
  process.exit(problems ? 1 : 0);
})().catch((e) => {
  console.error(`actionlint did not run: ${e.stack || e}`);
  process.exit(2);
});
