"""Russian text by genre from installed Debian packages, for the detection tables and their
evaluation.

Model sources (scripts/build_bigram_table.py):
  man   manpages-ru (GPL-3+): manual pages
  help  libreoffice-help-ru (MPL-2.0), gimp-help-ru (GFDL-1.2+), kicad-doc-ru (GPL-3+):
        help pages, documentation prose
  ui    libreoffice-l10n-ru, firefox-esr-l10n-ru and thunderbird-l10n-ru (MPL-2.0):
        interface messages
Word forms: aspell-ru (A. I. Lebedev's Russian dictionary, a BSD-style licence; see
/usr/share/doc/aspell-ru/copyright), expanded with `aspell expand`.

Development only, never in a table (a genre the tables have not seen, for tuning that must
carry over to other genres):
  fmhelp    doublecmd-help-ru (GPL-2+): the help of a file manager
  aptdoc    aptitude-doc-ru (GPL-2+): the manual of a package manager, with its commands,
            options, paths and package names among the prose
  thesaurus mythes-ru (LGPL-2.1): the entries of a thesaurus as lines of a headword and its
            synonyms, the general vocabulary (literary, spoken, dated words) of no manual
  uimarked  the held-out half of ui with the markup of message catalogues added by
            scripts/catalogue_markup.py (scripts/evaluate_ranking.py makes it)

Evaluation only, never used for a table or its tuning:
  doc       debian-faq-ru, maint-guide-ru, developers-reference-ru
  prose     fortunes-ru (quotations, jokes, verse)
  messages  the Russian message catalogues of other installed packages
            (/usr/share/locale/ru/LC_MESSAGES/*.mo)
"""
import glob
import gzip
import html.parser
import os
import re
import struct
import zipfile
import zlib

MODEL_PACKAGES = ["manpages-ru", "libreoffice-help-ru", "gimp-help-ru", "kicad-doc-ru",
                  "libreoffice-l10n-ru", "firefox-esr-l10n-ru", "thunderbird-l10n-ru",
                  "aspell-ru", "aspell"]
DEVELOPMENT_PACKAGES = ["doublecmd-help-ru", "aptitude-doc-ru", "mythes-ru"]
EVALUATION_PACKAGES = ["debian-faq-ru", "maint-guide-ru", "developers-reference-ru",
                       "fortunes-ru"]


class TextOnly(html.parser.HTMLParser):
    BREAKS = ("p", "div", "br", "li", "tr", "td", "th", "h1", "h2", "h3", "h4", "h5", "pre",
              "dt", "dd", "title", "table", "ul", "ol")

    def __init__(self):
        super().__init__()
        self.parts = []
        self.skip = 0

    def handle_starttag(self, tag, attrs):
        if tag in ("script", "style"):
            self.skip += 1
        elif tag in self.BREAKS:
            self.parts.append("\n")

    def handle_endtag(self, tag):
        if tag in ("script", "style") and self.skip:
            self.skip -= 1
        elif tag in self.BREAKS:
            self.parts.append("\n")

    def handle_data(self, data):
        if not self.skip:
            self.parts.append(data)


def html_text(raw):
    parser = TextOnly()
    parser.feed(raw)
    return "".join(parser.parts)


def read_maybe_gzip(path):
    raw = gzip.open(path).read() if path.endswith(".gz") else open(path, "rb").read()
    return raw.decode("utf-8", errors="ignore")


ROFF_ESCAPE = re.compile(r"\\(f[BIRP]|f\(..|f\[[^\]]*\]|s[-+]?\d|\(..|\[[^\]]*\]|[-&e|^ c])")


def strip_roff(text):
    lines = []
    for line in text.splitlines():
        if line.startswith(('.\\"', "'\\\"")):
            continue
        if line.startswith((".", "'")):
            parts = line.split(None, 1)
            line = parts[1] if len(parts) > 1 else ""
        lines.append(ROFF_ESCAPE.sub(" ", line))
    return "\n".join(lines)


def mo_messages(raw):
    """The translated strings of a GNU .mo catalogue."""
    if len(raw) < 28:
        return []
    magic = struct.unpack("<I", raw[:4])[0]
    order = "<" if magic == 0x950412DE else ">"
    _, count, _, translations = struct.unpack(order + "4I", raw[4:20])
    out = []
    for i in range(count):
        length, offset = struct.unpack(order + "2I", raw[translations + 8 * i:translations + 8 * i + 8])
        for message in raw[offset:offset + length].split(b"\0"):
            out.append(message.decode("utf-8", errors="ignore"))
    return out[1:]  # the first is the catalogue header


FTL_VALUE = re.compile(r"^\s*[-\w.]+\s*=\s*(.*)$|^\s+(\S.*)$")


def langpack_messages(path):
    out = []
    with zipfile.ZipFile(path) as pack:
        for name in sorted(pack.namelist()):
            if not name.endswith((".ftl", ".properties", ".dtd")):
                continue
            for line in pack.read(name).decode("utf-8", errors="ignore").splitlines():
                if line.lstrip().startswith(("#", "[")):
                    continue
                m = FTL_VALUE.match(line)
                value = m and (m.group(1) or m.group(2))
                if value:
                    out.append(value)
    return out


