-- quillfix's language server for C, C++ and Java buffers (Neovim 0.7 on).
local quillfix_client = nil
vim.api.nvim_create_autocmd('FileType', {
  pattern = { 'c', 'cpp', 'java' },
  callback = function(args)
    quillfix_client = quillfix_client or vim.lsp.start_client({
      name = 'quillfix',
      cmd = { 'quillfix', '--lsp' },
      root_dir = vim.fn.getcwd(),
    })
    vim.lsp.buf_attach_client(args.buf, quillfix_client)
  end,
})
