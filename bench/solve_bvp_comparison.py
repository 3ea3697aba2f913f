#!/usr/bin/python3
"""The accurate method against scipy's solve_bvp on the same problems, at equal accuracy.

For each problem scipy's solve_bvp is run with a tolerance tightened until its largest error
against the exact solution is at or below the accurate method's (1E-12 relative to the
solution's scale, what tests/linear/test_known_solutions.cpp checks), and timed in process;
the accurate method's in-process times come from the benchmark programs (Google Benchmark,
JSON output). Usage: bench/solve_bvp_comparison.py BUILD_DIR (a Release build with benchmarks).
Needs python3-scipy (Debian package); it is a research script, not part of the tests.
"""
import json
import subprocess
import sys
import time

import numpy as np
from scipy.integrate import solve_bvp
from scipy.special import airy


def timed(f, repeat=5):
    best = float("inf")
    for _ in range(repeat):
        t = time.perf_counter()
        out = f()
        best = min(best, time.perf_counter() - t)
    return best, out


def bvp(fun, bc, a, b, guess, exact, target):
    """solve_bvp with the tolerance lowered until the error is at most `target`."""
    for tol in (1e-6, 1e-8, 1e-10, 1e-11, 1e-12, 1e-13):
        x = np.linspace(a, b, 50)
        y = guess(x)

        def run():
            return solve_bvp(fun, bc, x, y, tol=tol, max_nodes=200000)

        seconds, sol = timed(run)
        xs = np.linspace(a, b, 401)
        err = np.max(np.abs(sol.sol(xs)[0] - exact(xs))) if sol.success else float("inf")
        if err <= target:
            return seconds, err, tol
    return seconds, err, tol


def problems():
    ai0, aip0, _, _ = airy(0.0)
    yield ("sin on [-10, 10]", "bench_linear", "BM_KnownAutomatic/0",
           lambda x, y: np.vstack([y[1], -y[0]]),
           lambda ya, yb: np.array([ya[0] - np.sin(-10), yb[0] - np.sin(10)]),
           -10, 10, lambda x: np.vstack([np.sin(x), np.cos(x)]) * 0.5, np.sin, 1e-12)
    yield ("Airy on [-5, 5]", "bench_linear", "BM_KnownAutomatic/1",
           lambda x, y: np.vstack([y[1], x * y[0]]),
           lambda ya, yb: np.array([ya[0] - airy(-5.0)[0], yb[0] - airy(5.0)[0]]),
           -5, 5, lambda x: np.vstack([np.zeros_like(x), np.zeros_like(x)]), lambda x: airy(x)[0], 0.5e-12)
    yield ("1/x from y'' = 2y^3", "bench_nonlinear", "BM_KnownNonlinear/0",
           lambda x, y: np.vstack([y[1], 2 * y[0] ** 3]),
           lambda ya, yb: np.array([ya[0] - 1, yb[1] + yb[0] ** 2]),
           1, 3, lambda x: np.vstack([np.ones_like(x) * 0.5, np.zeros_like(x)]), lambda x: 1 / x, 1e-12)


def ours(build, program, name):
    out = subprocess.run([f"{build}/bench/{program}", f"--benchmark_filter=^{name}$", "--benchmark_format=json",
                          "--benchmark_min_time=0.3"], capture_output=True, text=True, check=True).stdout
    run = json.loads(out)["benchmarks"][0]
    return run["real_time"] / 1000.0  # ms to s


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-rel"
    print("| problem | accurate method | solve_bvp (tol, error) | ratio |")
    print("|---|---|---|---|")
    for name, program, bench, fun, bc, a, b, guess, exact, target in problems():
        mine = ours(build, program, bench)
        seconds, err, tol = bvp(fun, bc, a, b, guess, exact, target)
        print(f"| {name} | {mine * 1e3:.3f} ms | {seconds * 1e3:.1f} ms ({tol:g}, {err:.1e}) | {seconds / mine:.0f}x |")


if __name__ == "__main__":
    main()
