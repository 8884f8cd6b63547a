#!/usr/bin/env python3
"""Turns zip_bench JSON output into the ratio table of docs/performance.md.

Run:  build/default/bench/zip_bench --benchmark_repetitions=5 --benchmark_format=json > zip.json
      bench/zip_ratios.py zip.json

Each figure takes the best repetition (the least disturbed by other load on the machine); every
ratio compares two figures of the same run: ours / the Info-ZIP tool.
"""
import json
import sys

best = {}
size = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    name = b.get("run_name", b["name"]).replace("/real_time", "")
    best[name] = max(best.get(name, 0.0), b["bytes_per_second"])
    if "ratio" in b:
        size[name] = b["ratio"]

print("| operation | ours MB/s | Info-ZIP MB/s | speed ratio (ours / Info-ZIP) | package size ratio |")
print("|---|---|---|---|---|")
o, u = best["BM_Extract_ours"], best["BM_Extract_unzip"]
print(f"| extract (vs unzip) | {o/1e6:.0f} | {u/1e6:.0f} | {o/u:.2f}x | |")
o, z = best["BM_Write_ours"], best["BM_Write_zip6"]
so, sz = size["BM_Write_ours"], size["BM_Write_zip6"]
print(f"| write package (vs zip -6) | {o/1e6:.0f} | {z/1e6:.0f} | {o/z:.2f}x | {so:.4f} / {sz:.4f} = {so/sz:.3f} |")
