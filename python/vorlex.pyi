"""Repairs Russian text stored in the wrong Cyrillic 8-bit encoding or damaged through Unicode."""

from typing import Literal

__version__: str
FILTERS: dict[str, str]
"""Filter code -> display name ("kw" -> "Koi->Win"), in the order codes are parsed."""

class Repair:
    """The repair of a whole text."""

    @property
    def text(self) -> str: ...
    @property
    def data(self) -> bytes: ...
    @property
    def verdict(self) -> str: ...
    @property
    def action(self) -> str: ...
    @property
    def confidence(self) -> float: ...
    @property
    def plausibility(self) -> float: ...

class Candidate:
    """One reading of a text."""

    @property
    def action(self) -> str: ...
    @property
    def label(self) -> str: ...
    @property
    def score(self) -> float: ...
    @property
    def confidence(self) -> float: ...
    @property
    def plausibility(self) -> float: ...

Input = Literal["bytes", "unicode", "detect"]

def repair(data: bytes | str, *, input: Input | None = None) -> Repair:
    """Repairs the whole text with its most plausible Russian reading.

    input: 'bytes' (the default for bytes) reads 8-bit bytes as stored; a str is converted to
    Windows-1251 first (a character without a Windows-1251 byte raises ValueError).
    'unicode' (the default for str; bytes are UTF-8) reads Unicode text, which may also have
    been damaged on its way through Unicode ('РџСЂРёРІРµС‚'); the result is Unicode (`data` in
    UTF-8) and `action` starts with Unicode steps ('uw 8u '). 'detect': Unicode when the
    bytes are valid UTF-8 above ASCII, bytes otherwise, as vorlex-cli reads a file.
    """

def candidates(
    data: bytes | str, limit: int = 20, *, input: Input | None = None
) -> list[Candidate]:
    """The readings of the text, best first, at most `limit` (1..99); `input` as for repair."""

def recode(
    data: bytes,
    action: str,
    *,
    w_as_ve: bool = False,
    no_sj: bool = False,
    separate_english: bool = False,
) -> bytes:
    """Recodes the bytes through a chain of filter codes ("kw", "kw wl").

    An action that starts with Unicode steps ("uw 8u ") takes the bytes as UTF-8 text unless
    its first step is 8u, and gives UTF-8 unless it made bytes from bytes.
    """
