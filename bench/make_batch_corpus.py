#!/usr/bin/env python3
"""Writes the folder the batch scale benchmark runs on: small files of 1-16 KB cut from real
Russian text (the evaluation-only prose and documentation of scripts/russian_corpus.py),
damaged in mixed ways (KOI8-R, ISO 8859-5, CP866 or Mac bytes where Windows-1251 is read, some
through two damages), some left correct, some binary; and a few large files of KOI8-R.

    bench/make_batch_corpus.py OUT_DIR [--small N] [--large N] [--large-mb MB] [--seed S]
"""
import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
import russian_corpus  # noqa: E402

# A damage: the Windows-1251 bytes of the text as another code page would store them.
DAMAGES = [["koi8-r"], ["iso-8859-5"], ["cp866"], ["mac-cyrillic"], ["koi8-r", "koi8-r"],
           ["cp866", "koi8-r"]]


def damaged(text, chain):
    data = text.encode("cp1251", "replace")
    for page in chain:
        data = data.decode("cp1251", "replace").encode(page, "replace")
    return data


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--small", type=int, default=20000)
    parser.add_argument("--large", type=int, default=20)
    parser.add_argument("--large-mb", type=int, default=50)
    parser.add_argument("--seed", type=int, default=18)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    text = "\n".join(t for genre in ("prose", "doc") for _, t in russian_corpus.documents(genre))
    if len(text) < 1 << 20:
        sys.exit("too little Russian text: install fortunes-ru and debian-faq-ru")
    binary = open(sys.executable, "rb").read(1 << 20)
    small = os.path.join(args.out, "small")
    for i in range(args.small):
        folder = os.path.join(small, "%02d" % (i % 100))
        os.makedirs(folder, exist_ok=True)
        size = rng.randint(1 << 10, 16 << 10)
        kind = rng.random()
        if kind < 0.05:
            start = rng.randrange(len(binary) - size)
            data = binary[start:start + size]
        else:
            start = rng.randrange(len(text) - size)
            piece = text[start:start + size // 2]
            data = piece.encode("cp1251", "replace") if kind < 0.25 else damaged(
                piece, rng.choice(DAMAGES))
        with open(os.path.join(folder, "%05d.txt" % i), "wb") as f:
            f.write(data)
    large = os.path.join(args.out, "large")
    os.makedirs(large, exist_ok=True)
    block = damaged(text[: 4 << 20], ["koi8-r"])
    for i in range(args.large):
        with open(os.path.join(large, "%02d.txt" % i), "wb") as f:
            left = args.large_mb << 20
            while left > 0:
                f.write(block[:left])
                left -= len(block[:left])


if __name__ == "__main__":
    main()
