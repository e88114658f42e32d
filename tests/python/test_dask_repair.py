"""examples/dask_repair.py over a few hundred files on two local worker processes."""
import json
import os
import subprocess
import sys

import vorlex

EXAMPLE = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "dask_repair.py")
WORDS = ("вчера вечером мы долго гуляли по набережной а потом зашли в маленькое кафе где "
         "официант принёс горячий чай с лимоном и свежие пирожки с капустой").split()
ENCODINGS = ("koi8_r", "cp866", "iso8859_5", "mac_cyrillic", "cp1251")


def test_every_file_repaired_and_reported(tmp_path):
    source, out = tmp_path / "in", tmp_path / "out"
    expected = {}
    for i in range(300):
        text = " ".join(WORDS[(i + k * 7) % len(WORDS)] for k in range(12 + i % 30)) + ".\n"
        data = text.encode(ENCODINGS[i % len(ENCODINGS)]) if i % 50 else b"plain English text\n"
        relative = os.path.join(f"part{i % 4}", f"{i:03}.txt")
        (source / relative).parent.mkdir(parents=True, exist_ok=True)
        (source / relative).write_bytes(data)
        expected[relative] = vorlex.repair(data)

    run = subprocess.run([sys.executable, EXAMPLE, str(source), str(out), "--workers", "2"],
                         capture_output=True, text=True)
    report = {line["file"]: line for line in map(json.loads, (out / "report.jsonl").open())}
    assert run.returncode == 0, run.stderr
    assert list(report) == sorted(expected)  # in the order of the files
    for relative, repair in expected.items():
        line = report[relative]
        assert (line["verdict"], line["action"], line["error"]) == (repair.verdict, repair.action,
                                                                    None)
        if repair.verdict == "none":
            assert line["output"] is None and not (out / relative).exists()
        else:
            assert (out / relative).read_bytes() == repair.data
    assert sum(line["verdict"] == "none" for line in report.values()) == 6
