// The client side of scenario-tool's language server: VS Code starts
// `scenario-tool lsp` for the two kinds of scenario text and shows what the
// compiler says about them as the author types.
'use strict';

const fs = require('fs');
const path = require('path');
const vscode = require('vscode');
const {LanguageClient, TransportKind} = require('vscode-languageclient/node');

const PROGRAM = process.platform === 'win32' ? 'scenario-tool.exe' : 'scenario-tool';
let client;

const settings = () => vscode.workspace.getConfiguration('scenarioTexts');

function isProgram(file) {
  try {
    return fs.statSync(file).isFile();
  } catch {
    return false;
  }
}

// The program named by the setting; else the one on PATH, which the author
// updates with the rest of the tool; else the one shipped beside the extension.
function serverPath(context) {
  const configured = settings().get('serverPath', '');
  if (configured) return configured;
  for (const dir of (process.env.PATH || '').split(path.delimiter)) {
    if (dir && isProgram(path.join(dir, PROGRAM))) return path.join(dir, PROGRAM);
  }
  for (const dir of [context.extensionPath, path.join(context.extensionPath, 'bin')]) {
    if (isProgram(path.join(dir, PROGRAM))) return path.join(dir, PROGRAM);
  }
  return undefined;
}

async function activate(context) {
  const command = serverPath(context);
  if (!command) {
    vscode.window.showErrorMessage(
        `Scenario texts: no ${PROGRAM} found on PATH or beside the extension; ` +
        'set "scenarioTexts.serverPath" to the program.');
    return;
  }
  const server = {command, args: ['lsp'], transport: TransportKind.stdio};
  client = new LanguageClient('scenarioTexts', 'Scenario texts', server, {
    documentSelector: [
      {scheme: 'file', language: 'scenario-line'},
      {scheme: 'file', language: 'scenario-service'},
      {scheme: 'untitled', language: 'scenario-line'},
      {scheme: 'untitled', language: 'scenario-service'},
    ],
    initializationOptions: {
      inlayHints: settings().get('inlayHints', false),
    },
    middleware: {
      // The field names before the values are asked for by the author only.
      provideInlayHints: (document, range, token, next) =>
          settings().get('inlayHints', false) ? next(document, range, token) : [],
    },
    synchronize: {
      // A partner text changed on disk changes what the open one compiles to.
      fileEvents: vscode.workspace.createFileSystemWatcher('**/*{_linea,-}.txt'),
      configurationSection: 'scenarioTexts',
    },
  });
  context.subscriptions.push(vscode.workspace.onDidChangeConfiguration(async (e) => {
    // The program is chosen once, at start: a new one needs a new server.
    if (e.affectsConfiguration('scenarioTexts.serverPath') && client) {
      await client.stop();
      client = undefined;
      await activate(context);
    }
  }));
  await client.start();
}

async function deactivate() {
  if (client) await client.stop();
}

module.exports = {
  activate,
  deactivate,
  serverPath
};
