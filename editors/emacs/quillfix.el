;;; quillfix.el --- Sort C, C++ and Java buffers with quillfix -*- lexical-binding: t; -*-

;; Copyright (C) 2026 the quillfix authors

;; Author: the quillfix authors <maintainers@users.noreply.c-seed-e87460f9.example>
;; Version: 1.1.0
;; Package-Requires: ((emacs "26.1"))
;; Keywords: c, languages, tools

;; This file is not part of GNU Emacs.

;; Permission is hereby granted, free of charge, to any person obtaining a
;; copy of this software, to deal in it without restriction, under the terms
;; of the MIT license that comes with quillfix (the file LICENSE).

;;; Commentary:

;; quillfix lays out C, C++ and Java code in one fixed form, "the sorted
;; code".  This package runs it on a buffer.
;;
;; M-x quillfix-buffer sorts the current buffer; M-x quillfix-region makes
;; only the changes that touch the lines of the region, and every other line
;; stays as it was.  The buffer is changed only when quillfix succeeds, and
;; only where the result differs; point and markers stay where they were in
;; the text around them.  When quillfix fails, the buffer is left as it was
;; and quillfix's messages are shown in the buffer *quillfix*.
;;
;; To sort C, C++ and Java buffers each time they are saved:
;;
;;   (add-hook 'c-mode-hook #'quillfix-on-save-mode)
;;   (add-hook 'c++-mode-hook #'quillfix-on-save-mode)
;;   (add-hook 'java-mode-hook #'quillfix-on-save-mode)
;;
;; The language follows the extension of the file the buffer visits; a
;; buffer that visits no file, or a file whose extension quillfix does not
;; know, is sorted as its major mode's language.

;;; Code:

(defgroup quillfix nil
  "Sort C, C++ and Java code with quillfix."
  :group 'tools
  :prefix "quillfix-")

(defcustom quillfix-program "quillfix"
  "The quillfix program to run.
A file name, or a name looked up in the variable `exec-path'."
  :type 'string)

(defcustom quillfix-arguments nil
  "Further arguments for quillfix, such as (\"--indent\" \"s4\").
The indentation needs none: quillfix follows the .editorconfig files
that apply to the buffer's file, and --indent only overrides them."
  :type '(repeat string))

(defconst quillfix--extensions
  '("c" "h" "cc" "cpp" "cxx" "c++" "hh" "hpp" "hxx" "h++" "ipp" "tpp" "inl"
    "java")
  "The extensions by which quillfix chooses a file's language.")

(defconst quillfix--error-buffer "*quillfix*"
  "The buffer that shows why quillfix failed.")

(defun quillfix--mode-language ()
  "Return the quillfix language of the major mode, or nil."
  (cond ((derived-mode-p 'c++-mode 'c++-ts-mode) "cpp")
        ((derived-mode-p 'java-mode 'java-ts-mode) "java")
        ((derived-mode-p 'c-mode 'c-ts-mode) "c")))

(defun quillfix--language-arguments ()
  "Return the arguments that describe the buffer to quillfix.
They are the name of the file the buffer visits, so that the language
follows its extension, and the language of the major mode where the name
has no extension quillfix knows."
  (let* ((name buffer-file-name)
         (extension (and name (file-name-extension name)))
         (language (quillfix--mode-language)))
    (append (and name (list "--stdin-filename" name))
            (and language
                 (not (member (downcase (or extension ""))
                              quillfix--extensions))
                 (list "--lang" language)))))

(defun quillfix--coding-system ()
  "Return the coding system that passes the buffer to quillfix.
It is the buffer's own, with line feeds for line ends."
  (let ((coding (or buffer-file-coding-system 'utf-8)))
    (when (eq (coding-system-base coding) 'undecided)
      (setq coding 'utf-8))
    (coding-system-change-eol-conversion coding 'unix)))

(defun quillfix--show-failure (text)
  "Show TEXT in the buffer named by `quillfix--error-buffer'."
  (with-current-buffer (get-buffer-create quillfix--error-buffer)
    (let ((inhibit-read-only t))
      (erase-buffer)
      (insert text))
    (special-mode)
    (display-buffer (current-buffer))))

