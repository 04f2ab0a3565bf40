-- Scenario texts in Neovim (0.7 or later): the two kinds of text by file name,
-- read and written as Windows-1252, served by `scenario-tool lsp`.
vim.g.do_filetype_lua = 1 -- Neovim 0.7 only: later ones always do
vim.filetype.add({
  pattern = {
    ['.*_linea%.txt'] = 'scenario-line',
    ['.*%-%.txt'] = 'scenario-service',
  },
})

local texts = { '*_linea.txt', '*-.txt' }
local encodings = vim.o.fileencodings
vim.api.nvim_create_autocmd('BufReadPre', {
  pattern = texts,
  callback = function() vim.o.fileencodings = 'cp1252' end,
})
vim.api.nvim_create_autocmd('BufReadPost', {
  pattern = texts,
  callback = function() vim.o.fileencodings = encodings end,
})
vim.api.nvim_create_autocmd('BufNewFile', {
  pattern = texts,
  callback = function() vim.bo.fileencoding = 'cp1252' end,
})

local server = {
  name = 'scenario',
  cmd = { 'scenario-tool', 'lsp' },
  init_options = { inlayHints = false },
}
local client_id
vim.api.nvim_create_autocmd('FileType', {
  pattern = { 'scenario-line', 'scenario-service' },
  callback = function(args)
    server.root_dir = vim.fn.fnamemodify(vim.api.nvim_buf_get_name(args.buf), ':p:h')
    if vim.lsp.start then -- Neovim 0.8 and later
      vim.lsp.start(server, { bufnr = args.buf })
      return
    end
    client_id = client_id or vim.lsp.start_client(server)
    vim.lsp.buf_attach_client(args.buf, client_id)
  end,
})