def thesaurus_text(raw):
    """MyThes entries ("word|2", then a line per sense: "(синоним)|a|b") as lines of text:
    "word: a, b; c"."""
    lines, head, senses = [], None, []
    for line in raw.splitlines()[1:]:  # the first line names the encoding
        fields = line.split("|")
        if len(fields) == 2 and fields[1].isdigit():
            if head and senses:
                lines.append(head + ": " + "; ".join(senses))
            head, senses = fields[0], []
        elif head and len(fields) > 1:
            senses.append(", ".join(f for f in fields[1:] if f))
    if head and senses:
        lines.append(head + ": " + "; ".join(senses))
    return "\n".join(lines)


def documents(genre):
    """(name, text) pairs of one genre."""
    if genre == "man":
        for path in sorted(glob.glob("/usr/share/man/ru/**/*", recursive=True)):
            if os.path.isfile(path):
                yield path, strip_roff(read_maybe_gzip(path))
    elif genre == "help":
        patterns = ["/usr/share/libreoffice/help/ru/**/*.html",
                    "/usr/share/gimp/2.0/help/ru/**/*.html",
                    "/usr/share/doc/kicad/help/ru/**/*.html"]
        for pattern in patterns:
            for path in sorted(glob.glob(pattern, recursive=True)):
                yield path, html_text(read_maybe_gzip(path))
    elif genre == "ui":
        for path in sorted(glob.glob("/usr/lib/libreoffice/program/resource/ru/LC_MESSAGES/*.mo")):
            yield path, "\n".join(mo_messages(open(path, "rb").read()))
        for path in sorted(glob.glob("/usr/lib/firefox-esr/browser/extensions/langpack-ru*.xpi") +
                           glob.glob("/usr/lib/thunderbird/extensions/langpack-ru*.xpi")):
            yield path, "\n".join(langpack_messages(path))
    elif genre == "fmhelp":
        for path in sorted(glob.glob("/usr/share/doublecmd/doc/ru/*.html")):
            yield path, html_text(read_maybe_gzip(path))
    elif genre == "aptdoc":
        for path in sorted(glob.glob("/usr/share/doc/aptitude/html/ru/*.html")):
            yield path, html_text(read_maybe_gzip(path))
    elif genre == "thesaurus":
        for path in sorted(glob.glob("/usr/share/mythes/th_ru_RU*.dat")):
            yield path, thesaurus_text(read_maybe_gzip(path))
    elif genre == "doc":
        patterns = ["/usr/share/doc/debian/FAQ/ru/*.html",
                    "/usr/share/doc/maint-guide-ru/html/*.html",
                    "/usr/share/developers-reference/ru/**/*.html"]
        for pattern in patterns:
            for path in sorted(glob.glob(pattern, recursive=True)):
                yield path, html_text(read_maybe_gzip(path))
    elif genre == "prose":
        for path in sorted(glob.glob("/usr/share/games/fortunes/ru/*")):
            if not path.endswith((".dat", ".u8")) and os.path.isfile(path):
                text = read_maybe_gzip(path)
                yield path, text.replace("\n%\n", "\n\n")
    elif genre == "messages":
        own = ("libreoffice", "firefox", "thunderbird")
        for path in sorted(glob.glob("/usr/share/locale/ru/LC_MESSAGES/*.mo")):
            if not os.path.basename(path).startswith(own):
                yield path, "\n".join(mo_messages(open(path, "rb").read()))
    else:
        raise ValueError(genre)


def held_out(name):
    """Half the model documents are kept out of the tables, for tuning."""
    return zlib.crc32(name.encode()) % 2 == 1


MODEL_GENRES = ["man", "help", "ui"]


def model_words(min_count=3, min_length=3):
    """Words of the model genres' table halves (never the held-out ones) seen at least
    min_count times, small letters, ё as е, split at hyphens: the terms of software and its
    manuals ("браузер", "сокет", "плагинов") that a general dictionary lacks."""
    counts = {}
    for genre in MODEL_GENRES:
        for name, text in documents(genre):
            if held_out(name):
                continue
            # A run of letters beside an accelerator mark or a Latin letter is a piece of a
            # word ("С~толбец"), not a word.
            for word in re.findall(r"(?<![\w~&])[а-яё]+(?![\w~&])", text.lower()):
                word = word.replace("ё", "е")
                counts[word] = counts.get(word, 0) + 1
    return {w for w, n in counts.items() if n >= min_count and len(w) >= min_length}


def word_forms():
    """The word forms of aspell-ru, small letters, ё as е."""
    import subprocess
    dump = subprocess.run(["aspell", "-l", "ru", "dump", "master"], check=True,
                          capture_output=True).stdout
    expanded = subprocess.run(["aspell", "-l", "ru", "expand"], input=dump, check=True,
                              capture_output=True).stdout.decode("utf-8")
    forms = set()
    for word in expanded.split():
        word = word.lower().replace("ё", "е")
        for part in word.split("-"):
            if part and all("а" <= ch <= "я" for ch in part):
                forms.add(part)
    return forms
