"""The converter's batch, from Python."""

import os
from dataclasses import dataclass, field

from . import _orvantis
from ._orvantis import Error


@dataclass(frozen=True)
class FileResult:
    """How one data file of a batch ended."""

    path: str
    outcome: str  # "converted", "failed", "skipped" or "not reached"
    output: str  # the output written, "" when none
    spectra: int
    messages: list = field(default_factory=list)  # the converter's error and warning lines

    @property
    def converted(self):
        return self.outcome == "converted"


class ConversionError(Error):
    """Some files of a batch were not converted; `results` tells each file's end."""

    def __init__(self, message, results):
        super().__init__(message)
        self.results = results


def convert(paths, level=4, form="rows", jobs=None, cal=None, cal_any_serial=False, ignore_immersion=False,
            delimiter=",", raise_on_failure=True):
    """Convert data files and folders as the converter does; one FileResult per file.

    paths: a file or folder, or a list of them (a folder stands for every
    data file under it). level: 0 raw to 4 full calibration. form: "rows"
    (delimited text, a row per spectrum), "columns" (transposed), "binary"
    or "netcdf". jobs: files converted at once (None: one per core). cal: a
    calibration file for every file instead of the associated ones.

    When a file is not converted, ConversionError (an orvantis.Error) is
    raised with the converter's summary, unless raise_on_failure is False.
    """
    if isinstance(paths, (str, os.PathLike)):
        paths = [paths]
    jobs = (os.cpu_count() or 1) if jobs is None else int(jobs)
    files, summary = _orvantis.convert([os.fspath(p) for p in paths], int(level), form, jobs,
                                       None if cal is None else os.fspath(cal), bool(cal_any_serial),
                                       bool(ignore_immersion), delimiter)
    results = [FileResult(*f) for f in files]
    if raise_on_failure and not all(r.converted for r in results):
        raise ConversionError(summary.rstrip("\n"), results)
    return results
