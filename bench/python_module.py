#!/usr/bin/python3
"""python_module.py BUILD_DIR [RUNS] [--write-readme]

Measures the Python package orvantis of BUILD_DIR against what a user would
do without it, prints a Markdown table of each figure, its goal and whether
it was met, and with --write-readme puts the table into bench/README.md
between its markers. Times are the median of RUNS runs (default 5) after one
warm-up, in this process; peak memory is measured in a fresh process each.
Run it with BUILD_DIR/python on PYTHONPATH (the cluster's workers inherit it).
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time
from datetime import datetime, timezone
from functools import partial
from pathlib import Path

import numpy
import pandas
import xarray

import orvantis

README = Path(__file__).resolve().parent / "README.md"
BEGIN_MARKER = "<!-- python table: written by bench/python_module.py -->"
END_MARKER = "<!-- end python table -->"
SERIAL = "BENCH01"
CASTS = 40

# Run in a fresh interpreter: the growth of peak resident memory while the
# code in OPEN runs, and the bytes of the spectra it read. Clearing the
# peak first makes the imports' own peak not count.
PEAK_PROBE = """
import sys, orvantis, xarray
def status(key):
    return int(next(l.split()[1] for l in open("/proc/self/status") if l.startswith(key)))
open("/proc/self/clear_refs", "w").write("5")
before = status("VmRSS:")
rec, cal = sys.argv[1], sys.argv[2]
{open}
print((status("VmHWM:") - before) * 1024, values.nbytes)
"""
EAGER_OPEN = """
ds = orvantis.open_dataset(rec, cal=cal).load()
values = next(v for v in ds.data_vars.values() if v.ndim == 2)
"""
LAZY_OPEN = """
ds = xarray.open_dataset(rec, engine="orvantis", cal=cal)
spectra = next(v for v in ds.data_vars.values() if v.ndim == 2)
values = spectra[1000].values
"""


def make_data(gen, work):
    """The calibration and recordings every measure uses, by name."""
    files = {"cal": work / "CAL256.CAL", "text": work / "TEXT.ASC", "raw": work / "RAW.BIN",
             "day": work / "DAY.ASC", "casts": [work / f"CAST{i:03d}.ASC" for i in range(1, CASTS + 1)]}
    subprocess.run([gen, "cal", files["cal"], SERIAL, "256"], check=True)
    recordings = [(files["text"], "text1", 20000), (files["raw"], "raw", 20000), (files["day"], "text1", 86400)]
    recordings += [(cast, "text1", 2000) for cast in files["casts"]]
    for path, layout, spectra in recordings:
        subprocess.run([gen, "data", path, SERIAL, "1", layout, str(spectra), "256"], check=True)
    return files


def header_lines(path):
    """How many lines come before the first data line of a text recording."""
    with open(path) as file:
        return next(i for i, line in enumerate(file) if re.match(r"[-.0-9]", line))


def median_seconds(action, runs):
    action()
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def peak_growth(open_code, rec, cal):
    """(peak memory growth, bytes of the spectra read) of a fresh process opening rec."""
    probe = subprocess.run([sys.executable, "-c", PEAK_PROBE.format(open=open_code), rec, cal],
                           capture_output=True, text=True)
    if probe.returncode != 0:
        raise RuntimeError(probe.stderr.strip().splitlines()[-1])
    growth, nbytes = map(int, probe.stdout.split())
    return growth, nbytes


def cluster_seconds(workers, files, runs):
    """Median time of open_mfdataset(...).load() of the casts on a local cluster of that many workers."""
    from dask.distributed import Client, LocalCluster
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster):
        return median_seconds(lambda: open_casts(files), runs)


def open_casts(files):
    """All the casts in one dataset, read by the cluster; refuses a dataset that lost spectra."""
    ds = xarray.open_mfdataset(files["casts"], engine="orvantis", cal=files["cal"], combine="nested",
                               concat_dim="time", parallel=True).load()
    if ds.sizes["time"] != CASTS * 2000:
        raise RuntimeError(f"open_mfdataset gave {ds.sizes['time']} spectra, not {CASTS * 2000}")
    return ds


def row(measure, data, ours, other, theirs, ratio, goal, met):
    return f"| {measure} | {data} | {ours} | {other} | {theirs} | {ratio} | {goal} | {'met' if met else 'not met'} |"


def speed_rows(files, runs):
    cal = files["cal"]
    text, raw = files["text"], files["raw"]
    skip = header_lines(text)
    ours = median_seconds(lambda: orvantis.open_dataset(text, cal=cal).load(), runs)
    theirs = median_seconds(lambda: pandas.read_csv(text, skiprows=skip, header=None), runs)
    yield row("text recording -> calibrated Dataset", "20000x256", f"{ours:.3f} s",
              "pandas `read_csv`, no calibration", f"{theirs:.3f} s", f"{theirs / ours:.2f}x faster",
              ">= 10x faster", theirs / ours >= 10)
    ours = median_seconds(lambda: orvantis.open_dataset(raw, cal=cal).load(), runs)
    theirs = median_seconds(lambda: numpy.fromfile(raw, dtype=numpy.uint8), runs)
    yield row("binary raw recording -> calibrated Dataset", "20000x256", f"{ours:.3f} s",
              "`numpy.fromfile` of its bytes", f"{theirs:.3f} s", f"{ours / theirs:.2f}x its time",
              "<= 2x", ours / theirs <= 2)


def memory_rows(files):
    for name, kind in (("text", "text"), ("raw", "binary raw")):
        growth, nbytes = peak_growth(EAGER_OPEN, files[name], files["cal"])
        yield row(f"peak memory, {kind} recording -> Dataset", "20000x256", f"{growth / 2**20:.1f} MB",
                  "the spectra array", f"{nbytes / 2**20:.1f} MB", f"{growth / nbytes:.2f}x",
                  "<= 1.5x", growth <= 1.5 * nbytes)


def lazy_rows(files):
    growth, _ = peak_growth(LAZY_OPEN, files["day"], files["cal"])
    yield row("peak memory, engine open + one spectrum", "86400x256", f"{growth / 2**20:.1f} MB",
              "", "", "", "< 64 MB", growth < 64 * 2**20)


def cluster_rows(files, runs):
    two, one = cluster_seconds(2, files, runs), cluster_seconds(1, files, runs)
    yield row("`open_mfdataset(parallel=True)` + load, 2 workers", f"{CASTS} x 2000x256", f"{two:.3f} s",
              "1 worker", f"{one:.3f} s", f"{one / two:.2f}x faster", "> 1x faster", one > two)


def measured(name, measure):
    """The rows of a measure, or one row saying how it failed: a failure is a figure too."""
    try:
        return list(measure())
    except Exception as error:  # any failure of the package is reported, not hidden
        return [row(name, "", f"failed: {error}".replace("|", "/"), "", "", "", "", False)]


def table(build, files, runs):
    commit = subprocess.run(["git", "-C", build, "describe", "--always", "--dirty"],
                            capture_output=True, text=True).stdout.strip()
    lines = [f"Measured {datetime.now(timezone.utc):%Y-%m-%d} on {os.cpu_count()} processors, commit {commit},"
             f" median of {runs} runs after a warm-up; level 4 throughout.", "",
             "| Measure | Spectra x pixels | Orvantis | Compared with | Its figure | Ratio | Goal | |",
             "|---|---|---:|---|---:|---:|---|---|"]
    measures = {"recordings -> calibrated Datasets": partial(speed_rows, files, runs),
                "peak memory of the Datasets": partial(memory_rows, files),
                "peak memory, engine open + one spectrum": partial(lazy_rows, files),
                "`open_mfdataset(parallel=True)` + load": partial(cluster_rows, files, runs)}
    for name, measure in measures.items():
        lines += measured(name, measure)
    return "\n".join(lines)


def write_readme(text):
    """Replaces what lies between the markers of bench/README.md, adding them at the end when there are none."""
    readme = README.read_text()
    if BEGIN_MARKER not in readme:
        readme += f"\n{BEGIN_MARKER}\n{END_MARKER}\n"
    head, rest = readme.split(BEGIN_MARKER, 1)
    tail = rest.split(END_MARKER, 1)[1]
    staged = README.with_suffix(".md.new")
    staged.write_text(f"{head}{BEGIN_MARKER}\n{text}\n{END_MARKER}{tail}")
    os.replace(staged, README)


def main():
    args = [a for a in sys.argv[1:] if a != "--write-readme"]
    if not 1 <= len(args) <= 2:
        sys.exit(__doc__)
    build, runs = Path(args[0]).resolve(), int(args[1]) if len(args) > 1 else 5
    with tempfile.TemporaryDirectory() as work:
        os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")  # the user's own store stays untouched
        files = make_data(build / "bench" / "orvantis-gen", Path(work))
        text = table(build, files, runs)
    print(text)
    if "--write-readme" in sys.argv:
        write_readme(text)


if __name__ == "__main__":
    main()
