#!/usr/bin/python3
"""Prints the benchmark's table from its raw results: per job and tool the median seconds, MB/s,
the highest peak memory of its runs, and per job the ratio of Kist to the fastest peer.
Usage: report.py RESULTS.tsv SIZES.tsv (lines "job tool seconds peak-kB" and "job bytes")."""

import statistics
import sys


def main():
    sizes = {}
    with open(sys.argv[2]) as lines:
        for line in lines:
            job, size = line.rstrip("\n").split("\t")
            sizes[job] = int(size)
    runs = {}
    with open(sys.argv[1]) as lines:
        for line in lines:
            job, tool, seconds, peak = line.rstrip("\n").split("\t")
            runs.setdefault(job, {}).setdefault(tool, []).append((float(seconds), int(peak)))

    print("| job | tool | median s | MB/s | peak MB | runs | Kist / fastest peer |")
    print("|---|---|---:|---:|---:|---:|---:|")
    for job, tools in runs.items():
        medians = {tool: statistics.median(s for s, _ in samples) for tool, samples in tools.items()}
        peers = [m for tool, m in medians.items() if tool != "kist" and not tool.startswith("limit")]
        fastest = min(peers) if peers else None
        for tool, samples in tools.items():
            median = medians[tool]
            rate = sizes[job] / 1e6 / median if median > 0 else float("inf")
            peak = max(p for _, p in samples) / 1024
            ratio = ""
            if tool == "kist" and fastest:
                ratio = f"{median / fastest:.2f}" if fastest > 0 else "-"
            print(f"| {job} | {tool} | {median:.3f} | {rate:.0f} | {peak:.0f} | {len(samples)} "
                  f"| {ratio} |")


if __name__ == "__main__":
    main()
