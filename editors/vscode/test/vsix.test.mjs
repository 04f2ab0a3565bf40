// The packed extension (.vsix) holds what VS Code needs: a manifest that
// declares the two languages, their grammars and encoding, the settings and
// the client's entry point, and the client's modules, so that the extension
// works without a network. The client entry is loaded from the unpacked
// package against a stand-in for VS Code's API.
//
// VSIX names the package to check (`make vscode` writes one); without it the
// test packs one itself with vsce, as `make vscode` does.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';
import {after, before, describe, test} from 'node:test';
import {fileURLToPath} from 'node:url';

const require = createRequire(import.meta.url);
const EXTENSION = path.dirname(path.dirname(fileURLToPath(import.meta.url)));
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-vsix-test-'));
const unpacked = path.join(scratch, 'unpacked');
let manifest;

before(() => {
  let vsix = process.env.VSIX;
  if (!vsix) {
    vsix = path.join(scratch, 'scenario-texts.vsix');
    const vsce = path.join(EXTENSION, 'node_modules', '.bin', 'vsce');
    assert.ok(
        fs.existsSync(vsce), 'vsce is missing: run "npm ci" in editors/vscode (make test does)');
    execFileSync(
        vsce, ['package', '--allow-missing-repository', '--skip-license', '--out', vsix],
        {cwd: EXTENSION, stdio: ['ignore', 'ignore', 'inherit']});
  }
  execFileSync('unzip', ['-q', vsix, '-d', unpacked]);
  manifest = JSON.parse(fs.readFileSync(path.join(unpacked, 'extension', 'package.json'), 'utf8'));
});

after(() => fs.rmSync(scratch, {recursive: true, force: true}));

const inPackage = (file) => path.join(unpacked, 'extension', file);

