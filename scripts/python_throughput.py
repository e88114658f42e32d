#!/usr/bin/env python3
"""Repairs small KOI8-R texts (10,000 unless a count is given) with the Python module on one thread and prints the rate,
to set beside vorlex_bench_library's BM_RepairSmallTexts (the same texts from C).

    PYTHONPATH=build/python/site python3 scripts/python_throughput.py [COUNT]
"""
import sys
import time

import vorlex

PARAGRAPH = (
    "Вчера вечером мы долго гуляли по набережной, а потом зашли в маленькое кафе. Официант "
    "принёс нам горячий чай с лимоном и свежие пирожки с капустой. За соседним столиком "
    "спорили о футболе двое пожилых мужчин, а девушка у окна читала толстую книгу. Когда мы "
    "вышли, уже стемнело, и над рекой зажглись фонари. "
)


def small_texts(count):
    """As library_bench.cpp cuts them: from byte 37*i, 200 + (53*i mod 201) bytes, as KOI8-R."""
    win = PARAGRAPH.encode("cp1251") * 3
    period = len(win) // 3
    return [
        vorlex.recode(win[37 * i % period:][: 200 + 53 * i % 201], "wk") for i in range(count)
    ]


def main():
    texts = small_texts(int(sys.argv[1]) if len(sys.argv) > 1 else 10_000)
    vorlex.repair(texts[0])  # builds the dictionary
    start, start_cpu = time.perf_counter(), time.process_time()
    verdicts = [vorlex.repair(text).verdict for text in texts]
    elapsed, cpu = time.perf_counter() - start, time.process_time() - start_cpu
    # The processor time is what Google Benchmark's items_per_second counts.
    print(f"{len(texts)} texts in {elapsed:.2f} s ({cpu:.2f} s of processor time): "
          f"{len(texts) / cpu:.0f} texts per processor second, {cpu / len(texts) * 1e6:.0f} us "
          f"each; {verdicts.count('repair')} repaired")


if __name__ == "__main__":
    main()
