"""Repairs Russian text stored in the wrong Cyrillic 8-bit encoding."""

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

def repair(data: bytes | str) -> Repair:
    """Repairs the whole text with its most plausible Russian reading.

    A str is converted to Windows-1251 first; a character without a Windows-1251 byte raises
    ValueError.
    """

def candidates(data: bytes | str, limit: int = 20) -> list[Candidate]:
    """The readings of the text, best first, at most `limit` (1..99)."""

def recode(
    data: bytes,
    action: str,
    *,
    w_as_ve: bool = False,
    no_sj: bool = False,
    separate_english: bool = False,
) -> bytes:
    """Recodes the bytes through a chain of filter codes ("kw", "kw wl")."""
