#!/usr/bin/env python3
"""Repairs every file of a folder tree with vorlex on a Dask cluster.

Each file is repaired on its own (vorlex.repair, as `vorlex-cli auto --best`): the repaired text
goes to the same relative path under OUT in Windows-1251 (or UTF-8 with --utf8), written to a
temporary file and renamed; a file no reading of which is plausible Russian is not written.
One JSON line per file goes to the report (OUT/report.jsonl unless --report says otherwise):
file, verdict, action, confidence, plausibility, output (null when not written), error.

    python3 examples/dask_repair.py SOURCE OUT                      # local processes
    python3 examples/dask_repair.py SOURCE OUT --workers 8
    python3 examples/dask_repair.py SOURCE OUT --scheduler tcp://host:8786   # a real cluster

With --scheduler the workers of that dask.distributed cluster do the work; each of them needs
the vorlex module installed, and SOURCE and OUT must be the same paths on every machine (a
shared file system).

The workers do everything but listing the folder: they read, repair and write their files and
send back only the report lines, already as JSON. The files are dealt into a few partitions per
worker of about equal size, so that the workers finish together and one slowed down by other
work on its machine hands its last partitions to the others.
"""
import argparse
import importlib.util
import json
import os
import signal
import sys
import tempfile
import time

import dask.bag

# Partitions per worker: one would leave a worker idle when the other is slowed; many cost a
# round trip each.
PARTITIONS_PER_WORKER = 8


def repair_file(source, out, relative, utf8, repair):
    """Repairs one file; returns its report line."""
    line = {"file": relative, "verdict": None, "action": None, "confidence": None,
            "plausibility": None, "output": None, "error": None}
    try:
        with open(os.path.join(source, relative), "rb") as stream:
            result = repair(stream.read())
        line.update(verdict=result.verdict, action=result.action, confidence=result.confidence,
                    plausibility=result.plausibility)
        if result.verdict != "none":
            target = os.path.join(out, relative)
            folder = os.path.dirname(target)
            os.makedirs(folder, exist_ok=True)
            fd, temporary = tempfile.mkstemp(dir=folder, prefix=".vorlex-")
            try:
                with os.fdopen(fd, "wb") as stream:
                    stream.write(result.text.encode("utf-8") if utf8 else result.data)
                os.replace(temporary, target)
            except BaseException:
                os.unlink(temporary)
                raise
            line["output"] = relative
    except (OSError, ValueError) as error:
        line["error"] = str(error)
    return line


def repair_partition(jobs):
    """Repairs the files of one partition; runs on a worker. Returns the worker's process id,
    the processor time taken and (number, JSON line, written, failed) per file."""
    import vorlex

    start = time.process_time()
    lines = []
    for number, (source, out, relative, utf8) in jobs:
        line = repair_file(source, out, relative, utf8, vorlex.repair)
        lines.append((number, json.dumps(line, ensure_ascii=False), line["output"] is not None,
                      line["error"] is not None))
    return os.getpid(), time.process_time() - start, lines


def source_files(source, out):
    """(relative path, size) of the regular files under source, outside out, sorted."""
    out = os.path.realpath(out)
    files = []
    for folder, subfolders, names in os.walk(source):
        subfolders[:] = sorted(d for d in subfolders
                               if os.path.realpath(os.path.join(folder, d)) != out)
        for name in sorted(names):
            path = os.path.join(folder, name)
            try:
                info = os.lstat(path)
            except OSError:
                continue
            if os.path.stat.S_ISREG(info.st_mode):
                files.append((os.path.relpath(path, source), info.st_size))
    return files


def deal(files, count):
    """The files dealt into `count` partitions of about equal size: the largest first, each to
    the partition holding the fewest bytes (a file costs a little more than its bytes)."""
    partitions = [[] for _ in range(count)]
    loads = [0] * count
    for index in sorted(range(len(files)), key=lambda i: -files[i][1]):
        smallest = min(range(count), key=loads.__getitem__)
        partitions[smallest].append(index)
        loads[smallest] += files[index][1] + 1024
    return [sorted(p) for p in partitions if p]


def _ready(barrier):
    """Worker initializer: the module loaded and its dictionary built before the first file,
    and every worker up before the run is timed."""
    import vorlex

    # Ctrl-C reaches the whole process group; the client stops the workers.
    signal.signal(signal.SIGINT, signal.SIG_IGN)
    vorlex.repair(b"")
    barrier.wait()


