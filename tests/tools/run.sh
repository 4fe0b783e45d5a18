#!/bin/bash
# Runs every test of quillfix in the tools people use (pre-commit, the git
# hook, git quillfix, Vim and Neovim, Emacs, bash completion) against one
# quillfix binary, and the check that they know its options, extensions and
# version; ends with "N passed, M failed"; the status is 0 only when none failed.
# Usage: tests/tools/run.sh [QUILLFIX]   (default: build/default/quillfix)
set -u
tools_dir=$(cd "$(dirname "$0")" && pwd)
quillfix=${1:-build/default/quillfix}

passed=0
failed=0
for test in pre-commit git-hook git-quillfix vim emacs nvim-lsp eglot completion facts; do
  echo "-- $test"
  output=$("$tools_dir/$test.sh" "$quillfix" 2>&1)
  status=$?
  printf '%s\n' "$output" | grep -v '^ok: '
  summary=$(printf '%s\n' "$output" | tail -1)
  if [[ $summary =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
    passed=$((passed + BASH_REMATCH[1]))
    failed=$((failed + BASH_REMATCH[2]))
    if ((status != 0 && BASH_REMATCH[2] == 0)); then
      echo "FAIL: $test ended with status $status"
      failed=$((failed + 1))
    fi
  else
    echo "FAIL: $test stopped before its end (status $status)"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
((failed == 0))
