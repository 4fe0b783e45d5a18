;;; quillfix-eglot.el --- quillfix's language server in Eglot  -*- lexical-binding: t -*-
(require 'eglot)
(add-to-list 'eglot-server-programs
             '((c-mode c++-mode java-mode) . ("quillfix" "--lsp")))
(add-hook 'c-mode-hook #'eglot-ensure)
(add-hook 'c++-mode-hook #'eglot-ensure)
(add-hook 'java-mode-hook #'eglot-ensure)
