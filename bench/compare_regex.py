#!/usr/bin/env python3
"""Compares reading result pages with RegexObject against Python's re module.

Runs the Google Benchmark binary (JSON output) and Python's re with re.IGNORECASE over the
same generated pages (the binary writes them), then prints one table: MB/s for each, their
ratio, and the time for a page whose layout changed. Both sides are timed in CPU time of the
process, so other load on the machine disturbs the comparison less.

Usage: bench/compare_regex.py [--bench BUILD_DIR/bench/regex_object_bench]
"""

import argparse
import json
import multiprocessing
import os
import re
import subprocess
import sys
import tempfile
import time

RESULT_PATTERN = (
    r'<h3><a title="(.*?)"  href="/wiki[\s\S]*?<!--<a href="(.*?)&amp;dn=[\s\S]*?'
    r'Magnet Link</a> <a href="(.*?)" class="download">Thunder Link</a>'
)
PAGES = [
    ("page_100.html", "BM_ResultPage/100"),
    ("page_1000.html", "BM_ResultPage/1000"),
    ("page_10000.html", "BM_ResultPage/10000"),
]
CHANGED_PAGE = ("page_changed_1000.html", "BM_ChangedLayoutPage/1000")
PYTHON_CHANGED_TIMEOUT = 10.0


def read_page_with_re(page_bytes):
    """The same work as the benchmark: decode, match, and every group back to code page 936."""
    text = page_bytes.decode("gbk", errors="replace")
    hits = 0
    for match in re.finditer(RESULT_PATTERN, text, re.IGNORECASE):
        for group in (1, 2, 3):
            match.group(group).encode("gbk", errors="replace")
        hits += 1
    return hits


def time_python(page_bytes, min_seconds=1.0):
    """Best time of repeated runs, in seconds, and the number of hits."""
    hits = read_page_with_re(page_bytes)
    best = float("inf")
    spent = 0.0
    runs = 0
    while spent < min_seconds or runs < 3:
        start = time.process_time()
        read_page_with_re(page_bytes)
        elapsed = time.process_time() - start
        best = min(best, elapsed)
        spent += elapsed
        runs += 1
    return best, hits


def _changed_worker(page_bytes, queue):
    start = time.process_time()
    read_page_with_re(page_bytes)
    queue.put(time.process_time() - start)


def time_python_bounded(page_bytes, timeout):
    """One run in a child process; None when it does not finish within `timeout` seconds."""
    queue = multiprocessing.Queue()
    worker = multiprocessing.Process(target=_changed_worker, args=(page_bytes, queue))
    worker.start()
    worker.join(timeout)
    if worker.is_alive():
        worker.terminate()
        worker.join()
        return None
    return queue.get()


def run_benchmark(binary, page_dir):
    subprocess.run([binary, "--write_pages=" + page_dir], check=True)
    result = subprocess.run(
        [binary, "--benchmark_format=json", "--benchmark_min_time=1"],
        check=True,
        capture_output=True,
        text=True,
    )
    report = json.loads(result.stdout)
    return {entry["name"]: entry for entry in report["benchmarks"]}


def seconds(entry):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[entry["time_unit"]]
    return entry["cpu_time"] * scale


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_binary = os.path.join(here, "..", "build", "bench", "regex_object_bench")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bench", default=default_binary, help="path of regex_object_bench")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="quillmere-pages-") as page_dir:
        ours = run_benchmark(args.bench, page_dir)
        rows = []
        for file_name, bench_name in PAGES:
            with open(os.path.join(page_dir, file_name), "rb") as page_file:
                page = page_file.read()
            entry = ours[bench_name]
            ours_mbs = len(page) / seconds(entry) / 1e6
            python_seconds, python_hits = time_python(page)
            python_mbs = len(page) / python_seconds / 1e6
            rows.append((file_name, len(page), int(entry["hits"]), python_hits, ours_mbs,
                         python_mbs))
        with open(os.path.join(page_dir, CHANGED_PAGE[0]), "rb") as page_file:
            changed_page = page_file.read()
        changed_ours = seconds(ours[CHANGED_PAGE[1]])
        changed_python = time_python_bounded(changed_page, PYTHON_CHANGED_TIMEOUT)

    print(f"{'page':<24}{'MB':>8}{'hits':>8}{'re hits':>9}{'ours MB/s':>11}"
          f"{'re MB/s':>10}{'ratio':>8}")
    for name, size, hits, python_hits, ours_mbs, python_mbs in rows:
        print(f"{name:<24}{size / 1e6:>8.2f}{hits:>8}{python_hits:>9}{ours_mbs:>11.1f}"
              f"{python_mbs:>10.1f}{ours_mbs / python_mbs:>7.1f}x")
    python_text = (f">{PYTHON_CHANGED_TIMEOUT:.0f} s (stopped)" if changed_python is None
                   else f"{changed_python * 1e3:.1f} ms")
    print(f"{CHANGED_PAGE[0]:<24}{len(changed_page) / 1e6:>8.2f}  ours {changed_ours * 1e3:.1f} ms,"
          f" re {python_text}")

    _, _, _, _, big_ours, big_python = rows[-1]
    ok = big_ours >= 300 and big_ours >= 3 * big_python and changed_ours < 0.050
    print("targets (10,000 hits >= 300 MB/s and >= 3x re; changed layout < 50 ms):",
          "met" if ok else "MISSED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
