// The extension's TextMate grammars, run by the same engine as VS Code's
// (vscode-textmate on the Oniguruma regular expressions): the built-in texts
// and the annotated template must come out coloured as the reader reads
// them, line by line, and the odd lines an author writes must too.
//
// Run by CTest, which sets SCENARIO_TOOL (the scenario-tool executable).
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
const TOOL = process.env.SCENARIO_TOOL;
if (!TOOL) throw new Error('SCENARIO_TOOL must name the scenario-tool executable (CTest sets it)');

let vsctm, oniguruma;
try {
  vsctm = require('vscode-textmate');
  oniguruma = require('vscode-oniguruma');
} catch (e) {
  throw new Error(
      `vscode-textmate is missing: run "npm ci" in editors/vscode (make test does): ${e}`);
}

const SCOPES = {
  comment: 'comment.line.dash.scenario',
  section: 'entity.name.section.scenario',
  keyword: 'keyword.other.entry.scenario',
  number: 'constant.numeric.integer.scenario',
  text: 'string.unquoted.text.scenario',
  quoted: 'string.quoted.double.scenario',
};

// The grammars as VS Code finds them: through the manifest's contributions.
const manifest = JSON.parse(fs.readFileSync(path.join(EXTENSION, 'package.json'), 'utf8'));
const grammarFiles =
    new Map(manifest.contributes.grammars.map((g) => [g.scopeName, path.join(EXTENSION, g.path)]));
const languageScope = new Map(
    manifest.contributes.grammars.filter((g) => g.language).map((g) => [g.language, g.scopeName]));

const registry = new vsctm.Registry({
  onigLib: (async () => {
    const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
    await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.length));
    return {
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (s) => new oniguruma.OnigString(s),
    };
  })(),
  loadGrammar: async (scopeName) => {
    const file = grammarFiles.get(scopeName);
    if (!file) return null;
    return vsctm.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
  },
});

const grammars = {};
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-grammar-test-'));

before(async () => {
  for (const language of ['scenario-line', 'scenario-service']) {
    grammars[language] = await registry.loadGrammar(languageScope.get(language));
    assert.ok(grammars[language], `no grammar for ${language}`);
  }
});

after(() => fs.rmSync(scratch, {recursive: true, force: true}));

// For each character of each line, the scopes VS Code would give it.
function tokenize(language, text) {
  let state = vsctm.INITIAL;
  return text.split(/\r\n|\r|\n/).map((line) => {
    const result = grammars[language].tokenizeLine(line, state);
    state = result.ruleStack;
    const scopes = [];
    for (const token of result.tokens) {
      for (let i = token.startIndex; i < Math.min(token.endIndex, line.length); i++) {
        scopes[i] = token.scopes;
      }
    }
    return {line, scopes};
  });
}

const has = (scopes, kind) => (scopes || []).includes(SCOPES[kind]);

// Every non-blank character of line.slice(from, to) carries the scope.
function assertSpan({line, scopes}, from, to, kind, where) {
  for (let i = from; i < to; i++) {
    if (/\s/.test(line[i])) continue;
    assert.ok(
        has(scopes[i], kind),
        `${where}: "${line}" column ${i} ("${line[i]}") is not ${kind}: ${scopes[i]}`);
  }
}

function assertNoScope({line, scopes}, from, to, kind, where) {
  for (let i = from; i < to; i++) {
    assert.ok(!has(scopes[i], kind), `${where}: "${line}" column ${i} is ${kind}`);
  }
}

// The fields of a line as the reader splits them: [start, end) of each.
function fields(line) {
  const result = [];
  let start = 0;
  for (let i = 0; i <= line.length; i++) {
    if (i === line.length || line[i] === ',') {
      result.push([start, i]);
      start = i + 1;
    }
  }
  return result;
}

// A line of a built-in text coloured as the reader takes it: a dash in the
// first field makes a comment, brackets a section, anything else an entry
// whose values are numbers (blank-separated on the clock line) or text.
function assertLineAsRead(tokens, where) {
  const {line} = tokens;
  if (line.trim() === '') return;
  const [first, ...values] = fields(line);
  const head = line.slice(...first);
  if (head.includes('-')) {
    assertSpan(tokens, first[0], first[1], 'comment', where);
    return;
  }
  if (/^\s*\[[^\]]*\]\s*$/.test(head)) {
    assertSpan(tokens, line.indexOf('[') + 1, line.indexOf(']'), 'section', where);
    return;
  }
  assertSpan(tokens, first[0], first[1], 'keyword', where);
  for (const [from, to] of values) {
    const value = line.slice(from, to);
    if (/^\s*([-+]?\d+\s*)*$/.test(value)) {
      assertSpan(tokens, from, to, 'number', where);
    } else {
      assertSpan(tokens, from, to, 'text', where);
      assertNoScope(tokens, from, to, 'number', where);
    }
  }
}