def _pid():
    return os.getpid()


def _stop(signum, frame):
    raise SystemExit(128 + signum)


def start_local_pool(workers):
    """A pool of `workers` processes (started afresh, as dask's own pool is), each ready."""
    import multiprocessing
    from concurrent.futures import ProcessPoolExecutor

    context = multiprocessing.get_context("spawn")
    barrier = context.Barrier(workers)
    pool = ProcessPoolExecutor(workers, mp_context=context, initializer=_ready,
                               initargs=(barrier,))
    # One task per worker makes the pool start them all; none returns before all are ready.
    for future in [pool.submit(_pid) for _ in range(workers)]:
        future.result()
    return pool


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source", help="folder whose files are repaired")
    parser.add_argument("out", help="folder the repaired files go to")
    parser.add_argument("--report", help="JSON Lines report (default OUT/report.jsonl)")
    parser.add_argument("--utf8", action="store_true", help="write the repaired files as UTF-8")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1,
                        help="local worker processes (default: one per processor)")
    parser.add_argument("--partitions", type=int,
                        help=f"partitions of the files (default {PARTITIONS_PER_WORKER} per "
                             "worker)")
    parser.add_argument("--scheduler", help="address of a dask.distributed scheduler")
    args = parser.parse_args(argv)
    if not os.path.isdir(args.source):
        parser.error(f"{args.source} is not a folder")
    if args.workers < 1:
        parser.error("--workers takes a whole number from 1 up")
    if args.partitions is not None and args.partitions < 1:
        parser.error("--partitions takes a whole number from 1 up")
    if not args.scheduler and importlib.util.find_spec("vorlex") is None:
        parser.error("the vorlex module is not installed for this interpreter (cmake --install, "
                     "or PYTHONPATH=BUILD/python/site)")

    # Stopped, the client lets the running partitions end and stops its workers, rather than
    # leave them waiting for work forever.
    signal.signal(signal.SIGTERM, _stop)
    started = time.perf_counter()
    client = pool = None
    try:
        if args.scheduler:
            from dask.distributed import Client

            client = Client(args.scheduler)
            workers = max(1, sum(client.nthreads().values()))
        else:
            workers = args.workers
            pool = start_local_pool(workers)
        ready = time.perf_counter()
        files = source_files(args.source, args.out)
        os.makedirs(args.out, exist_ok=True)
        source, out = os.path.abspath(args.source), os.path.abspath(args.out)
        jobs = [(source, out, relative, args.utf8) for relative, _ in files]
        partitions = [[(i, jobs[i]) for i in p]
                      for p in deal(files, args.partitions or PARTITIONS_PER_WORKER * workers)]
        # One element per partition, so that each is one task of its own.
        bag = dask.bag.from_sequence(partitions, npartitions=max(1, len(partitions)))
        results = bag.map(repair_partition)
        if client:
            done = results.compute()
        else:
            # chunksize 1: a partition goes to the first free worker. The scheduler's default
            # sends them in batches, which leaves one worker idle while the other runs a batch.
            done = results.compute(scheduler="processes", pool=pool, chunksize=1)
        repaired = time.perf_counter()
    finally:
        if client:
            client.close()
        if pool:
            pool.shutdown(cancel_futures=True)

    busy = {}
    for pid, seconds, _ in done:
        busy[pid] = busy.get(pid, 0) + seconds
    report = sorted(line for _, _, lines in done for line in lines)  # in the order of the files
    report_path = args.report or os.path.join(args.out, "report.jsonl")
    fd, temporary = tempfile.mkstemp(dir=os.path.dirname(os.path.abspath(report_path)),
                                     prefix=".vorlex-")
    with os.fdopen(fd, "w", encoding="utf-8") as stream:
        stream.writelines(line + "\n" for _, line, _, _ in report)
    os.replace(temporary, report_path)
    written = sum(1 for _, _, was_written, _ in report if was_written)
    failed = sum(1 for _, _, _, has_failed in report if has_failed)
    print(f"{len(report)} files: {written} written, {len(report) - written - failed} not "
          f"plausible Russian, {failed} failed; report {report_path}")
    print(f"{workers} workers ready in {ready - started:.2f} s; {len(partitions)} partitions "
          f"repaired in {repaired - ready:.2f} s, {sum(busy.values()):.2f} s of processor time in "
          f"the workers, {max(busy.values(), default=0):.2f} s in the busiest", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
