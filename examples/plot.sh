#!/bin/sh
# Draws examples/plot.png, the picture in the README: a made-up hour of
# smooth signals from the project's sample generator, converted by adconv
# and plotted by gnuplot. Needs cmake, a C++ compiler and gnuplot (Debian:
# gnuplot-nox). Run from anywhere: sh examples/plot.sh
set -e
repo=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$repo" -B "$repo/build" >/dev/null
cmake --build "$repo/build" --target adconv adconv_make_samples >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$repo/build/tools/adconv_make_samples" hour.bin 3600 smooth 1780300800
TZ=UTC "$repo/build/adconv" hour.bin
gnuplot <<'PLOT'
set terminal pngcairo size 900,420 font "sans,10"
set output "plot.png"
set datafile separator "\t"
set xdata time
set timefmt "%m/%d/%Y %H:%M:%S"
set format x "%H:%M"
set xlabel "time (UTC), 1 June 2026"
set ylabel "value (full scale 2.5)"
set yrange [0:2.5]
set grid
set key outside right top noenhanced
plot "adtable" using 1:2 skip 2 with lines lw 1.5 title "ad1_0", \
     "" using 1:3 skip 2 with lines lw 1.5 title "ad1_1", \
     "" using 1:4 skip 2 with lines lw 1.5 title "ad1_2", \
     "" using 1:5 skip 2 with lines lw 1.5 title "ad1_3"
PLOT
cp plot.png "$repo/examples/plot.png"
echo "wrote $repo/examples/plot.png"
