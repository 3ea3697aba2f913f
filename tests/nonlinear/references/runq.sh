#!/bin/bash
# run jobs sequentially, one core, low priority: each arg is "outfile:script args"
cd /work/refs27
export OMP_NUM_THREADS=1
for job in "$@"; do
  out=${job%%:*}; cmd=${job#*:}
  /usr/bin/time -f "wall %e s" nice -n 10 python3 $cmd > $out 2>&1
done