describe('the built-in texts', () => {
  for (const annotated of [false, true]) {
    const kind = annotated ? 'annotated template' : 'plain template';
    test(`every line of the ${kind} is coloured as the reader reads it`, () => {
      const dir = path.join(scratch, annotated ? 'annotated' : 'plain');
      execFileSync(TOOL, ['template', ...(annotated ? ['--annotated'] : []), dir]);
      const texts = {
        'scenario-line': fs.readdirSync(dir).filter((f) => f.endsWith('_linea.txt')),
        'scenario-service': fs.readdirSync(dir).filter((f) => f.endsWith('-.txt')),
      };
      for (const [language, files] of Object.entries(texts)) {
        assert.equal(files.length, 1, `${language}: ${files}`);
        // The texts are Windows-1252; latin1 maps each byte to one character.
        const text = fs.readFileSync(path.join(dir, files[0]), 'latin1');
        const lines = tokenize(language, text);
        let comments = 0;
        lines.forEach((tokens, i) => {
          assertLineAsRead(tokens, `${files[0]}:${i + 1}`);
          if (has(tokens.scopes[tokens.line.search(/\S/)], 'comment')) comments++;
        });
        if (annotated) assert.ok(comments > 10, `${files[0]}: only ${comments} comment lines`);
      }
    });
  }
});

// [language, line, [substring, scope or '!scope'] ...]: each substring's
// first occurrence must carry (or, with '!', must not carry) the scope.
const SAMPLES = [
  ['scenario-line', 'PENDENZA,  24000,  -5', ['PENDENZA', 'keyword'], ['-5', 'number']],
  ['scenario-line', 'la pendenza nuova, 100, 5', ['la pendenza nuova', 'keyword']],
  ['scenario-line', 'sfondo uno, 3', ['sfondo uno', 'keyword'], ['3', 'number']],
  // The general keywords are read in lower case only.
  ['scenario-line', 'Sfondo Uno, 3', ['Sfondo Uno', '!keyword']],
  [
    'scenario-line', 'cartello indicatore, 1000, "Km 12, fine"', ['cartello indicatore', 'keyword'],
    ['Km 12, fine', 'quoted'], ['12', '!number']
  ],
  ['scenario-line', 'cartello indicatore, 1000, Stazione di Lecco', ['Stazione di Lecco', 'text']],
  ['scenario-line', 'indicatori_vmax,  1000,  90,  ,  ,  0', ['90', 'number'], ['0', 'number']],
  [
    'scenario-line', 'ripetizione segnali 9 codici, 0, 52000',
    ['ripetizione segnali 9 codici', 'keyword'], ['9', '!number']
  ],
  // A keyword of the other text is no entry of this one.
  ['scenario-line', 'segnale, 1450, 2', ['segnale', '!keyword']],
  ['scenario-service', 'pendenza, 0, 0', ['pendenza', '!keyword']],
  ['scenario-line', 'pendneza, 0, 0', ['pendneza', '!keyword'], ['0', 'number']],
  // A dash makes a comment even of a field that holds a keyword or brackets.
  [
    'scenario-line', '- pendenza 24000 is the summit', ['pendenza', 'comment'], ['24000', '!number']
  ],
  ['scenario-line', '-- [curve]', ['[curve]', 'comment'], ['curve', '!section']],
  ['scenario-line', '  [montagne]', ['montagne', 'section']],
  // A comment holds no comma: the reader examines what follows one.
  ['scenario-line', '-- note, 300', ['note', 'comment'], ['300', 'number']],
  [
    'scenario-service', 'Stazione,  4000,  4,  500, 0, 0,25, 0, CARNATE - USMATE',
    ['Stazione', 'keyword'], ['CARNATE - USMATE', 'text'], ['CARNATE', '!comment']
  ],
  [
    'scenario-service', 'orologio,    0               24            30 ', ['orologio', 'keyword'],
    ['24', 'number'], ['30', 'number']
  ],
  ['scenario-service', 'massa frenata in percentuale, 125', ['massa frenata', 'keyword']],
  ['scenario-service', 'massa, 125', ['massa', '!keyword']],
  ['scenario-service', 'velocità, 0, 90', ['velocità', 'keyword']],
  ['scenario-service', 'sabbia, 3.5', ['3.5', 'text'], ['3', '!number']],
];

describe('lines an author writes', () => {
  for (const [language, line, ...expectations] of SAMPLES) {
    test(`${language}: ${line}`, () => {
      const [tokens] = tokenize(language, line);
      for (const [part, scope] of expectations) {
        const from = line.indexOf(part);
        assert.ok(from >= 0, `"${part}" is not in the sample`);
        if (scope.startsWith('!')) {
          assertNoScope(tokens, from, from + part.length, scope.slice(1), line);
        } else {
          assertSpan(tokens, from, from + part.length, scope, line);
        }
      }
    });
  }

  test('a quoted text runs over the line end to its closing quote', () => {
    const lines = tokenize(
        'scenario-line', 'cartello indicatore, 1000, "Km 12\r\npendenza, 0\r\nfine", 5\r\n');
    assertSpan(lines[1], 0, lines[1].line.length, 'quoted', 'second line');
    assertNoScope(lines[1], 0, lines[1].line.length, 'keyword', 'second line');
    assertSpan(lines[2], 0, 4, 'quoted', 'third line');
    assertSpan(lines[2], lines[2].line.indexOf('5'), lines[2].line.length, 'number', 'third line');
  });
});
