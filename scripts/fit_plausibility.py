#!/usr/bin/env python3
"""Fits detect/plausibility_model.inc, the plausibility model of the refined ranking.

The plausibility of a reading is a logistic function of twenty features of the recoded
sample (detect::plausibilityFeatures): the mean bigram log-probability per scored pair, the share
of words found in the list of word forms, the shares among the high bytes of odd bytes beside a
Cyrillic letter and of the other odd bytes (a sign such as © or ’ between spaces or Latin
letters is real text, inside a word it stands for a letter), the share of mixed-case words, the
share of Cyrillic letters among the high bytes, the evidence ln(1 + words) (up to twenty words:
kEvidenceWords in detect/refined_ranking.cpp), the known share and
the bigram mean multiplied by the evidence (so that the same shares count for more in a longer
text), the share of capitals among the letters, the share of words of one to three Cyrillic
letters with a Latin letter right beside them, the share of Cyrillic among all letters and its
logarithm below a quarter (a few Cyrillic letters among Latin text), the share of capitalised
words (names, lists of languages and places), the share among the high bytes of punctuation marks between two
Cyrillic letters (№ or “ standing for a letter) alone and times the evidence, the share of words
in capitals, the known share times the share of capitals (lists of function names in capitals
are real text the word forms do not cover), the share of control bytes (program files) and the
share of words with a digit right beside them ("Лист1"). A run of no-break spaces counts as one
(indented help text), and the n of a literal \n in a message is no Latin letter. The features
are of the text without the markup of message catalogues (accelerator marks inside words,
directives, placeholders, HTML tags; see withoutMarkup in detect/refined_ranking.cpp).

Training rows come from `vorlex_refined_eval --features FILE` run on the held-out halves of the
model genres (the texts scripts/evaluate_ranking.py --set dev uses; scripts/build_bigram_table.py
--dev-out DIR writes them), never on the evaluation-only sources: each row is one of the
readings a verdict weighs (the first two candidates and the text as it is) of one case,
labelled 1 when it is the real text (in any case). Readings that differ from the real text in a
letter or two are left out (neither answer is wrong), and so are recodings that change at most
a quarter of its letters (NEAR): the plausibility tells Russian text from what is none, and
with those near readings among the "no" rows it had learnt that a text is Russian only when
nearly all its words are listed, so that real text of rarer words (a thesaurus, literature)
was judged none. The text as it is of a damaged case always stays, however few letters the
damage changed (Mac Cyrillic read as Win changes only capitals). Inputs that are no Russian
text weigh GARBAGE_WEIGHT times. The committed model is fitted on two draws of cases other than
the one the evaluation reports (seed 8):

    vorlex_refined_eval man=DIR/man.txt help=DIR/help.txt ui=DIR/ui.txt --per-cell 200 \
        --seed 11 --features t11.tsv --english ENGLISH.txt --binary /bin/ls   (and --seed 12)
    scripts/fit_plausibility.py t11.tsv t12.tsv

Usage: scripts/fit_plausibility.py FEATURES.tsv... [--out detect/plausibility_model.inc]
       scripts/fit_plausibility.py --reliability FEATURES.tsv   (a table of predicted against
                                                                observed, from any rows)
"""
import argparse
import math
import os

FEATURES = 20


# A wrong recoding that changes at most this share of the real text's letters is left out of
# the fit and of the reliability table: it is Russian text with a few wrong letters, which the
# ranking and the word checks tell from the real text; the plausibility is to tell Russian text
# from what is none (other bytes, the damage itself, a reading that changes most letters).
NEAR = 0.25


def rows(path, near=NEAR):
    for line in open(path):
        parts = line.rstrip("\n").split("\t")
        label = int(parts[3])
        differing = float(parts[-1])
        if label == 0 and 0 <= differing <= near:
            continue
        yield parts[0], parts[1], parts[2], label, [float(x) for x in parts[4:4 + FEATURES]], float(parts[4 + FEATURES])


