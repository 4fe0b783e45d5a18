# Sourced by the bench scripts: builds the bench preset, makes the inputs and
# sets $inputs, $quillfix and $floor (the floor loop) for the caller.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset bench >/dev/null
cmake --build build/bench -j2 >/dev/null
inputs=build/bench-inputs
bench/make_inputs.sh "$inputs" >/dev/null
quillfix=build/bench/quillfix
floor=build/bench/bench/copy_loop
