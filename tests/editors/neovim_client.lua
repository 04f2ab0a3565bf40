-- Runs inside `nvim --headless` after the configuration of docs/editors.md:
-- opens the two texts of a pair as an author would, waits for the server's
-- diagnostics, then asks for hover, completion, formatting and a quick fix
-- through Neovim's own client, applies the fix, and writes all it got to
-- the JSON file named by NVIM_RESULT.  neovim_client.mjs starts it and
-- compares the file with neovim_expectations.json.
--
-- NVIM_LINE_TEXT and NVIM_SERVICE_TEXT name the texts; NVIM_FAULT_LINE and
-- NVIM_FAULT_COLUMN (0-based) the value that holds the fault.
local timeout = tonumber(os.getenv('NVIM_LSP_TIMEOUT_MS') or '15000')
local out = { requests = {} }

-- Every publication as the server sent it, by file.
local published = {}
local publish = vim.lsp.handlers['textDocument/publishDiagnostics']
vim.lsp.handlers['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
  published[result.uri] = result.diagnostics
  return publish(err, result, ctx, config)
end

local function summary(diagnostics)
  local list = {}
  for _, d in ipairs(diagnostics or {}) do
    table.insert(list, {
      code = d.code,
      severity = d.severity,
      source = d.source,
      message = d.message,
      range = d.range,
    })
  end
  return list
end

local function find(diagnostics, code)
  for _, d in ipairs(diagnostics or {}) do
    if d.code == code then return d end
  end
end

-- The answer of the one client attached to buf, or the error it got.
local function request(buf, method, params)
  local answers, err = vim.lsp.buf_request_sync(buf, method, params, timeout)
  if not answers then return { error = err or 'no answer' } end
  for _, answer in pairs(answers) do
    if answer.err or answer.error then return { error = answer.err or answer.error } end
    return { result = answer.result == nil and vim.NIL or answer.result }
  end
  return { error = 'no client answered' }
end

-- The labels offered, from a list or a CompletionList alike.
local function completion(buf, position)
  local answer = request(buf, 'textDocument/completion',
                         { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = position })
  if answer.result == nil or answer.result == vim.NIL then return answer end
  local labels = {}
  for _, item in ipairs(answer.result.items or answer.result) do table.insert(labels, item.label) end
  return { labels = labels }
end

local function open(file)
  vim.cmd('split ' .. vim.fn.fnameescape(file))
  local buf = vim.api.nvim_get_current_buf()
  return buf, vim.uri_from_bufnr(buf)
end

local function text_document(buf) return { uri = vim.uri_from_bufnr(buf) } end

local function run()
  local line_buf, line_uri = open(os.getenv('NVIM_LINE_TEXT'))
  local service_buf, service_uri = open(os.getenv('NVIM_SERVICE_TEXT'))
  for name, buf in pairs({ line = line_buf, service = service_buf }) do
    out[name] = {
      filetype = vim.bo[buf].filetype,
      fileencoding = vim.bo[buf].fileencoding,
    }
  end
  local fault = { line = tonumber(os.getenv('NVIM_FAULT_LINE')),
                  character = tonumber(os.getenv('NVIM_FAULT_COLUMN')) }

  out.diagnostics_arrived = vim.wait(timeout, function()
    return published[service_uri] ~= nil and #published[service_uri] > 0 and published[line_uri] ~= nil
  end, 20)
  out.line.clients = #vim.lsp.get_active_clients({ bufnr = line_buf })
  out.service.clients = #vim.lsp.get_active_clients({ bufnr = service_buf })
  out.line.diagnostics = summary(published[line_uri])
  out.service.diagnostics = summary(published[service_uri])
  out.line.diagnostic_count = #out.line.diagnostics
  if out.service.clients == 0 then
    -- Nothing to ask: say so at once rather than after every request's timeout.
    error('no language server runs for the texts: did `scenario-tool lsp` start? ' ..
          'Neovim\'s log: ' .. vim.lsp.get_log_path())
  end

  local at_fault = { textDocument = text_document(service_buf), position = fault }
  out.requests.hover = request(service_buf, 'textDocument/hover', at_fault)
  out.requests.completion_entry = completion(service_buf, { line = fault.line, character = 0 })
  out.requests.completion_section =
    completion(service_buf, { line = vim.fn.search('^\\[segnali\\]', 'n') - 1, character = 1 })
  out.requests.formatting = request(service_buf, 'textDocument/formatting', {
    textDocument = text_document(service_buf), options = { tabSize = 4, insertSpaces = true } })

  local snapped = find(published[service_uri], 'position-snapped')
  if not snapped then return end
  local actions = request(service_buf, 'textDocument/codeAction', {
    textDocument = text_document(service_buf), range = snapped.range,
    context = { diagnostics = { snapped }, only = { 'quickfix' } } })
  out.requests.code_action = actions
  local action = actions.result ~= vim.NIL and actions.result and actions.result[1]
  if not (action and action.edit) then return end

  -- The fix applied as the editor applies it; the warning must go away.
  published[service_uri] = nil
  local client = vim.lsp.get_active_clients({ bufnr = service_buf })[1]
  vim.lsp.util.apply_workspace_edit(action.edit, client.offset_encoding)
  out.fixed_line = vim.api.nvim_buf_get_lines(service_buf, fault.line, fault.line + 1, false)[1]
  out.fix_cleared_warning = vim.wait(timeout, function()
    return published[service_uri] ~= nil and not find(published[service_uri], 'position-snapped')
  end, 20)
  out.service.diagnostics_after_fix = summary(published[service_uri])
end

local ok, err = pcall(run)
if not ok then out.error = tostring(err) end
local file = io.open(os.getenv('NVIM_RESULT'), 'w')
file:write(vim.fn.json_encode(out))
file:close()
vim.cmd('qall!')
