#!/bin/sh
# Whole-program timings of the interchange modes, with hyperfine when it is
# installed. Usage: bench/intercambio.sh [BUILD_DIR]   (default: build)
set -e
BUILD=${1:-build}
cmake --build "$BUILD" --target bench_core bindelora >/dev/null
DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
"$BUILD/bin/bench_core" --generar-intercambio "$DIR"
cp "$BUILD/bin/bindelora" "$DIR/bindelora"
export XDG_CONFIG_HOME="$DIR/cfg"
cd "$DIR"
run() { hyperfine -N --warmup 2 --runs 10 "$@"; }
command -v hyperfine >/dev/null || run() { for c in "$@"; do case $c in -*) ;; *) /usr/bin/time -f "%e s  $c" sh -c "$c" >/dev/null || true;; esac; done; }

# 100,000 contacts out, and the same file in (into an empty book each time).
cp grande.dat bindelora.dat
# abook will not write over a file that is already there: it says "cannot
# write file" and ends with status 1 before converting anything. Each of its
# runs starts without its output, and the export is timed the same way, then
# again replacing the output of the run before (the file system frees the old
# file's blocks inside the rename).
run --prepare "rm -f salida.vcf" "./bindelora --exportar-vcard salida.vcf"
run "./bindelora --exportar-vcard salida.vcf"
if command -v abook >/dev/null; then
  run --prepare "rm -f abook.vcf" "abook --convert --informat abook --infile grande.abook --outformat vcard --outfile abook.vcf"
fi
run --prepare "rm -f bindelora.dat" "./bindelora --importar-vcard grande.vcf"
# The same file again into the full book: all duplicates, nothing written.
run "./bindelora --importar-vcard grande.vcf"

# 10,000 events with a 1,000-contact book.
cp pequeno.dat bindelora.dat
cp sucesos.avs bindelora.avs
run "./bindelora --exportar-ics salida.ics"
run "./bindelora --hoy"
# The reminder's text as --avisar makes it; without a session bus it goes
# to the standard output, so this times everything but the D-Bus call.
(unset DBUS_SESSION_BUS_ADDRESS; run "./bindelora --avisar")
