#!/usr/bin/env bash
# The demo of tesra-rovidev: runs the tool on the example dictionary and shows
# what changed. Usage: bash examples/run-demo.sh <path of the tesra-rovidev binary>
set -euo pipefail

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
  echo "usage: $0 <path of the tesra-rovidev binary>" >&2
  exit 1
fi
bin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
examples=$(cd "$(dirname "$0")" && pwd)
project=$(dirname "$examples")
out=$(dirname "$bin")/demo
mkdir -p "$out"

# The package data (exceptions dictionary, hybridisation table) lives below KTW_home.
export KTW_home=$project/data
unset TESRA_EXCEPTION_DICTIONARY

# Runs one command, echoing it and its exit status.
run() {
  echo "\$ tesra-rovidev $*"
  local status=0
  "$bin" "$@" 2>&1 || status=$?
  echo "(exit status $status)"
  return 0
}

# The first rows of chem_comp_atom as the file holds them.
show_atoms() {
  awk '/^_chem_comp_atom\./ { names = 1; next } names && !/^_/ { print "    " $0; if (++n == 4) exit }' "$1"
}

echo "== Example dictionary: $examples/ATP.cif (ATP from the public monomer library)"
echo "   comment lines: $(grep -c '^#' "$examples/ATP.cif")"
show_atoms "$examples/ATP.cif"
echo

echo "== transcribe-coords: atom positions from a PDB file of the ligand placed in a model"
run transcribe-coords "$examples/ATP.cif" "$examples/ATP.pdb" "$out/ATP-coords.cif"
echo "   comment lines kept: $(grep -c '^#' "$out/ATP-coords.cif")"
show_atoms "$out/ATP-coords.cif"
echo

echo "== A coordinate file that cannot be read is an error; no output is written"
run -silent transcribe-coords "$examples/ATP.cif" "$examples/missing.pdb" "$out/not-written.cif"
[ -e "$out/not-written.cif" ] && echo "   unexpected: $out/not-written.cif exists" || echo "   (no $out/not-written.cif)"
echo

echo "== Operations that this build does not provide are refused"
run -silent fixnames "$examples/ATP.cif" "$out/not-written.cif"
echo

echo "Output is in $out"
