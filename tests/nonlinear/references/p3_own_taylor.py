# Problem 3 (corner layers, eps=0.001), method (b): own fixed-step Taylor method, shooting FORWARD
# from x=0 with y(0)=1/3, z(0) = 1 + y'(0) = exp(L0) (unknown L0), condition y(1/2)=0 (antisymmetry).
# System: y' = z - 1, z' = y z / eps. Steps h = 1/nsteps with nsteps divisible by 12 so that
# 1/4, 1/3, 2/5 (if nsteps divisible by 5), 1/2 are grid points.
import sys, time
from rootfind import secant
from mpmath import mp, mpf, exp, log, nstr, sign
from taylor_own import corner_step
dps = int(sys.argv[1]) if len(sys.argv) > 1 else 60
nsteps = int(sys.argv[2]) if len(sys.argv) > 2 else 600
N = int(sys.argv[3]) if len(sys.argv) > 3 else 40
assert nsteps % 60 == 0
t0 = time.time()
def integrate(L0, record=()):
    eps = mpf(1)/1000            # evaluated at the current working precision
    h = mpf(1)/nsteps
    y, z = mpf(1)/3, exp(L0)
    out = {}
    for i in range(nsteps//2):
        y, z = corner_step(y, z, h, eps, N)
        if (i+1) in record: out[i+1] = (y, z)
        if abs(y) > 1:            # blow-up / runaway: only the sign matters for bracketing
            return y, z, out
    return y, z, out
# 1) bracket & bisection at low precision, using only the sign of y(1/2)
mp.dps = 30
lo, hi = mpf(-80), mpf(-20)
nbis = 40
if len(sys.argv) > 5:          # optional start bracket (skips most of the bisection)
    lo, hi = mpf(sys.argv[4]), mpf(sys.argv[5]); nbis = 0
assert integrate(lo)[0] < 0 < integrate(hi)[0]
for it in range(nbis):
    mid = (lo+hi)/2
    if integrate(mid)[0] > 0: hi = mid
    else: lo = mid
print("bisection bracket for L0:", nstr(lo, 15), nstr(hi, 15))
# 2) secant at full precision
mp.dps = dps
L0 = secant(lambda L: integrate(L)[0], mpf(lo), mpf(hi))
rec = {nsteps//4: 'y025', nsteps//3: 'y13', (2*nsteps)//5: 'y04'}
yh, zh, out = integrate(L0, set(rec))
print("L0", nstr(L0, 50))
print("dps", dps, "steps/unit", nsteps, "order", N)
for k in sorted(rec):
    print("%-6s" % rec[k], nstr(out[k][0], 50))
print("yp0   ", nstr(exp(L0) - 1, 50))
print("yp0+1 ", nstr(exp(L0), 50))
print("yp05  ", nstr(zh - 1, 50))
print("check y(1/2) =", nstr(yh, 5))
print("time %.1f s" % (time.time()-t0))
