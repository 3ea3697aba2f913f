# Compare the values printed by the different runs; print 32-significant-digit references.
import sys, re
from mpmath import mp, mpf, nstr, log10
mp.dps = 80
def parse(fn):
    d = {}
    for line in open(fn):
        m = re.match(r'^(\S+)\s+([-+0-9.eE]+)(\s|$)', line)
        if m and m.group(1) not in ('dps', 'time', 'wall', 'L0', 'check', 'bisection'):
            d[m.group(1)] = mpf(m.group(2))
    return d
if __name__ != "__main__": raise SystemExit
groups = {
 'P1': ['p1_shoot_50.out', 'p1_quad_50.out', 'p1_quad_70.out'],
 'P2': ['p2_shoot_50.out', 'p2_own_50_100_40.out', 'p2_own_70_200_50.out'],
 'P3': ['p3_shoot_50.out', 'p3_own_60_600_40.out', 'p3_own_80_1200_50.out', 'p3_quad_60.out', 'p3_quad_80.out'],
}
for g, files in groups.items():
    runs = []
    for f in files:
        try: runs.append((f, parse(f)))
        except FileNotFoundError: pass
    print("==", g, [f for f, _ in runs])
    ref = runs[0][1]
    for k, v in ref.items():
        worst = mpf(0)
        for f, d in runs[1:]:
            if k in d: worst = max(worst, abs(d[k] - v))
        dig = (-log10(worst/abs(v))) if worst else None
        print("  %-6s %s   max|diff| = %s  (rel digits agree: %s)" % (k, nstr(v, 32, min_fixed=-40, max_fixed=40, strip_zeros=False) if abs(v) > 1e-20 else nstr(v, 32, strip_zeros=False), nstr(worst, 3), nstr(dig, 3) if dig else '>= all printed'))
