"""The Python module against vorlex-cli on the same inputs, str input, bad arguments, threads."""
import codecs
import json
import os
import subprocess
from concurrent.futures import ThreadPoolExecutor

import pytest
import vorlex

CLI = os.environ["VORLEX_CLI"]

RUSSIAN = (
    "Вчера вечером мы долго гуляли по набережной, а потом зашли в маленькое кафе. "
    "Официант принёс нам горячий чай с лимоном и свежие пирожки с капустой.\n"
    "Ёжик в тумане - старый мультфильм, который знают почти все.\n"
)
ENGLISH = b"The quick brown fox jumps over the lazy dog, twice a day.\n"

# The same Russian text stored in each encoding, read as Windows-1251 bytes.
INPUTS = {
    "koi8": RUSSIAN.encode("koi8_r"),
    "dos": RUSSIAN.encode("cp866"),
    "iso": RUSSIAN.encode("iso8859_5"),
    "mac": RUSSIAN.encode("mac_cyrillic"),
    "win": RUSSIAN.encode("cp1251"),
    "koi8-short": "Привет, мир".encode("koi8_r"),
    "english": ENGLISH,
    "empty": b"",
}


# Undefined bytes of Windows-1251 and 1252 show as the C1 control of the same number.
codecs.register_error("c1", lambda e: (e.object[e.start:e.end].decode("latin-1"), e.end))
SHORT = "Сегодня хорошая погода, и мы пойдём гулять в парк на весь день."
MIXED = "Пишите на mail@example.org, " + SHORT
# Russian text damaged on its way through Unicode, as it arrives: str.
UNICODE_INPUTS = {
    "utf8-as-win": SHORT.encode("utf-8").decode("cp1251", "c1"),
    "utf8-as-koi8": SHORT.encode("utf-8").decode("koi8_r"),
    "win-as-1252": SHORT.encode("cp1251").decode("cp1252", "c1"),
    "utf8-twice": SHORT.encode("utf-8").decode("cp1251", "c1").encode("utf-8").decode("cp1251",
                                                                                     "c1"),
    "koi8-as-win": SHORT.encode("koi8_r").decode("cp1251", "c1"),
    "mixed": MIXED.encode("utf-8").decode("cp1251", "c1"),
    "russian": RUSSIAN,
}


def cli(*args, data):
    env = dict(os.environ, VORLEX_SETTINGS=os.environ["VORLEX_SETTINGS"])
    return subprocess.run([CLI, *args], input=data, capture_output=True, env=env)


@pytest.mark.parametrize("name", INPUTS)
def test_repair_and_candidates_equal_the_cli(name):
    data = INPUTS[name]
    repair = vorlex.repair(data)
    best = cli("auto", "--best", "--max", "20", data=data)
    if repair.verdict == "none":
        assert best.returncode == 1 and best.stdout == b""
        assert repair.data == data and repair.action == ""
    else:
        assert best.returncode == 0, best.stderr
        assert repair.data == best.stdout
    assert repair.text == repair.data.decode("cp1251")
    if name in ("koi8", "dos", "iso", "mac"):  # Mac Cyrillic through the built-in schemes
        assert repair.text == RUSSIAN

    listing = cli("auto", "--refined", "--json", "--max", "20", data=data)
    assert listing.returncode == 0, listing.stderr
    expected = json.loads(listing.stdout)
    found = vorlex.candidates(data)
    assert repair.verdict == expected["verdict"]
    assert [(c.action, c.label, c.confidence, c.plausibility) for c in found] == [
        (v["action"], v["label"], v["confidence"], v["plausibility"]) for v in expected["variants"]
    ]
    if found and repair.verdict != "none":
        chosen = next(c for c in found if c.action == repair.action)
        assert (repair.confidence, repair.plausibility) == (chosen.confidence, chosen.plausibility)


def test_known_answers():
    assert vorlex.repair(INPUTS["koi8"]).text == RUSSIAN
    assert (vorlex.repair(INPUTS["koi8"]).verdict, vorlex.repair(INPUTS["koi8"]).action) == (
        "repair",
        "kw ",
    )
    assert vorlex.repair(INPUTS["win"]).verdict == "unchanged"
    assert vorlex.repair(ENGLISH).verdict == "none"
    assert len(vorlex.candidates(INPUTS["koi8"], limit=3)) == 3
    assert vorlex.FILTERS["kw"] == "Koi->Win" and len(vorlex.FILTERS) == 16


@pytest.mark.parametrize(
    "action, options",
    [("kw", {}), ("wk kw ", {}), ("wl", {"separate_english": True}), ("lw", {"w_as_ve": True}),
     ("lw", {"no_sj": True})],
)
def test_recode_equals_the_cli(action, options):
    data = INPUTS["koi8"] + ENGLISH if action != "lw" else b"Shchuka i sjomga, wolk\n"
    flags = [f"--{name.replace('_', '-')}" for name in options]
    expected = cli("recode", "--action", action, *flags, data=data)
    assert expected.returncode == 0, expected.stderr
    assert vorlex.recode(data, action, **options) == expected.stdout