(defun quillfix--run (arguments output errors)
  "Run quillfix with ARGUMENTS on the buffer's text.
The sorted code goes to the buffer OUTPUT, the messages to the file
ERRORS.  Return the exit status, or a string saying why quillfix could not
be started."
  (let* ((coding (quillfix--coding-system))
         (coding-system-for-read coding)
         (coding-system-for-write coding))
    (condition-case failure
        (save-restriction
          (widen)
          (apply #'call-process-region (point-min) (point-max)
                 quillfix-program nil (list output errors) nil arguments))
      (file-error (error-message-string failure)))))

(defun quillfix--failure-text (status errors)
  "Return what to show when quillfix ended with STATUS.
ERRORS is the file that holds its messages."
  (let ((messages (with-temp-buffer
                    (insert-file-contents errors)
                    (buffer-string))))
    (cond ((stringp status)
           (format "quillfix: cannot run %s: %s\n" quillfix-program status))
          ((equal messages "")
           (format "quillfix: %s ended with status %s\n"
                   quillfix-program status))
          (t messages))))

;;;###autoload
(defun quillfix-buffer ()
  "Sort the current buffer with quillfix.
The buffer is changed only when quillfix ends with status 0; point and
markers stay with the text around them.  Otherwise the buffer is left as
it was and quillfix's messages are shown in the buffer *quillfix*.
Return non-nil when the buffer holds the sorted code."
  (interactive)
  (quillfix--sort nil))

;;;###autoload
(defun quillfix-region (start end)
  "Sort the lines of the region from START to END with quillfix.
Only the changes of the sorted code that touch those lines are made, as
`quillfix --lines' makes them: every other line stays as it was.  The
whole buffer goes to quillfix, so that the lines are sorted at their depth
in the file.  A region that ends at the start of a line leaves that line
out.  The buffer is changed only when quillfix ends with status 0, and
only where the result differs; point and markers stay with the text
around them.  Otherwise the buffer is left as it was and quillfix's
messages are shown in the buffer *quillfix*.  Return non-nil when
quillfix succeeded."
  (interactive "r")
  (let* ((first (min start end))
         (last (max start end))
         (last-line (save-excursion
                      (goto-char last)
                      (if (and (> last first) (bolp))
                          (1- (line-number-at-pos last t))
                        (line-number-at-pos last t)))))
    (quillfix--sort (list "--lines"
                          (format "%d:%d" (line-number-at-pos first t)
                                  last-line)))))

(defun quillfix--sort (lines)
  "Sort the current buffer with quillfix, with the arguments LINES.
LINES is nil for the whole buffer, or (\"--lines\" \"FIRST:LAST\").
Return non-nil when quillfix succeeded."
  (barf-if-buffer-read-only)
  (let ((arguments (append quillfix-arguments (quillfix--language-arguments)
                           lines (list "-")))
        (output (generate-new-buffer " *quillfix output*"))
        (errors (make-temp-file "quillfix")))
    (unwind-protect
        (if (not (or buffer-file-name (quillfix--mode-language)))
            (progn
              (quillfix--show-failure
               "quillfix: the buffer visits no file and is not C, C++ or Java\n")
              nil)
          (let ((status (quillfix--run arguments output errors)))
            (if (not (eql status 0))
                (progn
                  (quillfix--show-failure (quillfix--failure-text status errors))
                  nil)
              (save-restriction
                (widen)
                (unless (zerop (compare-buffer-substrings
                                nil nil nil output nil nil))
                  (replace-buffer-contents output)))
              (when (get-buffer quillfix--error-buffer)
                (kill-buffer quillfix--error-buffer))
              t)))
      (kill-buffer output)
      (delete-file errors))))

(defun quillfix--before-save ()
  "Sort the buffer before it is saved; a failure does not stop the save."
  (quillfix-buffer))

;;;###autoload
(define-minor-mode quillfix-on-save-mode
  "Sort the buffer with quillfix each time it is saved.
A buffer whose sort fails is saved as it is, and the reason is shown in
the buffer *quillfix*."
  :lighter " Quillfix"
  (if quillfix-on-save-mode
      (add-hook 'before-save-hook #'quillfix--before-save nil t)
    (remove-hook 'before-save-hook #'quillfix--before-save t)))

(provide 'quillfix)

;;; quillfix.el ends here
