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

# A refused run must leave no output behind.
show_not_written() {
  if [ -e "$out/not-written.cif" ]; then
    echo "   unexpected: $out/not-written.cif exists"
  else
    echo "   (no $out/not-written.cif)"
  fi
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
show_not_written
echo

echo "== override: bond and angle targets from the exceptions dictionary, by atom type"
echo "   The shipped dictionary (data/autoFARNIX/tesra-data/tesra-exceptions.dat) lists no"
echo "   type pair of ATP, so a small one names the phosphate types P and OP:"
printf 'NOTE demo exceptions for ATP\nBOND P OP 1.500 0.015\nANGLE OP P OP 111.5 1.2\n' > "$out/demo-exceptions.dat"
sed 's/^/    /' "$out/demo-exceptions.dat"
TESRA_EXCEPTION_DICTIONARY=$out/demo-exceptions.dat run -silent override "$examples/ATP.cif" "$out/ATP-override.cif"
echo "   a bond and an angle before and after:"
for f in "$examples/ATP.cif" "$out/ATP-override.cif"; do
  grep -E '^ *ATP +(O1G +PG +deloc|O2A +PA +O1A) ' "$f" | sed "s|^|    $(basename "$f"): |"
done
echo

echo "== write-qdict-override: GEOMETRY bond and angle lines (X-H lengths, overrides, placeholders)"
TESRA_EXCEPTION_DICTIONARY=$out/demo-exceptions.dat run -silent write-qdict-override "$examples/ATP.cif" "$out/ATP-qdict.txt"
echo "   $(wc -l < "$out/ATP-qdict.txt") lines; a few of them:"
grep -E ' BOND .* (O1G PG|H8 C8) ' "$out/ATP-qdict.txt" | sed 's/^/    /'
grep -m1 ' BOND 1.5 1E6 ' "$out/ATP-qdict.txt" | sed 's/^/    /'
grep -m1 ' ANGLE 111.5 ' "$out/ATP-qdict.txt" | sed 's/^/    /'
grep -m1 ' ANGLE 105.0 1E6 ' "$out/ATP-qdict.txt" | sed 's/^/    /'
echo

echo "== transcribe-mogul: Mogul statistics correct outlying bond lengths and angles and revise planes"
cat > "$out/ATP-mogul.txt" <<'EOF'
BOND 1 query 1.610 atoms PG O3B
STATS 120 1.593 1.570 1.620 1.592 0.004
ANGLE 1 query - 102.600 atoms O3A PA O5'
STATS 80 104.1 101.0 107.0 104.0 0.4
TORSION 1 query - 180.0 - atoms C4 C5 C6 N6
STATS 64
DISTRIBUTION 0 180 10 18 counts 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 4 60
EOF
echo "   (transcribe-mogul reads no hybridisation table, so its plane step prints \"Don't know"
echo "   hybridisation state\" for the energy type of every non-hydrogen atom)"
run transcribe-mogul "$examples/ATP.cif" "$out/ATP-mogul.txt" "$out/ATP-mogul.cif"
grep -E "^ *ATP +PG +O3B +single|^ *ATP +O3A +PA +O5' |csd_" "$out/ATP-mogul.cif" | sed 's/^/    /'
echo

echo "== write-mogdict: a GEOMETRY restraint file from the same statistics; the dictionary is not rewritten"
echo "   (\"Don't know hybridisation state for atomtype P\": the shipped table,"
echo "   data/autoFARNIX/tesra-data/ccp4_atomtype_hybridisation.dat, has no hybridisation for type P)"
run -silent write-mogdict "$examples/ATP.cif" "$out/ATP-mogul.txt" "$out/ATP.geometry" "$out/ATP.veto"
grep -E "PG O3B|O3A PA O5'|^NOTE [^F]|TORSION" "$out/ATP.geometry" | sed 's/^/    /'
echo "    ... $(grep -c ' BOND 3.0 1E6 ' "$out/ATP.geometry") bonds without Mogul statistics keep the placeholder"
echo "   VETO-PLANEBOND lines: $(wc -l < "$out/ATP.veto")"
echo

echo "== A Mogul results file that cannot be read is an error; no output is written"
run -silent transcribe-mogul "$examples/ATP.cif" "$out/missing-mogul.txt" "$out/not-written.cif"
show_not_written
echo

echo "== Operations that this build does not provide are refused"
run -silent fixnames "$examples/ATP.cif" "$out/not-written.cif"
echo

echo "Output is in $out"
