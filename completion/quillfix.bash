# bash completion for quillfix                             -*- shell-script -*-
#
# Both command lines: the conventional one (the first argument begins with
# `-`: options, then C, C++ and Java files and folders) and the classic one
# (`/i SPEC`, `/view yes|no`, `/sn FILE` in pairs, the source last; `/?`).
#
# It is built on bash-completion. bash-completion loads it by itself where
# it is installed as completions/quillfix; sourced from a ~/.bashrc that has
# not loaded bash-completion, it loads bash-completion first. Without
# bash-completion, bash completes file names as it does for any command.

if ! declare -F _init_completion >/dev/null; then
  for _quillfix_framework in /usr/share/bash-completion/bash_completion \
    /etc/bash_completion; do
    if [[ -r $_quillfix_framework ]]; then
      # shellcheck source=/dev/null
      . "$_quillfix_framework"
      break
    fi
  done
  unset _quillfix_framework
fi

# _quillfix_keep_sources any-case|exact EXTENSION...: keeps, of the names in
# COMPREPLY, the folders and the files whose extension is one of those given.
_quillfix_keep_sources() {
  local matching=$1
  shift
  local -a kept=()
  local name extension wanted
  for name in "${COMPREPLY[@]}"; do
    if [[ -d $name ]]; then
      kept+=("$name")
      continue
    fi
    [[ $name == *.* ]] || continue
    extension=${name##*.}
    [[ $matching == any-case ]] && extension=${extension,,}
    for wanted; do
      if [[ $extension == "$wanted" ]]; then
        kept+=("$name")
        break
      fi
    done
  done
  COMPREPLY=("${kept[@]}")
}

# The files the conventional command line sorts, and folders.
_quillfix_sources() {
  _filedir
  _quillfix_keep_sources any-case c h cc cpp cxx c++ hh hpp hxx h++ ipp tpp inl java
}

_quillfix_conventional() {
  local options="-w --write -c --check -d --diff --indent --lang
    --stdin-filename --lines -j --jobs --exclude --no-ignore -h --help -V --version --lsp --"
  local word
  for word in "${words[@]:1:cword-1}"; do
    if [[ $word == -- ]]; then
      _quillfix_sources
      return
    fi
  done
  case $prev in
    --lang)
      mapfile -t COMPREPLY < <(compgen -W 'c cpp java' -- "$cur")
      return
      ;;
    --stdin-filename)
      _filedir
      return
      ;;
    --indent | --lines | -j | --jobs | --exclude)
      return
      ;;
  esac
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
  else
    _quillfix_sources
  fi
}

# Arguments come in pairs (name, value) after the program's name, the source
# last, so an even position holds the value of the name before it.
_quillfix_classic() {
  if ((cword % 2 == 0)); then
    case $prev in
      /i) return ;;
      /view)
        mapfile -t COMPREPLY < <(compgen -W 'yes no' -- "$cur")
        return
        ;;
      /sn)
        _filedir
        return
        ;;
    esac
  fi
  local names=(/i /view /sn)
  ((cword == 1)) && names+=('/?')
  _filedir
  _quillfix_keep_sources exact c cpp java
  if [[ $cur == /* ]]; then
    local name
    for name in "${names[@]}"; do
      [[ $name == "$cur"* ]] && COMPREPLY+=("$name")
    done
  fi
}

_quillfix() {
  local cur prev words cword
  _init_completion || return
  if [[ $cword -gt 1 && ${words[1]} == -* ]] || [[ $cword -eq 1 && $cur == -* ]]; then
    _quillfix_conventional
  else
    _quillfix_classic
  fi
}
if declare -F _init_completion >/dev/null; then
  complete -F _quillfix quillfix
fi

# ex: filetype=sh
