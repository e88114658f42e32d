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

help_screens(text, seed) gives the same messages as the `--help` output of command-line
programs, the longest messages such catalogues hold: a usage line with the program's name
and its arguments, then an option column with Latin option names before each message
("  -o, --output-file=FILE   ..."), now and then a paragraph, an environment variable, a path
or a bug-report address, 3-14 lines a screen.
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


PROGRAMS = ["tar", "gzip", "sed", "grep", "apt-get", "dpkg-query", "make", "wget", "rsync",
            "find", "ls", "cp", "du", "sort", "diff", "patch", "gpg", "ssh-keygen", "xz", "curl"]
OPTION_WORDS = ["all", "verbose", "output", "file", "directory", "recursive", "force", "quiet",
                "config", "debug", "ignore", "case", "no", "dereference", "preserve", "target",
                "format", "time", "style", "color", "list", "keep", "dry", "run", "sort",
                "width", "block", "size", "exclude", "include", "from", "null", "zero",
                "terminated", "human", "readable", "max", "depth", "one", "line", "print",
                "update", "backup", "suffix", "mode", "level", "log", "user", "group"]
ARGUMENTS = ["ФАЙЛ", "КАТАЛОГ", "ЧИСЛО", "РАЗМЕР", "ШАБЛОН", "ФОРМАТ", "СПИСОК", "КОГДА",
             "FILE", "DIR", "NUM", "SIZE", "PATTERN", "FORMAT", "N", "LIST"]
USAGES = ["Использование: {p} [ПАРАМЕТР]… [ФАЙЛ]…", "Использование: {p} [КЛЮЧ]… ИСТОЧНИК НАЗНАЧЕНИЕ",
          "Использование: {p} [OPTION]… [FILE]…", "Использование: {p} [параметры] команда",
          "Использование: {p} [-hvV] [-o ФАЙЛ] [ФАЙЛ]…", "или:  {p} [ПАРАМЕТР]… -t КАТАЛОГ ФАЙЛ…"]
TRAILERS = ["Об ошибках сообщайте по адресу <bug-{p}@example.org>.",
            "Домашняя страница {p}: <https://www.example.org/software/{p}/>",
            "Подробную справку смотрите в «info {p}» или «man {p}».",
            "Переменная окружения {P}_OPTIONS задаёт параметры по умолчанию.",
            "Файл настройки: /etc/{p}/{p}.conf или ~/.{p}rc",
            "По команде «{p} --help» можно получить дополнительную информацию."]


def _option_name(rng):
    long_name = "-".join(rng.sample(OPTION_WORDS, rng.choice([1, 1, 2, 2, 3])))
    if rng.random() < 0.3:
        long_name += "=" + rng.choice(ARGUMENTS)
    elif rng.random() < 0.1:
        long_name += "[=" + rng.choice(ARGUMENTS) + "]"
    if rng.random() < 0.6:
        return f"-{rng.choice('abcdefhiklmnopqrstuvxzABCDEFHILNPRSTUVZ')}, --{long_name}"
    return f"    --{long_name}"


def help_screens(text, seed=20261210):
    rng = random.Random(seed)
    messages = [m for m in text.split("\n") if CYRILLIC_WORD.search(m)]
    screens = []
    k = 0
    while k < len(messages):
        program = rng.choice(PROGRAMS)
        lines = [rng.choice(USAGES).format(p=program)]
        for message in messages[k:k + rng.randint(3, 14)]:
            k += 1
            if rng.random() < 0.15:
                lines.append(message)
                continue
            message = message[:1].lower() + message[1:] if rng.random() < 0.7 else message
            option = _option_name(rng)
            lines.append("  " + option + " " * max(2, 30 - len(option) - 2) + message)
        if rng.random() < 0.5:
            lines.append(rng.choice(TRAILERS).format(p=program, P=program.upper()))
        screens.append("\n".join(lines))
    return "\n".join(screens)
