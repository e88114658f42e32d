#!/usr/bin/env python3
"""Top-1 evaluation of the classic and the refined ranking, with uchardet and enca beside them.

The test text is the Russian manual of aptitude from the Debian package aptitude-doc-ru (HTML
under /usr/share/doc/aptitude/html/ru); the bigram model was built from another package
(manpages-ru). Pieces of 20-60, 60-150, 150-400 and 400+ bytes are damaged once (Koi, Iso, Alt
or Mac bytes read as Win) or by a random chain of two or three of the twelve basic filters; see
bench/refined_eval.cpp. uchardet and enca are run on the single damages and count as right when
they name the code page the text was turned into.

Usage: scripts/evaluate_ranking.py [--build-dir DIR] [--per-cell N] [--seed S]
Installs aptitude-doc-ru, uchardet and enca with apt-get when they are missing (as root).
"""
import argparse
import glob
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
TEXT_PACKAGE = "aptitude-doc-ru"
TEXT_GLOB = "/usr/share/doc/aptitude/html/ru/*.html"
PACKAGES = [TEXT_PACKAGE, "uchardet", "enca"]
EXPECTED = {"wk": "KOI8R", "wi": "ISO88595", "wa": "IBM866", "wm": "MACCYRILLIC"}
ALIASES = {"CP866": "IBM866", "866": "IBM866", "XMACCYRILLIC": "MACCYRILLIC",
           "MACCYRILLIC": "MACCYRILLIC", "KOI8R": "KOI8R", "ISO88595": "ISO88595"}


def ensure_packages():
    missing = [p for p in PACKAGES
               if subprocess.run(["dpkg", "-s", p], capture_output=True).returncode != 0]
    if not missing:
        return
    if os.geteuid() != 0:
        sys.exit("missing Debian packages: " + " ".join(missing) + " (apt-get install them)")
    subprocess.run(["apt-get", "install", "-y"] + missing, check=True)


class TextOnly(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.parts = []
        self.skip = 0

    def handle_starttag(self, tag, attrs):
        if tag in ("script", "style"):
            self.skip += 1
        elif tag in ("p", "div", "br", "li", "tr", "td", "th", "h1", "h2", "h3", "h4", "pre",
                     "dt", "dd", "title"):
            self.parts.append("\n")

    def handle_endtag(self, tag):
        if tag in ("script", "style") and self.skip:
            self.skip -= 1

    def handle_data(self, data):
        if not self.skip:
            self.parts.append(data)


def corpus_text():
    parser = TextOnly()
    for path in sorted(glob.glob(TEXT_GLOB)):
        with open(path, encoding="utf-8", errors="ignore") as f:
            parser.feed(f.read())
    return "".join(parser.parts)


def normalise(name):
    key = "".join(ch for ch in name.upper() if ch.isalnum())
    return ALIASES.get(key, key)


def detect(tool, files):
    answers = {}
    for start in range(0, len(files), 200):
        batch = files[start:start + 200]
        command = ["uchardet"] if tool == "uchardet" else ["enca", "-L", "ru", "-i"]
        out = subprocess.run(command + batch, capture_output=True, text=True).stdout
        for line in out.splitlines():
            path, _, name = line.rpartition(": ")
            answers[path] = normalise(name.strip())
    return answers


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=os.path.join(REPO, "build-eval"))
    parser.add_argument("--per-cell", type=int, default=250)
    parser.add_argument("--seed", type=int, default=8)
    args = parser.parse_args()
    ensure_packages()

    subprocess.run(["cmake", "-S", REPO, "-B", args.build_dir, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Release"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", args.build_dir, "--target", "vorlex_refined_eval"],
                   check=True, stdout=subprocess.DEVNULL)

    work = tempfile.mkdtemp(prefix="vorlex-eval-")
    try:
        corpus = os.path.join(work, "corpus.txt")
        with open(corpus, "w", encoding="utf-8") as f:
            f.write(corpus_text())
        cases = os.path.join(work, "cases")
        os.mkdir(cases)
        out = subprocess.run([os.path.join(args.build_dir, "bench", "vorlex_refined_eval"), corpus,
                              "--per-cell", str(args.per_cell), "--seed", str(args.seed),
                              "--dump-singles", cases], check=True, capture_output=True,
                             text=True).stdout
        cells = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
        index = [line.split("\t") for line in open(os.path.join(cases, "index.tsv"))]
        files = [os.path.join(cases, row[0]) for row in index]
        detectors = {tool: detect(tool, files) for tool in ("uchardet", "enca")}
    finally:
        shutil.rmtree(work, ignore_errors=True)

    def pct(right, total):
        return f"{100.0 * right / total:5.1f}%" if total else "    -"

    buckets = []
    for cell in cells:
        if cell["bucket"] not in buckets:
            buckets.append(cell["bucket"])
    print(f"Test text: {TEXT_PACKAGE}; {args.per_cell} cases per bucket and damage, seed "
          f"{args.seed}. Top-1 = the first answer repairs the whole piece.")
    print()
    print("| bucket | damage | cases | classic | refined | ambiguous | uchardet | enca |")
    print("|---|---|---|---|---|---|---|---|")
    for bucket in buckets:
        rows = [c for c in cells if c["bucket"] == bucket]
        singles = [c for c in rows if c["damage"] != "chain"]
        for group, label in [(c, c["damage"]) for c in rows] + [(None, "all single")]:
            chosen = [group] if group else singles
            n = sum(c["cases"] for c in chosen)
            tools = []
            for tool in ("uchardet", "enca"):
                if label == "chain":
                    tools.append("    -")
                    continue
                damages = [c["damage"] for c in chosen]
                picked = [(path, row) for path, row in zip(files, index)
                          if row[1] == bucket and row[2].strip() in damages]
                right = sum(detectors[tool].get(path) == EXPECTED[row[2].strip()]
                            for path, row in picked)
                tools.append(pct(right, len(picked)))
            print(f"| {bucket} | {label} | {n} | "
                  f"{pct(sum(c['classic'] for c in chosen), n)} | "
                  f"{pct(sum(c['refined'] for c in chosen), n)} | "
                  f"{pct(sum(c['ambiguous'] for c in chosen), n)} | {tools[0]} | {tools[1]} |")


if __name__ == "__main__":
    main()
