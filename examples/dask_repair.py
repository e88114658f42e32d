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
"""
import argparse
import json
import os
import sys
import tempfile

import dask.bag


def repair_file(job):
    """Repairs one file; returns its report line. Runs on a worker."""
    import vorlex

    source, out, relative, utf8 = job
    line = {"file": relative, "verdict": None, "action": None, "confidence": None,
            "plausibility": None, "output": None, "error": None}
    try:
        with open(os.path.join(source, relative), "rb") as stream:
            repair = vorlex.repair(stream.read())
        line.update(verdict=repair.verdict, action=repair.action, confidence=repair.confidence,
                    plausibility=repair.plausibility)
        if repair.verdict != "none":
            target = os.path.join(out, relative)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            fd, temporary = tempfile.mkstemp(dir=os.path.dirname(target), prefix=".vorlex-")
            try:
                with os.fdopen(fd, "wb") as stream:
                    stream.write(repair.text.encode("utf-8") if utf8 else repair.data)
                os.replace(temporary, target)
            except BaseException:
                os.unlink(temporary)
                raise
            line["output"] = relative
    except (OSError, ValueError) as error:
        line["error"] = str(error)
    return line


def source_files(source, out):
    """Relative paths of the regular files under source, outside out, sorted."""
    out = os.path.realpath(out)
    files = []
    for folder, subfolders, names in os.walk(source):
        subfolders[:] = sorted(d for d in subfolders
                               if os.path.realpath(os.path.join(folder, d)) != out)
        for name in sorted(names):
            path = os.path.join(folder, name)
            if os.path.isfile(path) and not os.path.islink(path):
                files.append(os.path.relpath(path, source))
    return files


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source", help="folder whose files are repaired")
    parser.add_argument("out", help="folder the repaired files go to")
    parser.add_argument("--report", help="JSON Lines report (default OUT/report.jsonl)")
    parser.add_argument("--utf8", action="store_true", help="write the repaired files as UTF-8")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1,
                        help="local worker processes (default: one per processor)")
    parser.add_argument("--scheduler", help="address of a dask.distributed scheduler")
    args = parser.parse_args(argv)
    if not os.path.isdir(args.source):
        parser.error(f"{args.source} is not a folder")
    if args.workers < 1:
        parser.error("--workers takes a whole number from 1 up")

    files = source_files(args.source, args.out)
    os.makedirs(args.out, exist_ok=True)
    jobs = [(os.path.abspath(args.source), os.path.abspath(args.out), f, args.utf8) for f in files]
    bag = dask.bag.from_sequence(jobs, partition_size=max(1, len(jobs) // (8 * args.workers) or 1))
    lines = bag.map(repair_file)
    if args.scheduler:
        from dask.distributed import Client

        with Client(args.scheduler):
            report = lines.compute()
    else:
        report = lines.compute(scheduler="processes", num_workers=args.workers)

    report_path = args.report or os.path.join(args.out, "report.jsonl")
    fd, temporary = tempfile.mkstemp(dir=os.path.dirname(os.path.abspath(report_path)),
                                     prefix=".vorlex-")
    with os.fdopen(fd, "w", encoding="utf-8") as stream:
        for line in report:
            stream.write(json.dumps(line, ensure_ascii=False) + "\n")
    os.replace(temporary, report_path)
    failed = sum(1 for line in report if line["error"])
    written = sum(1 for line in report if line["output"])
    print(f"{len(report)} files: {written} written, {len(report) - written - failed} not "
          f"plausible Russian, {failed} failed; report {report_path}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
