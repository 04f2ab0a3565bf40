// A real language client on scenario-tool's server: Debian's Neovim, run
// headless with exactly the configuration docs/editors.md gives, opens the
// built-in texts with one fault and asks what an author's editor asks.  What
// it got (neovim_client.lua writes it) must hold the fragments listed in
// neovim_expectations.json.
//
// Run by CTest, which sets SCENARIO_TOOL (whose folder goes first on PATH, so
// that the configuration's plain `scenario-tool` is that one) and
// EDITOR_ARTEFACTS (where Neovim's answers are kept).  NVIM_SERVER_DIR puts
// another folder first instead, to try the harness on another server.
// Exit status 77 (a skip for CTest) when Neovim is not installed.
import assert from 'node:assert/strict';
import {execFileSync, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const SOURCE = path.resolve(HERE, '..', '..');
const CONFIG = path.join(SOURCE, 'editors', 'nvim', 'scenario.lua');
const DOCS = path.join(SOURCE, 'docs', 'editors.md');
const TOOL = process.env.SCENARIO_TOOL;
const ARTEFACTS =
    process.env.EDITOR_ARTEFACTS || path.join(os.tmpdir(), 'scenario-editor-artefacts');
if (!TOOL) throw new Error('SCENARIO_TOOL must name the scenario-tool executable (CTest sets it)');

// The configuration a reader copies from the guide is the one tested.
function checkGuideShowsConfiguration() {
  const config = fs.readFileSync(CONFIG, 'utf8');
  const blocks = [...fs.readFileSync(DOCS, 'utf8').matchAll(/```lua\n([\s\S]*?)```/g)];
  assert.ok(
      blocks.some((b) => b[1] === config),
      `docs/editors.md must show ${path.relative(SOURCE, CONFIG)} verbatim in a lua block`);
}

// Every part of `expected` is in `actual`: objects key by key, arrays
// element by element (each expected element matches some actual one),
// {"$contains": s} a string holding s, anything else equal.
function matches(actual, expected) {
  if (expected && typeof expected === 'object' && !Array.isArray(expected)) {
    if ('$contains' in expected) {
      return typeof actual === 'string' && actual.includes(expected.$contains);
    }
    if (!actual || typeof actual !== 'object') return false;
    return Object.entries(expected).every(([k, v]) => matches(actual[k], v));
  }
  if (Array.isArray(expected)) {
    return Array.isArray(actual) && expected.every((e) => actual.some((a) => matches(a, e)));
  }
  return actual === expected;
}

function mismatches(actual, expected, where = '') {
  if (matches(actual, expected)) return [];
  if (expected && typeof expected === 'object' && !Array.isArray(expected) &&
      !('$contains' in expected) && actual && typeof actual === 'object') {
    return Object.entries(expected).flatMap(([k, v]) => mismatches(actual[k], v, `${where}.${k}`));
  }
  return [`${where || '.'}: expected ${JSON.stringify(expected)}, got ${JSON.stringify(actual)}`];
}

// The built-in texts with the one fault the expectations name.
function writeTexts(dir, fault) {
  execFileSync(TOOL, ['template', dir], {stdio: 'ignore'});
  const files = fs.readdirSync(dir);
  const line = path.join(dir, files.find((f) => f.endsWith('_linea.txt')));
  const service = path.join(dir, files.find((f) => f.endsWith('-.txt')));
  const text = fs.readFileSync(service, 'latin1');
  assert.ok(text.includes(fault.replace), `the service text has no "${fault.replace}"`);
  const faulty = text.replace(fault.replace, fault.with);
  fs.writeFileSync(service, faulty, 'latin1');
  const before = faulty.slice(0, faulty.indexOf(fault.with)).split('\n');
  const at = fault.with.indexOf(fault.value);
  return {line, service, faultLine: before.length - 1, faultColumn: before.at(-1).length + at};
}

function main() {
  checkGuideShowsConfiguration();
  if (spawnSync('nvim', ['--version']).error) {
    console.log('SKIPPED: nvim is not installed (make test-deps installs it)');
    process.exit(77);
  }
  const expectations =
      JSON.parse(fs.readFileSync(path.join(HERE, 'neovim_expectations.json'), 'utf8'));
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-nvim-test-'));
  try {
    const texts = writeTexts(path.join(scratch, 'texts'), expectations.fault);
    fs.mkdirSync(ARTEFACTS, {recursive: true});
    const result = path.join(ARTEFACTS, 'neovim-result.json');
    fs.rmSync(result, {force: true});
    const serverDir = process.env.NVIM_SERVER_DIR || path.dirname(path.resolve(TOOL));
    const run = spawnSync(
        'nvim',
        [
          '--headless', '--clean', '-n', '-i', 'NONE', '-u', CONFIG, '-c',
          `luafile ${path.join(HERE, 'neovim_client.lua')}`
        ],
        {
          cwd: path.dirname(texts.service),
          encoding: 'utf8',
          timeout: 120000,
          env: {
            ...process.env,
            PATH: [serverDir, process.env.PATH].join(path.delimiter),
            HOME: scratch,
            XDG_CONFIG_HOME: path.join(scratch, 'config'),
            XDG_DATA_HOME: path.join(scratch, 'data'),
            XDG_STATE_HOME: path.join(scratch, 'state'),
            // Neovim's log of the language client stays with the answers.
            XDG_CACHE_HOME: path.join(ARTEFACTS, 'neovim-cache'),
            NVIM_LINE_TEXT: texts.line,
            NVIM_SERVICE_TEXT: texts.service,
            NVIM_FAULT_LINE: String(texts.faultLine),
            NVIM_FAULT_COLUMN: String(texts.faultColumn),
            NVIM_RESULT: result,
          },
        });
    assert.ok(
        fs.existsSync(result),
        `Neovim wrote no result (status ${run.status}, ${run.error || ''}):\n${run.stdout}\n${
            run.stderr}`);
    const got = JSON.parse(fs.readFileSync(result, 'utf8'));
    assert.equal(got.error, undefined, `the harness failed inside Neovim (${result})`);
    const problems = mismatches(got, expectations.expected);
    assert.deepEqual(problems, [], `Neovim's answers (${result}) miss expected fragments`);
    console.log(`Neovim's answers hold every expected fragment (${result})`);
  } finally {
    fs.rmSync(scratch, {recursive: true, force: true});
  }
}

main();
