#!/usr/bin/env python3
"""Evaluation of the classic and the refined ranking, with uchardet and enca beside them.

Two sets of Russian test texts (scripts/russian_corpus.py):
  --set reserved  sources no table was built or tuned on: documentation (debian-faq-ru,
                  maint-guide-ru, developers-reference-ru), prose (fortunes-ru:
                  quotations, jokes, verse) and interface messages (the Russian message
                  catalogues of other installed packages): the independent check
  --set dev       the held-out halves of the model genres (manual pages, help pages, interface
                  messages), the same interface messages with the markup of message catalogues
                  added (uimarked: accelerator marks, printf directives, placeholders, option
                  columns, HTML tags; scripts/catalogue_markup.py), the same messages as the
                  --help output of command-line programs (uihelp: usage lines, Latin option
                  names; catalogue_markup.help_screens) and two genres no table has seen (a file
                  manager's help, fmhelp, a package manager's manual, aptdoc, and a thesaurus's
                  general vocabulary, thesaurus), never in a
                  table: what the scoring is tuned on
Inputs that are no Russian text: random bytes, English manual pages in Windows-1252 and pieces
of /bin/ls. See bench/refined_eval.cpp for the cases and what counts as right.

Text that arrived as Unicode (scripts/unicode_families.py) is built from the texts of the same
set: the nine families of damage through Unicode by length in characters, correct text, mixed
text (English words, URLs, numbers, emoji) and a damaged quote inside correct text.
--unicode-only skips the 8-bit tables.

uchardet and enca are run on the single damages (right when they name the code page the text
was turned into) and on the correct texts (right when they name Windows-1251).

Usage: scripts/evaluate_ranking.py [--build-dir DIR] [--per-cell N] [--seed S]
Installs the test-text packages, uchardet and enca with apt-get when they are missing (as root).
"""
import argparse
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

import catalogue_markup
import russian_corpus
import unicode_families

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
SETS = {"reserved": ["doc", "prose", "messages"],
        "dev": ["man", "help", "ui", "uimarked", "uihelp", "fmhelp", "aptdoc", "thesaurus"]}
MODEL_GENRES = russian_corpus.MODEL_GENRES
PACKAGES = (russian_corpus.EVALUATION_PACKAGES + russian_corpus.MODEL_PACKAGES +
            russian_corpus.DEVELOPMENT_PACKAGES +
            ["uchardet", "enca"])
EXPECTED = {"wk": "KOI8R", "wi": "ISO88595", "wa": "IBM866", "wm": "MACCYRILLIC",
            "correct": "WINDOWS1251"}
ALIASES = {"CP866": "IBM866", "866": "IBM866", "XMACCYRILLIC": "MACCYRILLIC",
           "MACCYRILLIC": "MACCYRILLIC", "KOI8R": "KOI8R", "ISO88595": "ISO88595",
           "CP1251": "WINDOWS1251", "WINDOWS1251": "WINDOWS1251"}
KIND_NOTES = {
    "correct": "text that needs no repair: right when unchanged (or the same letters)",
    "long": "no word of two to four letters, damaged once",
    "utf8": "UTF-8 read as Win, which no chain undoes: right when none",
    "random": "random bytes: right when none", "english": "English, Windows-1252: right when none",
    "binary": "pieces of /bin/ls: right when none",
}


def ensure_packages():
    missing = [p for p in PACKAGES
               if subprocess.run(["dpkg", "-s", p], capture_output=True).returncode != 0]
    if not missing:
        return
    if os.geteuid() != 0:
        sys.exit("missing Debian packages: " + " ".join(missing) + " (apt-get install them)")
    subprocess.run(["apt-get", "install", "-y"] + missing, check=True)


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


def english_text():
    pages = sorted(glob.glob("/usr/share/man/man1/*.1.gz"))[:400]
    return "\n".join(russian_corpus.strip_roff(russian_corpus.read_maybe_gzip(p)) for p in pages)


def genre_text(genre):
    """The genre's Russian text; of a model genre only the held-out half. uimarked is the
    held-out interface messages with the markup of message catalogues added, uihelp the same
    messages as the --help output of command-line programs."""
    if genre == "uimarked":
        return catalogue_markup.decorate(genre_text("ui"))
    if genre == "uihelp":
        return catalogue_markup.help_screens(genre_text("ui"))
    held = genre in MODEL_GENRES
    return "\n".join(text for name, text in russian_corpus.documents(genre)
                     if not held or russian_corpus.held_out(name))


