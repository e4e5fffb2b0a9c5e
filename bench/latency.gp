# Hot key to paste: the distribution of ours beside the floor's, one panel
# per text length. Run as: gnuplot -e "dir='build/bench'" bench/latency.gp
if (!exists("dir")) dir = "build/bench"
set terminal pngcairo size 1200,420 font "DejaVu Sans,10" noenhanced
set output dir."/latency.png"
set multiplot layout 1,3 title "Hot key to pasted text (SendInput to EN_CHANGE), Ordfalk beside the floor, under Wine"
set logscale x
set xlabel "latency (ms)"
set ylabel "presses at or below (%)"
set yrange [0:100]
set grid
set key bottom right
do for [size in "1 100 1023"] {
  set title size." byte".(size eq "1" ? "" : "s")
  plot dir."/latency-ours-".size.".dat" using 1:2 with steps lw 2 lc rgb "#c0392b" title "Ordfalk", \
       dir."/latency-floor-".size.".dat" using 1:2 with steps lw 2 lc rgb "#2c3e50" dt 2 title "floor"
}
unset multiplot