@pytest.mark.parametrize("name", UNICODE_INPUTS)
def test_unicode_input_equals_the_cli(name):
    text = UNICODE_INPUTS[name]
    data = text.encode("utf-8")
    repair = vorlex.repair(text)
    best = cli("auto", "--best", "--max", "20", data=data)
    assert best.returncode == 0, best.stderr
    assert repair.text == best.stdout.decode("utf-8") and repair.data == best.stdout
    assert repair.text == {"mixed": MIXED, "russian": RUSSIAN}.get(name, SHORT)
    assert repair.verdict == ("repair" if name != "russian" else "unchanged")
    listing = cli("auto", "--refined", "--json", "--max", "20", data=data)
    expected = json.loads(listing.stdout)
    assert expected["input"] == "unicode"
    assert [(c.action, c.label, c.confidence, c.plausibility) for c in vorlex.candidates(text)] == [
        (v["action"], v["label"], v["confidence"], v["plausibility"]) for v in expected["variants"]
    ]
    # UTF-8 bytes marked as Unicode (or found to be) read as the str; the action replays.
    for mode in ("unicode", "detect"):
        same = vorlex.repair(data, input=mode)
        assert (same.text, same.action, same.confidence) == (repair.text, repair.action,
                                                             repair.confidence)
    assert vorlex.repair(b"\xef\xbb\xbf" + data, input="unicode").text == repair.text
    if repair.action:
        assert vorlex.recode(data, repair.action) == repair.data


def test_detect_reads_8bit_bytes_as_bytes_and_str_as_windows_1251_on_request():
    detected = vorlex.repair(INPUTS["koi8"], input="detect")
    assert (detected.action, detected.data) == ("kw ", RUSSIAN.encode("cp1251"))
    mojibake = INPUTS["koi8"].decode("cp1251")
    assert vorlex.repair(mojibake, input="bytes").data == RUSSIAN.encode("cp1251")
    assert vorlex.repair("\ufeff" + mojibake, input="bytes").text == RUSSIAN
    assert [c.action for c in vorlex.candidates(mojibake, input="bytes")] == [
        c.action for c in vorlex.candidates(INPUTS["koi8"])
    ]
    with pytest.raises(ValueError, match=r"U\+4E2D at index 3 has no Windows-1251 byte"):
        vorlex.repair("abc中", input="bytes")
    with pytest.raises(UnicodeEncodeError):
        vorlex.repair("\ud800")


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: vorlex.repair(42), TypeError, "repair\\(\\) takes bytes or str, not int"),
        (lambda: vorlex.repair(bytearray(b"x")), TypeError, "not bytearray"),
        (lambda: vorlex.candidates(b"x", limit=0), ValueError, "limit must be from 1 to 99"),
        (lambda: vorlex.candidates(b"x", limit=100), ValueError, "not 100"),
        (lambda: vorlex.recode("text", "kw"), TypeError, "recode\\(\\) takes bytes, not str"),
        (lambda: vorlex.recode(b"x", b"kw"), TypeError, "action as str, not bytes"),
        (lambda: vorlex.recode(b"x", "kw xx"), ValueError, 'action "kw xx" is no chain'),
        (lambda: vorlex.recode(b"x", "kw  wk"), ValueError, "filter codes are: lw wl"),
        (lambda: vorlex.recode(b"x", ""), ValueError, "is no chain"),
        (lambda: vorlex.recode(b"x", "kw kw kw kw kw kw"), ValueError, "one to five"),
        (lambda: vorlex.recode(b"x", "kw\0"), ValueError, "NUL"),
        (lambda: vorlex.recode(b"x", "kw", True), TypeError, "incompatible function arguments"),
        (lambda: vorlex.repair("x", input="utf8"), ValueError, "'bytes', 'unicode' or 'detect'"),
        (lambda: vorlex.candidates(b"x", input=1), TypeError, "input as str, not int"),
        (lambda: vorlex.repair(b"ab\xd0", input="unicode"), ValueError, "UTF-8 \\(byte 2\\)"),
        (lambda: vorlex.recode(b"\xd0", "uw"), ValueError, "not valid UTF-8 \\(byte 0\\)"),
        (lambda: vorlex.recode(b"ab\xcf", "8u"), ValueError, "UTF-8 \\(byte 2\\)"),
        (lambda: vorlex.recode("Ж".encode(), "uw 8u"), ValueError, "a step of the action"),
        (lambda: vorlex.recode("中".encode(), "uw kw"), ValueError, "view lacks"),
        (lambda: vorlex.recode(b"x", "kw uw"), ValueError, "Unicode steps are: uw"),
    ],
)
def test_bad_arguments(call, error, message):
    with pytest.raises(error, match=message):
        call()


def test_eight_threads_answer_as_one():
    def answers(_):
        return [
            (r.data, r.verdict, r.action, r.confidence, r.plausibility)
            for r in map(vorlex.repair, INPUTS.values())
        ] + [[c.action for c in vorlex.candidates(d)] for d in INPUTS.values()] + [
            (r.text, r.action) for r in map(vorlex.repair, UNICODE_INPUTS.values())
        ]

    alone = answers(0)
    with ThreadPoolExecutor(8) as pool:
        assert list(pool.map(answers, range(16))) == [alone] * 16