describe('the manifest', () => {
  test('names the extension, its version and the VS Code it needs', () => {
    const source = JSON.parse(fs.readFileSync(path.join(EXTENSION, 'package.json'), 'utf8'));
    assert.equal(manifest.name, 'scenario-texts');
    assert.equal(manifest.version, source.version);
    assert.match(manifest.publisher, /^[a-z0-9][a-z0-9-]*$/);
    assert.match(manifest.engines.vscode, /^\^1\.\d+\.\d+$/);
    const vsixManifest = fs.readFileSync(path.join(unpacked, 'extension.vsixmanifest'), 'utf8');
    assert.match(vsixManifest, new RegExp(`Version="${manifest.version.replace(/\./g, '\\.')}"`));
  });

  test('declares both kinds of text by file name, each with its grammar', () => {
    const patterns =
        Object.fromEntries(manifest.contributes.languages.map((l) => [l.id, l.filenamePatterns]));
    assert.deepEqual(patterns, {'scenario-line': ['*_linea.txt'], 'scenario-service': ['*-.txt']});
    for (const language of manifest.contributes.languages) {
      assert.ok(fs.existsSync(inPackage(language.configuration)), language.configuration);
    }
    const scopes = new Map();
    for (const grammar of manifest.contributes.grammars) {
      const file = inPackage(grammar.path);
      assert.ok(fs.existsSync(file), `${grammar.path} is not in the package`);
      const raw = JSON.parse(fs.readFileSync(file, 'utf8'));
      assert.equal(raw.scopeName, grammar.scopeName, grammar.path);
      scopes.set(grammar.scopeName, raw);
    }
    for (const id of ['scenario-line', 'scenario-service']) {
      const grammar = manifest.contributes.grammars.find((g) => g.language === id);
      assert.ok(grammar, `no grammar for ${id}`);
      // Whatever a grammar includes from another must be packed too.
      const included =
          JSON.stringify(scopes.get(grammar.scopeName)).match(/"include":"source\.[^"#]+/g) || [];
      for (const include of included) {
        assert.ok(scopes.has(include.slice('"include":"'.length)), `${id}: ${include}`);
      }
    }
  });

  test('reads and writes both kinds of text as Windows-1252', () => {
    for (const id of ['scenario-line', 'scenario-service']) {
      assert.equal(
          manifest.contributes.configurationDefaults[`[${id}]`]['files.encoding'], 'windows1252',
          id);
    }
  });

  test('offers the server path and inlay hint settings, and starts on either language', () => {
    const settings = manifest.contributes.configuration.properties;
    assert.equal(settings['scenarioTexts.serverPath'].type, 'string');
    assert.equal(settings['scenarioTexts.serverPath'].default, '');
    assert.equal(settings['scenarioTexts.inlayHints'].type, 'boolean');
    assert.deepEqual(
        manifest.activationEvents.sort(),
        ['onLanguage:scenario-line', 'onLanguage:scenario-service']);
  });
});

// A stand-in for VS Code's module: enough of the API for the client to load
// and for the server to be looked for; every other name is an empty class.
function fakeVscode(settings) {
  const anyClass = () => class {};
  const base = {
    workspace: {
      getConfiguration: () => ({get: (key, fallback) => settings[key] ?? fallback}),
      createFileSystemWatcher: (glob) => ({glob}),
      onDidChangeConfiguration: () => ({dispose() {}}),
    },
    window: {showErrorMessage: (message) => base.errors.push(message)},
    errors: [],
  };
  return new Proxy(base, {
    get: (target, name) => (name in target ? target[name] : anyClass()),
  });
}

// The extension's entry with the stand-in for VS Code; `languageClient`, if
// given, stands in for vscode-languageclient/node too.
function loadClient(settings, languageClient) {
  const Module = require('node:module');
  const load = Module._load;
  const vscode = fakeVscode(settings);
  Module._load = function(request, ...rest) {
    if (request === 'vscode') return vscode;
    if (request === 'vscode-languageclient/node' && languageClient) return languageClient;
    return load.call(this, request, ...rest);
  };
  try {
    const entry = inPackage(manifest.main);
    delete require.cache[entry];
    return require(entry);
  } finally {
    Module._load = load;
  }
}

describe('the client', () => {
  test('loads from the package alone, with the language client it needs', () => {
    const client = loadClient({});
    assert.equal(typeof client.activate, 'function');
    assert.equal(typeof client.deactivate, 'function');
    // Resolved from the unpacked package, not from the source folder's modules.
    const resolved = require.resolve('vscode-languageclient/node', {paths: [inPackage('')]});
    assert.ok(resolved.startsWith(inPackage('node_modules')), resolved);
  });

  test('leaves the tests and the tools that build and test it out of the package', () => {
    for (const file
             of ['test', 'node_modules/@vscode/vsce', 'node_modules/vscode-textmate',
                 'node_modules/vscode-oniguruma']) {
      assert.ok(!fs.existsSync(inPackage(file)), `${file} is in the package`);
    }
  });

  test(
      'starts "scenario-tool lsp" for both kinds of text, inlay hints only when asked',
      async () => {
        for (const inlayHints of [false, true]) {
          const started = [];
          const languageClient = {
            TransportKind: {stdio: 0},
            LanguageClient: class {
              constructor(id, name, server, options) {
                Object.assign(this, {id, server, options});
              } start() {
                started.push(this);
              }
            },
          };
          const client =
              loadClient({serverPath: '/opt/tool/scenario-tool', inlayHints}, languageClient);
          await client.activate({extensionPath: scratch, subscriptions: []});
          assert.equal(started.length, 1);
          const [{server, options}] = started;
          assert.deepEqual([server.command, server.args], ['/opt/tool/scenario-tool', ['lsp']]);
          assert.deepEqual(
              [...new Set(options.documentSelector.map((s) => s.language))].sort(),
              ['scenario-line', 'scenario-service']);
          const hints =
              await options.middleware.provideInlayHints('doc', 'range', null, () => ['a hint']);
          assert.deepEqual(hints, inlayHints ? ['a hint'] : [], `inlayHints ${inlayHints}`);
        }
      });

  test('finds the server from the setting, else on PATH, else beside the extension', () => {
    const onPath = path.join(scratch, 'on-path');
    const beside = path.join(scratch, 'beside');
    const program = process.platform === 'win32' ? 'scenario-tool.exe' : 'scenario-tool';
    fs.mkdirSync(onPath);
    fs.mkdirSync(path.join(beside, 'bin'), {recursive: true});
    const oldPath = process.env.PATH;
    try {
      const context = {extensionPath: beside};
      const cases = [
        // [setting, programs present, expected]
        ['/opt/tool/scenario-tool', [onPath, beside], '/opt/tool/scenario-tool'],
        ['', [onPath, path.join(beside, 'bin')], path.join(onPath, program)],
        ['', [path.join(beside, 'bin')], path.join(beside, 'bin', program)],
        ['', [], undefined],
      ];
      for (const [setting, present, expected] of cases) {
        for (const dir of [onPath, beside, path.join(beside, 'bin')]) {
          fs.rmSync(path.join(dir, program), {force: true});
        }
        for (const dir of present) fs.writeFileSync(path.join(dir, program), '');
        process.env.PATH = [path.join(scratch, 'nowhere'), onPath].join(path.delimiter);
        const {serverPath} = loadClient({serverPath: setting});
        assert.equal(serverPath(context), expected, `setting "${setting}", ${present}`);
      }
    } finally {
      process.env.PATH = oldPath;
    }
  });
});
