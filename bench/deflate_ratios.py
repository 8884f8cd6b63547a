#!/usr/bin/env python3
"""Turns deflate_bench JSON output into the ratio table of docs/performance.md.

Run:  build/default/bench/deflate_bench --benchmark_repetitions=5 \
          --benchmark_enable_random_interleaving=true --benchmark_format=json > out.json
      bench/deflate_ratios.py out.json

Each figure takes the best repetition (the least disturbed by other load on the machine), and
every ratio compares two figures of the same run: ours / zlib. Where the run has libdeflate's
level 6 (the bench measures it when libdeflate is installed), a second table sets the encoder
against it.
"""
import json
import sys
from collections import defaultdict

best = defaultdict(float)
ratio = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    name = b["run_name"] if "run_name" in b else b["name"]
    best[name] = max(best[name], b["bytes_per_second"])
    if "ratio" in b:
        ratio[name] = b["ratio"]

INPUTS = ["xml", "pdf", "image16", "random"]


def encoder_table(title, reference, label):
    """Our encoder against the reference encoder `reference`, which the table calls `label`."""
    print(f"{title}\n")
    print(f"| input | ours MB/s | {label} MB/s | speed ratio | compressed size ours / {label} |")
    print("|---|---|---|---|---|")
    for inp in INPUTS:
        o, r = best[f"Encode/ours/{inp}"], best[f"Encode/{reference}/{inp}"]
        so, sr = ratio[f"Encode/ours/{inp}"], ratio[f"Encode/{reference}/{inp}"]
        print(f"| {inp} | {o/1e6:.0f} | {r/1e6:.0f} | {o/r:.2f}x | {so:.4f} / {sr:.4f} = {so/sr:.3f} |")


encoder_table("Encoder (normal preset) against zlib level 6:", "zlib6", "zlib-6")
if "Encode/libdeflate6/xml" in best:
    print()
    encoder_table("Encoder against libdeflate level 6:", "libdeflate6", "libdeflate-6")
if "Decode/ours/xml" not in best:
    sys.exit(0)
print("\nDecoder against zlib's raw inflate (both decoding our encoder's output):\n")
print("| input | ours MB/s | zlib MB/s | speed ratio |")
print("|---|---|---|---|")
for inp in INPUTS:
    o, z = best[f"Decode/ours/{inp}"], best[f"Decode/zlib/{inp}"]
    print(f"| {inp} | {o/1e6:.0f} | {z/1e6:.0f} | {o/z:.2f}x |")
