"""Interface messages as programs' message catalogues hold them: with accelerator marks,
printf directives, placeholders, option columns and HTML tags.

decorate(text, seed) takes one message a line and gives the same messages with markup added
the way real catalogues carry it. A catalogue keeps one style throughout, so the text is cut
into runs of 40-200 messages, each with its own accelerator mark and placeholder family:

  accelerators  _ (GTK), & (Qt, KDE, Windows), ~ (LibreOffice): one per short message (menu
                items, buttons) in a quarter of them, in an eighth of the longer ones; before the
                first letter of a word or inside it ("_Файл", "Отпра&вленные", "Е~щё")
  directives    C printf: %s %d %lu %zu %ld %5d %.2f %1$s %2$d, often quoted ("«%s»", "'%s'",
                "%s:"); Python: %(name)s {0} {name}; Qt: %1 %2; shell and make: $NAME ${NAME}
                $(ARG); Fluent: { $name }; in a fifth of the messages
  options       a command-line option column before the text ("  -a, --all      ",
                "  -o, --output=ФАЙЛ  "), in one message of twenty
  tags          <b>...</b>, <i>...</i>, <a href="...">...</a> or a trailing <br/>, one in thirty

The same text and seed always give the same result (random.Random(seed)). Lines without a
Cyrillic letter are left as they are, and a message that has an accelerator gets no other.
"""
import random
import re

CYRILLIC_WORD = re.compile(r"[А-Яа-яЁё]+")
HAS_ACCELERATOR = re.compile(r"[_&~][А-Яа-яЁё]")
ACCELERATORS = ["_", "&", "~"]
ACCELERATOR_WEIGHTS = [0.45, 0.35, 0.2]
DIRECTIVES = {
    "c": ["%s", "%s", "%s", "%d", "%d", "%lu", "%zu", "%ld", "%5d", "%.2f", "%1$s", "%2$s",
          "%2$d", "%i", "%u", "%x"],
    "python": ["%(name)s", "%(count)d", "{0}", "{1}", "{name}", "{}"],
    "qt": ["%1", "%2", "%3", "%n"],
    "shell": ["$NAME", "${FILE}", "$(ARG)", "$1", "$HOME"],
    "fluent": ["{ $name }", "{ $count }", "{ -brand-short-name }", "{ $url }"],
}
QUOTES = [("", ""), ("", ""), ("«", "»"), ("'", "'"), ("\"", "\""), ("", ":"), ("(", ")")]
OPTIONS = ["-a, --all", "-v, --verbose", "    --help", "    --version", "-o, --output=ФАЙЛ",
           "-n ЧИСЛО", "-f, --force", "-q, --quiet", "-C, --directory=КАТАЛОГ",
           "    --color[=КОГДА]", "-h, --help", "-r, -R, --recursive", "-s, --size=РАЗМЕР"]
TAGS = [("<b>", "</b>"), ("<i>", "</i>"), ("<a href=\"https://example.org/\">", "</a>"),
        ("<span>", "</span>")]


def _accelerate(line, rng, mark):
    words = list(CYRILLIC_WORD.finditer(line))
    word = words[0] if rng.random() < 0.6 else rng.choice(words)
    k = 0 if rng.random() < 0.4 or len(word.group()) < 2 else rng.randrange(1, len(word.group()))
    at = word.start() + k
    return line[:at] + mark + line[at:]


def _directive(line, rng, family):
    opening, closing = rng.choice(QUOTES)
    directive = opening + rng.choice(DIRECTIVES[family]) + closing
    # Not inside a placeholder the message already has ("{ $name }").
    spaces = [m.start() for m in re.finditer(" ", line)
              if line.count("{", 0, m.start()) == line.count("}", 0, m.start())]
    if not spaces or rng.random() < 0.3:
        return line + " " + directive if rng.random() < 0.5 else directive + " " + line
    at = rng.choice(spaces)
    return line[:at] + " " + directive + line[at:]


def _option(line, rng):
    option = rng.choice(OPTIONS)
    return "  " + option + " " * max(2, 24 - len(option) - 2) + line


def _tag(line, rng):
    if rng.random() < 0.25:
        return line + "<br/>"
    opening, closing = rng.choice(TAGS)
    words = line.split(" ")
    filled = [k for k, word in enumerate(words) if CYRILLIC_WORD.search(word)]
    if len(words) > 2 and rng.random() < 0.5:
        k = rng.choice(filled)
        words[k] = opening + words[k] + closing
        return " ".join(words)
    return opening + line + closing


def decorate(text, seed=20261209):
    rng = random.Random(seed)
    out = []
    left = 0
    for line in text.split("\n"):
        if left == 0:
            left = rng.randint(40, 200)
            mark = rng.choices(ACCELERATORS, ACCELERATOR_WEIGHTS)[0]
            family = rng.choices(list(DIRECTIVES), [0.5, 0.15, 0.1, 0.1, 0.15])[0]
        left -= 1
        if not CYRILLIC_WORD.search(line):
            out.append(line)
            continue
        marked = HAS_ACCELERATOR.search(line)
        if rng.random() < (0.25 if len(line) <= 40 else 0.125) and not marked:
            line = _accelerate(line, rng, mark)
        if rng.random() < 0.2:
            line = _directive(line, rng, family)
        if rng.random() < 0.05:
            line = _option(line, rng)
        if rng.random() < 1 / 30:
            line = _tag(line, rng)
        out.append(line)
    return "\n".join(out)
