" quillfix.vim: sort C, C++ and Java buffers with quillfix, in Vim and Neovim.
" :Quillfix sorts the current buffer, :'<,'>Quillfix only the changes that
" touch a range of lines; `let g:quillfix_on_save = 1` sorts C, C++ and Java
" buffers when they are written. See :help quillfix.

if exists('g:loaded_quillfix') || &compatible
  finish
endif
let g:loaded_quillfix = 1

let s:languages = {'c': 'c', 'cpp': 'cpp', 'java': 'java'}
let s:extensions = ['c', 'h', 'cc', 'cpp', 'cxx', 'c++', 'hh', 'hpp', 'hxx',
      \ 'h++', 'ipp', 'tpp', 'inl', 'java']

" Whether the buffer's name has an extension quillfix knows, in any case.
function! s:KnownExtension() abort
  return index(s:extensions, tolower(expand('%:e'))) >= 0
endfunction

" The arguments that tell quillfix what the buffer holds: its name, so the
" language follows the extension, and the language of &filetype where the
" name has no extension quillfix knows.
function! s:LanguageArguments() abort
  let name = expand('%')
  let arguments = empty(name) ? [] : ['--stdin-filename', name]
  if !s:KnownExtension() && has_key(s:languages, &filetype)
    let arguments += ['--lang', s:languages[&filetype]]
  endif
  return arguments
endfunction

" Shows quillfix's messages (or `fallback` when it printed none) as an error.
function! s:ShowError(messages, fallback) abort
  let lines = filter(copy(a:messages), '!empty(v:val)')
  echohl ErrorMsg
  for line in empty(lines) ? [a:fallback] : lines
    echomsg line
  endfor
  echohl None
endfunction

" Replaces the buffer's lines with `lines`, changing only the block of lines
" between the first and the last that differ, so that marks outside it stay
" with their text. The cursor stays on its line, or moves with the text
" when it is below the block.
function! s:Replace(lines) abort
  let old = getline(1, '$')
  let shortest = min([len(old), len(a:lines)])
  let first = 0
  while first < shortest && old[first] ==# a:lines[first]
    let first += 1
  endwhile
  let same_after = 0
  while same_after < shortest - first
        \ && old[-1 - same_after] ==# a:lines[-1 - same_after]
    let same_after += 1
  endwhile
  " The block is old[first : first + removed - 1], which becomes `added`.
  let removed = len(old) - first - same_after
  let stop = len(a:lines) - same_after - 1
  let added = stop < first ? [] : a:lines[first : stop]
  let view = winsaveview()
  let kept = min([removed, len(added)])
  if kept > 0
    call setline(first + 1, added[: kept - 1])
  endif
  if len(added) > kept
    call append(first + kept, added[kept :])
  elseif removed > kept
    silent execute (first + kept + 1) . ',' . (first + removed) . 'delete _'
  endif
  if view.lnum > first + removed
    let view.lnum += len(added) - removed
    let view.topline = max([1, view.topline + len(added) - removed])
  endif
  call winrestview(view)
endfunction

" Sorts the current buffer through quillfix; when `range` is [FIRST, LAST],
" only the changes that touch those lines (from 1), the whole buffer still
" going to quillfix so that they are sorted at their depth. The buffer is changed
" only when quillfix ends with status 0, and only where the result differs;
" otherwise it stays as it was and quillfix's messages are shown.
function! s:Sort(range) abort
  if !&modifiable
    call s:ShowError([], 'quillfix: the buffer cannot be changed')
    return
  endif
  let arguments = s:LanguageArguments()
  if index(arguments, '--stdin-filename') < 0 && index(arguments, '--lang') < 0
    call s:ShowError([], 'quillfix: the buffer has no name and no '
          \ . 'filetype c, cpp or java')
    return
  endif
  if !empty(a:range)
    let arguments += ['--lines', join(a:range, ':')]
  endif
  let program = get(g:, 'quillfix_program', 'quillfix')
  let command = [program] + get(g:, 'quillfix_options', []) + arguments + ['-']
  let errors = tempname()
  " The group keeps quillfix's standard error apart from its output, which
  " system() would otherwise mix in. The leading blank keeps the group apart
  " from the parenthesis Vim itself puts around the command.
  let shell_command = ' ( ' . join(map(command, 'shellescape(v:val)'))
        \ . ' 2>' . shellescape(errors) . ' )'
  " A buffer is written with a line feed after its last line.
  let input = getline(1, '$') + (&endofline || &fixendofline ? [''] : [])
  let output = system(shell_command, input)
  let status = v:shell_error
  let messages = filereadable(errors) ? readfile(errors) : []
  call delete(errors)
  if status != 0
    call s:ShowError(messages, printf('quillfix: %s ended with status %d',
          \ program, status))
    return
  endif
  let lines = split(output, "\n", 1)
  " The final line feed of the sorted code is the buffer's own.
  if len(lines) > 1 && lines[-1] ==# ''
    call remove(lines, -1)
  endif
  if lines !=# getline(1, '$')
    call s:Replace(lines)
  endif
endfunction

" Sorts the buffer being written, when g:quillfix_on_save is set and the
" buffer holds C, C++ or Java: its name has an extension quillfix knows, or
" its filetype is c, cpp or java. The name is enough, so that this works
" without filetype detection (`filetype on`).
function! s:SortOnSave() abort
  if get(g:, 'quillfix_on_save', 0)
        \ && (s:KnownExtension() || has_key(s:languages, &filetype))
    call s:Sort([])
  endif
endfunction

" Without a range, the whole buffer; with one, the changes that touch it.
command! -bar -range=% Quillfix call s:Sort(<range> ? [<line1>, <line2>] : [])

augroup quillfix
  autocmd!
  autocmd BufWritePre * call s:SortOnSave()
augroup END
