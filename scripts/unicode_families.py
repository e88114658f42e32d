"""Russian text damaged on its way through Unicode, for scripts/evaluate_ranking.py.

The damages are the Python recipes users meet (undefined bytes of windows-1251 and
windows-1252 decode to the C1 control with the same number). Cases are cut from Russian text
in characters and judged on what `vorlex_refined_eval --unicode` makes of the whole case.
"""
import codecs
import random
import re


def _c1(error):
    """Undefined bytes read as the C1 control of the same number, as a display shows them."""
    if isinstance(error, UnicodeDecodeError):
        return "".join(chr(b) for b in error.object[error.start:error.end]), error.end
    raise error


codecs.register_error("vorlex_c1", _c1)


def shown(data, page):
    return data.decode(page, errors="vorlex_c1")


def utf8_as(page):
    return lambda s: shown(s.encode("utf-8"), page)


def stored_as(stored, page):
    return lambda s: shown(s.encode(stored), page)


# name, damage, whether the text is stored through UTF-8 (so that any character survives)
FAMILIES = [
    ("1 UTF-8 as Win", utf8_as("cp1251"), True),
    # As Python's errors="replace" (and Java, .NET) read it: the undefined byte 0x98 (in "И",
    # in "‘" and in emoji) shows as U+FFFD.
    ("1 UTF-8 as Win, 0x98 as U+FFFD",
     lambda s: s.encode("utf-8").decode("cp1251", errors="replace"), True),
    # As a display that cannot show the control drops it ("РРЅС„Рѕ" for "Инфо").
    ("1 UTF-8 as Win, 0x98 dropped",
     lambda s: s.encode("utf-8").decode("cp1251", errors="ignore"), True),
    ("2 UTF-8 as KOI8-R", utf8_as("koi8_r"), True),
    ("3 UTF-8 as CP866", utf8_as("cp866"), True),
    ("4 UTF-8 as Win-1252", utf8_as("cp1252"), True),
    ("5 Win as Win-1252", stored_as("cp1251", "cp1252"), False),
    ("6 KOI8-R as Latin-1", stored_as("koi8_r", "latin-1"), False),
    ("7 CP866 as CP437", stored_as("cp866", "cp437"), False),
    ("8 UTF-8 twice as Win", lambda s: utf8_as("cp1251")(utf8_as("cp1251")(s)), True),
    ("9 KOI8-R as Win", stored_as("koi8_r", "cp1251"), False),
    ("9 CP866 as Win", stored_as("cp866", "cp1251"), False),
]
STORED = {"5": "cp1251", "6": "koi8_r", "7": "cp866"}
BUCKETS = [("20-60", 20, 60), ("60-150", 60, 150), ("150-400", 150, 400), ("400+", 400, 1200)]

# Typography the smaller pages lack, as a writer on them would type it.
PLAIN = str.maketrans({"«": '"', "»": '"', "„": '"', "“": '"', "”": '"', "–": "-", "—": "-",
                       "…": "...", "№": "N", "\u00a0": " ", "’": "'", "‘": "'"})
EMOJI = ["😀", "👍", "🎉", "✅", "❤️", "🇷🇺", "🙂", "→", "≈", "中文", "∑"]
CYRILLIC = re.compile("[а-яёА-ЯЁ]")
LATIN = re.compile("[a-zA-Z]")


def page_of(name):
    if name.startswith("9 KOI8"):
        return "koi8_r"
    if name.startswith("9 CP866"):
        return "cp866"
    return STORED.get(name[0])


def fits(text, page):
    """The text as a writer on `page` would have it, or None when it holds other letters."""
    if page is None:
        return text
    for candidate in (text, text.translate(PLAIN)):
        try:
            candidate.encode(page)
            return candidate
        except UnicodeEncodeError:
            pass
    return None


def normalised(text):
    return re.sub(r"[ \t\r\f\v]+", " ", re.sub(r"\s*\n\s*", "\n", text)).strip()


def russian(piece):
    cyrillic = len(CYRILLIC.findall(piece))
    return cyrillic >= 8 and cyrillic >= 3 * len(LATIN.findall(piece))


