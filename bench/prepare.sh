# shellcheck shell=bash
# Sourced by the bench scripts: builds the bench preset, makes the inputs and
# sets $inputs, $quillfix and $floor (the floor loop) for the caller.
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit
cmake --preset bench >/dev/null
cmake --build build/bench -j2 >/dev/null
inputs=build/bench-inputs
bench/make_inputs.sh "$inputs" >/dev/null
# shellcheck disable=SC2034  # for the scripts that source this file
quillfix=build/bench/quillfix
# shellcheck disable=SC2034  # for the scripts that source this file
floor=build/bench/bench/copy_loop