def unicode_tables(build_dir, work, genres, per_cell, seed, verbose):
    english_words = sorted(set(w for w in english_text().split() if w.isalpha() and
                               w.isascii() and 3 <= len(w) <= 10))
    cases = unicode_families.build([genre_text(g) for g in genres], english_words,
                                   per_cell, seed)
    path = os.path.join(work, "unicode.tsv")
    with open(path, "w", encoding="utf-8") as f:
        for case in cases:
            f.write(f"{case[0]}\t{unicode_families.escape(case[1])}\n")
    out = subprocess.run([os.path.join(build_dir, "bench", "vorlex_refined_eval"), "--unicode",
                          path], check=True, capture_output=True).stdout.decode("utf-8")
    answers = {}
    for line in out.splitlines():
        case_id, verdict, action, result = line.split("\t", 3)
        answers[case_id] = (verdict, action, unicode_families.unescape(result))
    cells = unicode_families.judge(cases, answers)

    def pct(right, total):
        return f"{100.0 * right / total:5.1f}%" if total else "    -"

    held = any(g in MODEL_GENRES for g in genres)
    lines = [f"Text that arrived as Unicode, from {'the held-out halves of ' if held else ''}"
             f"{', '.join(genres)};"
             f" {per_cell} cases per cell, seed {seed}; lengths in characters. Top-1 = what",
             "`auto --best` writes is the original text (byte for byte).", "",
             "| input | " + " | ".join(b for b, _, _ in unicode_families.BUCKETS) +
             " | mixed 60-400 | none |", "|---|" + "---|" * (len(unicode_families.BUCKETS) + 2)]
    for family in ["-"] + [name for name, _, _ in unicode_families.FAMILIES]:
        kind = "correct" if family == "-" else "family"
        row = [cells.get((kind, family, b)) for b, _, _ in unicode_families.BUCKETS]
        mixed = cells.get(("mixed", family, "60-400"))
        none = sum(c["none"] for c in row if c) + (mixed["none"] if mixed else 0)
        total = sum(c["cases"] for c in row if c) + (mixed["cases"] if mixed else 0)
        label = "correct text: unchanged" if family == "-" else family
        lines.append(f"| {label} | " + " | ".join(pct(c["right"], c["cases"]) if c else "-"
                                                  for c in row) +
                     f" | {pct(mixed['right'], mixed['cases']) if mixed else '-'} | "
                     f"{pct(none, total)} |")
    lines += ["", "A damaged quote of 1-4 words inside correct text (60-400 characters): "
              "repaired, left as it is, or made worse.", "",
              "| quote damaged by | cases | repaired | left alone | worse |", "|---|---|---|---|---|"]
    for name, _, _ in unicode_families.FAMILIES:
        c = cells[("partial", name, "60-400")]
        lines.append(f"| {name} | {c['cases']} | {pct(c['repaired'], c['cases'])} | "
                     f"{pct(c['alone'], c['cases'])} | {pct(c['worse'], c['cases'])} |")
    if verbose:
        for key, cell in sorted(cells.items()):
            for text, written in cell["misses"]:
                print("MISS", *key, repr(text[:120]), "->", repr(written[:120]), file=sys.stderr)
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir", default=os.path.join(REPO, "build-eval"))
    parser.add_argument("--per-cell", type=int, default=200)
    parser.add_argument("--seed", type=int, default=8)
    parser.add_argument("--set", choices=sorted(SETS), default="reserved")
    parser.add_argument("--unicode-only", action="store_true")
    parser.add_argument("--verbose", action="store_true", help="print the misses to stderr")
    parser.add_argument("--features-out", help="keep the plausibility rows of the cases here "
                        "(vorlex_refined_eval --features; scripts/fit_plausibility.py reads them)")
    args = parser.parse_args()
    ensure_packages()
    genres = SETS[args.set]

    subprocess.run(["cmake", "-S", REPO, "-B", args.build_dir, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Release"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", args.build_dir, "--target", "vorlex_refined_eval"],
                   check=True, stdout=subprocess.DEVNULL)

    work = tempfile.mkdtemp(prefix="vorlex-eval-")
    try:
        unicode = unicode_tables(args.build_dir, work, genres, args.per_cell, args.seed,
                                 args.verbose)
        if args.unicode_only:
            print(unicode)
            return
        corpora = []
        for genre in genres:
            path = os.path.join(work, genre + ".txt")
            with open(path, "w", encoding="utf-8") as f:
                f.write(genre_text(genre))
            corpora.append(f"{genre}={path}")
        english = os.path.join(work, "english.txt")
        with open(english, "w", encoding="utf-8") as f:
            f.write(english_text())
        cases = os.path.join(work, "cases")
        os.mkdir(cases)
        features = os.path.join(work, "features.tsv")
        out = subprocess.run([os.path.join(args.build_dir, "bench", "vorlex_refined_eval")] +
                             corpora + ["--per-cell", str(args.per_cell), "--seed",
                                        str(args.seed), "--dump-singles", cases, "--features",
                                        features, "--english", english, "--binary", "/bin/ls",
                                        "--verbose", str(int(args.verbose))],
                             check=True, stdout=subprocess.PIPE, text=True).stdout
        cells = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
        index = [line.rstrip("\n").split("\t") for line in open(os.path.join(cases, "index.tsv"))]
        files = [os.path.join(cases, row[0]) for row in index]
        detectors = {tool: detect(tool, files) for tool in ("uchardet", "enca")}
        reliability = subprocess.run([sys.executable,
                                      os.path.join(REPO, "scripts", "fit_plausibility.py"),
                                      "--reliability", features],
                                     check=True, capture_output=True, text=True).stdout
        if args.features_out:
            shutil.copyfile(features, args.features_out)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    def pct(right, total):
        return f"{100.0 * right / total:5.1f}%" if total else "    -"

    def tool_score(tool, genre, bucket, kinds):
        picked = [(path, row) for path, row in zip(files, index)
                  if row[1] == genre and row[2] == bucket and row[3] in kinds]
        right = sum(detectors[tool].get(path) == EXPECTED[row[3]] for path, row in picked)
        return pct(right, len(picked))

    source = ("evaluation-only sources" if args.set == "reserved"
              else "held-out halves of the model genres and a genre no table has seen")
    print(f"Test texts: {', '.join(genres)} ({source}); {args.per_cell} cases per "
          f"cell, seed {args.seed}.")
    print("Top-1 = the first answer repairs the whole piece (and the verdict is not none).")
    print()
    print("| genre | bucket | input | cases | classic | refined | verdict none | uchardet | enca |")
    print("|---|---|---|---|---|---|---|---|---|")
    for genre in genres + ["other"]:
        rows = [c for c in cells if c["genre"] == genre]
        buckets = []
        for cell in rows:
            if cell["bucket"] not in buckets:
                buckets.append(cell["bucket"])
        for bucket in buckets:
            here = [c for c in rows if c["bucket"] == bucket]
            singles = [c for c in here if c["kind"] in ("wk", "wi", "wa", "wm")]
            groups = [([c], c["kind"]) for c in here if c["kind"] not in ("wk", "wi", "wa", "wm")]
            if singles:
                groups.insert(0, (singles, "single"))
            for chosen, label in groups:
                n = sum(c["cases"] for c in chosen)
                kinds = [c["kind"] for c in chosen]
                if label == "single" or label == "correct":
                    tools = [tool_score(t, genre, bucket, kinds) for t in ("uchardet", "enca")]
                else:
                    tools = ["    -", "    -"]
                classic = (pct(sum(c["classic"] for c in chosen), n)
                           if label in ("single", "chain", "long") else "    -")
                print(f"| {genre} | {bucket} | {label} | {n} | {classic} | "
                      f"{pct(sum(c['refined'] for c in chosen), n)} | "
                      f"{pct(sum(c['none'] for c in chosen), n)} | {tools[0]} | {tools[1]} |")
    print()
    for kind, note in KIND_NOTES.items():
        print(f"- {kind}: {note}")
    print()
    print("Reliability of the plausibility on these texts (the first two candidates and the text")
    print("as it is of every case, without recodings within a quarter of the real text's letters;")
    print("real = the candidate gives the real text, in any case):")
    print()
    print(reliability.rstrip())
    print()
    print("Summary over the genres, by bucket (the README's table):")
    print()
    print("| bytes | single: refined | uchardet | enca | damaged: none | chain | correct: "
          "unchanged | no Russian: none |")
    print("|---|---|---|---|---|---|---|---|")
    damaged = ("wk", "wi", "wa", "wm", "chain", "long")
    for bucket in [c["bucket"] for c in cells if c["genre"] == "other" and c["kind"] == "random"]:
        here = [c for c in cells if c["bucket"] == bucket]

        def share(kinds, key, genre_set=genres):
            chosen = [c for c in here if c["kind"] in kinds and c["genre"] in genre_set]
            return pct(sum(c[key] for c in chosen), sum(c["cases"] for c in chosen))

        def tools(tool):
            picked = [(path, row) for path, row in zip(files, index)
                      if row[2] == bucket and row[3] in ("wk", "wi", "wa", "wm")]
            return pct(sum(detectors[tool].get(path) == EXPECTED[row[3]] for path, row in picked),
                       len(picked))

        print(f"| {bucket} | {share(('wk', 'wi', 'wa', 'wm', 'long'), 'refined')} | "
              f"{tools('uchardet')} | {tools('enca')} | {share(damaged, 'none')} | "
              f"{share(('chain',), 'refined')} | {share(('correct',), 'refined')} | "
              f"{share(('random', 'english', 'binary'), 'refined', ['other'])} |")
    print()
    print(unicode)


if __name__ == "__main__":
    main()