def solve(a, b):
    n = len(b)
    m = [row[:] + [b[i]] for i, row in enumerate(a)]
    for c in range(n):
        p = max(range(c, n), key=lambda r: abs(m[r][c]))
        m[c], m[p] = m[p], m[c]
        for r in range(n):
            if r != c and m[c][c] != 0:
                f = m[r][c] / m[c][c]
                for k in range(c, n + 1):
                    m[r][k] -= f * m[c][k]
    return [m[i][n] / m[i][i] if m[i][i] else 0.0 for i in range(n)]


# The inputs that are no Russian text in any reading (UTF-8 read as Win, random bytes, English,
# program files) weigh this much more in the fit: without near readings among the "no" rows they
# are what the "no" side must be learnt from, and their first readings are what a verdict none
# answers.
GARBAGE_KINDS = {"utf8", "random", "english", "binary"}
GARBAGE_WEIGHT = 4.0


def fit(data, ridge=1e-3, rounds=25):
    """Logistic regression by Newton's method, on (features, label, weight) rows."""
    n = FEATURES + 1
    w = [0.0] * n
    for _ in range(rounds):
        h = [[ridge if i == j else 0.0 for j in range(n)] for i in range(n)]
        g = [-ridge * wi for wi in w]
        for x, y, s in data:
            v = x + [1.0]
            z = sum(wi * vi for wi, vi in zip(w, v))
            p = 1.0 / (1.0 + math.exp(-max(-30.0, min(30.0, z))))
            for i in range(n):
                g[i] += s * (y - p) * v[i]
                for j in range(i, n):
                    h[i][j] += s * p * (1 - p) * v[i] * v[j]
        for i in range(n):
            for j in range(i):
                h[i][j] = h[j][i]
        step = solve(h, g)
        w = [wi + si for wi, si in zip(w, step)]
        if max(abs(si) for si in step) < 1e-7:
            break
    return w


def predict(w, x):
    z = sum(wi * xi for wi, xi in zip(w, x + [1.0]))
    return 1.0 / (1.0 + math.exp(-max(-30.0, min(30.0, z))))


def reliability(pairs):
    edges = [0, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 1.0001]
    print("| predicted | readings | mean predicted | observed real |")
    print("|---|---|---|---|")
    for lo, hi in zip(edges, edges[1:]):
        cell = [(p, y) for p, y in pairs if lo <= p < hi]
        if cell:
            print(f"| {lo:.2f}-{min(hi, 1):.2f} | {len(cell)} | "
                  f"{sum(p for p, _ in cell) / len(cell):.3f} | "
                  f"{sum(y for _, y in cell) / len(cell):.3f} |")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("features", nargs="+", help="rows of vorlex_refined_eval --features")
    parser.add_argument("--out", default=os.path.join(os.path.dirname(__file__), "..", "detect",
                                                       "plausibility_model.inc"))
    parser.add_argument("--reliability", action="store_true",
                        help="only print the reliability of the plausibility the rows carry")
    args = parser.parse_args()
    data = [row for path in args.features for row in rows(path)]
    if args.reliability:
        reliability([(p, y) for _, _, _, y, _, p in data])
        return
    w = fit([(x, y, GARBAGE_WEIGHT if kind in GARBAGE_KINDS else 1.0)
             for _, _, kind, y, x, _ in data])
    with open(args.out, "w", encoding="ascii") as out:
        out.write("// Generated by scripts/fit_plausibility.py. Do not edit.\n")
        out.write("{" + ", ".join(f"{v:.6f}" for v in w[:FEATURES]) + f"}}, {w[FEATURES]:.6f}\n")
    print(f"{len(data)} readings, {sum(r[3] for r in data)} real; model written to {args.out}")
    reliability([(predict(w, x), y) for _, _, _, y, x, _ in data])


if __name__ == "__main__":
    main()
