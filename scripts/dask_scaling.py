#!/usr/bin/env python3
"""Runs examples/dask_repair.py over the same folder on 1 and on 2 (or more) local worker
processes, several times each, alternating, and prints the medians and the speed-up.

    PYTHONPATH=build/python/site python3 scripts/dask_scaling.py [--files 4000] [--runs 5]

The folder holds small to medium texts (200 bytes to 4 KiB) in the five Cyrillic encodings.
For each run: the whole run, the part after the workers are ready (what the speed-up is taken
from; the start-up is given separately), the processor time of the run (client and workers)
and that of the busiest worker. The machine's load average is printed with each run: on a
machine shared with other work the times only mean something when it stays below the number
of processors; the busiest worker's processor time says how well the work was shared out
whatever the load.
"""
import argparse
import os
import re
import resource
import statistics
import subprocess
import sys
import tempfile
import time

EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples",
                       "dask_repair.py")
PARAGRAPH = (
    "Вчера вечером мы долго гуляли по набережной, а потом зашли в маленькое кафе. Официант "
    "принёс нам горячий чай с лимоном и свежие пирожки с капустой. За соседним столиком "
    "спорили о футболе двое пожилых мужчин, а девушка у окна читала толстую книгу. Когда мы "
    "вышли, уже стемнело, и над рекой зажглись фонари. "
)
ENCODINGS = ("koi8_r", "cp866", "iso8859_5", "mac_cyrillic", "cp1251")


def make_tree(folder, count):
    text = PARAGRAPH * 12
    for i in range(count):
        start = 37 * i % len(PARAGRAPH)
        length = 200 + (97 * i) % 3900
        path = os.path.join(folder, f"d{i % 20:02}", f"{i:05}.txt")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as stream:
            stream.write(text[start:start + length].encode(ENCODINGS[i % len(ENCODINGS)]))


def run(source, out, workers):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run([sys.executable, EXAMPLE, source, out, "--workers", str(workers)],
                          capture_output=True, text=True, check=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    ready, repaired, busiest = map(float, re.search(
        r"ready in ([\d.]+) s;.* repaired in ([\d.]+) s.* ([\d.]+) s in the busiest",
        done.stderr).groups())
    return wall, ready, repaired, cpu, busiest


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--files", type=int, default=4000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--workers", type=int, default=2, help="the larger number of workers")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as scratch:
        source = os.path.join(scratch, "in")
        make_tree(source, args.files)
        figures = {1: [], args.workers: []}
        for i in range(args.runs):
            for workers in figures:
                out = os.path.join(scratch, f"out-{workers}-{i}")
                figures[workers].append(run(source, out, workers))
                wall, ready, repaired, cpu, busiest = figures[workers][-1]
                print(f"{workers} workers: {wall:6.2f} s in all, start-up {ready:.2f} s, "
                      f"repair {repaired:6.2f} s, processor {cpu:6.2f} s (busiest worker "
                      f"{busiest:.2f} s); load {os.getloadavg()[0]:.1f}", flush=True)
    median = {w: [statistics.median(f[k] for f in runs) for k in range(5)]
              for w, runs in figures.items()}
    for workers, (wall, ready, repaired, cpu, busiest) in median.items():
        print(f"median, {workers} workers: {wall:.2f} s in all, start-up {ready:.2f} s, repair "
              f"{repaired:.2f} s, processor {cpu:.2f} s, busiest worker {busiest:.2f} s")
    one, many = median[1], median[args.workers]
    print(f"speed-up on {args.workers} workers: {one[2] / many[2]:.2f}x for the repair, "
          f"{one[0] / many[0]:.2f}x for the whole run; by processor time (the one worker's "
          f"over the busiest of {args.workers}) {one[4] / many[4]:.2f}x")


if __name__ == "__main__":
    main()
