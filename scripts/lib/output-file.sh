# Writing a file the user asked for without destroying a good one, for the
# scripts (the programs use the engine's OutputFile, which works the same way):
# write to the temporary name `partial_output TARGET` prints, then
# `commit_output TARGET` renames it over the target. The temporary sits in the
# target's folder, hidden, with the target's extension last (gnuplot and
# ffmpeg pick the format from it): ".NAME.partial-PID.EXT". A script that
# stops early calls `remove_partial_outputs` from its EXIT trap, which leaves
# every target as it was.
# Source it:  source "$root/scripts/lib/output-file.sh"

# partial_output TARGET: prints the temporary to write instead of TARGET.
partial_output() {
  local dir base stem ext
  dir=$(dirname "$1"); base=$(basename "$1")
  stem=${base%.*}; ext=${base#"$stem"}
  echo "$dir/.$stem.partial-$$$ext"
}

# commit_output TARGET: renames the finished temporary over TARGET.
commit_output() {
  mv -f "$(partial_output "$1")" "$1"
}

# remove_partial_outputs TARGET...: removes the temporaries of the targets not
# committed (for the EXIT trap).
remove_partial_outputs() {
  local target
  for target in "$@"; do rm -f "$(partial_output "$target")"; done
}