def cut(text, rng, low, high):
    """A piece of [low, high) characters between word boundaries, or None."""
    if len(text) < 2 * high:
        return None
    start = rng.randrange(0, len(text) - high - 1)
    while start < len(text) and not text[start].isspace():
        start += 1
    start += 1
    end = start + rng.randrange(low, high)
    if end >= len(text):
        return None
    while end > start and not text[end].isspace():
        end -= 1
    piece = text[start:end]
    return piece if len(piece) >= low and russian(piece) else None


def mixed(piece, rng, english_words, emoji):
    """The piece with English words, a URL, numbers and (when `emoji`) emoji put between words."""
    words = piece.split(" ")
    inserts = [" ".join(rng.sample(english_words, rng.randint(1, 3))),
               f"https://example.org/{rng.choice(english_words)}?id={rng.randint(1, 9999)}",
               f"{rng.randint(1, 2099)}", f"v{rng.randint(1, 9)}.{rng.randint(0, 20)}",
               f"{rng.randint(1, 99)}%", f"<{rng.choice(english_words)}@example.com>"]
    if emoji:
        inserts += [rng.choice(EMOJI), rng.choice(EMOJI)]
    for token in rng.sample(inserts, min(len(inserts), max(2, len(words) // 6))):
        words.insert(rng.randint(0, len(words)), token)
    return " ".join(words)


def build(texts, english_words, per_cell, seed):
    """(case id, input, original, family, bucket, kind) tuples; kind: family, correct, mixed,
    partial. `texts` are Russian texts (one per genre, taken in turn)."""
    rng = random.Random(seed)
    texts = [normalised(t) for t in texts]
    cases = []

    def pieces(low, high, page):
        while True:
            text = texts[rng.randrange(len(texts))]
            piece = cut(text, rng, low, high)
            if piece is not None:
                piece = fits(piece, page)
                if piece is not None:
                    yield piece

    def add(text, original, family, bucket, kind):
        cases.append((str(len(cases)), text, original, family, bucket, kind))

    for bucket, low, high in BUCKETS:
        source = pieces(low, high, None)
        for _ in range(per_cell):
            piece = next(source)
            add(piece, piece, "-", bucket, "correct")
        for name, damage, _ in FAMILIES:
            source = pieces(low, high, page_of(name))
            for _ in range(per_cell):
                piece = next(source)
                add(damage(piece), piece, name, bucket, "family")
    for name, damage, through_utf8 in [("-", lambda s: s, True)] + FAMILIES:
        source = pieces(60, 400, page_of(name))
        for _ in range(per_cell):
            piece = mixed(next(source), rng, english_words, through_utf8)
            add(damage(piece), piece, name, "60-400", "mixed")
    for name, damage, _ in FAMILIES:
        outer = pieces(60, 400, None)
        inner = pieces(20, 60, page_of(name))
        for _ in range(per_cell):
            text = next(outer).split(" ")
            quote = " ".join(next(inner).split(" ")[:rng.randint(1, 4)])
            at = rng.randint(0, len(text))
            left = " ".join(text[:at] + ["«"])
            right = " ".join(["»"] + text[at:])
            add(f"{left}{damage(quote)}{right}", f"{left}{quote}{right}", name, "60-400",
                "partial")
    return cases


def escape(text):
    return (text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")
            .replace("\r", "\\r"))


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "t": "\t", "r": "\r"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def judge(cases, answers):
    """Cells keyed by (kind, family, bucket): cases, right, none, repaired, alone, worse."""
    cells = {}
    for case_id, text, original, family, bucket, kind in cases:
        verdict, action, result = answers[case_id]
        cell = cells.setdefault((kind, family, bucket),
                                {"cases": 0, "right": 0, "none": 0, "repaired": 0, "alone": 0,
                                 "worse": 0, "misses": []})
        cell["cases"] += 1
        cell["none"] += verdict == "none"
        written = text if verdict in ("none", "unchanged") else result
        if kind == "partial":
            if written == original:
                cell["repaired"] += 1
            elif written == text:
                cell["alone"] += 1
            else:
                cell["worse"] += 1
                cell["misses"].append((text, f"[{action.strip()}] {written}"))
            cell["right"] += written in (original, text)
        else:
            right = verdict != "none" and written == original
            cell["right"] += right
            if not right:
                cell["misses"].append((text, f"[{action.strip()}] {written}"
                                       if verdict != "none" else "<none>"))
    return cells
