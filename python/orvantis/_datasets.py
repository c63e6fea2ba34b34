"""Recordings and outputs as xarray datasets."""

import os
import warnings

import numpy
import xarray
from xarray.backends import BackendArray
from xarray.core import indexing

from . import _orvantis

_RECORDING_EXTENSIONS = (".asc", ".bin")


class _SpectraArray(BackendArray):
    """The spectra of a recording, read and calibrated a stretch of rows at a time when indexed."""

    def __init__(self, reading, name, shape, dtype):
        self.reading = reading  # the recording's path and read_recording's options
        self.name = name
        self.shape = shape
        self.dtype = dtype

    def __getitem__(self, key):
        return indexing.explicit_indexing_adapter(key, self.shape, indexing.IndexingSupport.BASIC, self._rows)

    def _rows(self, key):
        rows, rest = key[0], key[1:]
        wanted = numpy.arange(self.shape[0])[rows]
        if wanted.size == 0:
            return numpy.empty(numpy.empty(self.shape, dtype=bool)[key].shape, dtype=self.dtype)
        first = int(wanted.min())
        pieces, _ = _orvantis.read_recording(*self.reading, first_spectrum=first,
                                            spectra=int(wanted.max()) - first + 1)
        values = next(v for name, _, v, _ in pieces[1] if name == self.name)
        return values[(wanted - first,) + rest] if numpy.ndim(wanted) else values[(int(wanted) - first,) + rest]


def _lazy_spectra(pieces, reading):
    """The pieces with each variable of spectra read only when indexed."""
    dimensions, variables, attributes = pieces
    lengths = dict(dimensions)
    lazy = []
    for name, dims, values, attrs in variables:
        if len(dims) > 1:
            shape = tuple(lengths[d] for d in dims)
            values = indexing.LazilyIndexedArray(_SpectraArray(reading, name, shape, values.dtype))
        lazy.append((name, dims, values, attrs))
    return dimensions, lazy, attributes


def dataset_from_pieces(pieces):
    """The dataset of the native part's (dimensions, variables, attributes), decoded as a file is."""
    _, variables, attributes = pieces
    raw = xarray.Dataset(
        {name: xarray.Variable(dims, values, attrs) for name, dims, values, attrs in variables},
        attrs=attributes,
    )
    return xarray.decode_cf(raw)


def read_recording(path, cal=None, level=4, ignore_immersion=False, cal_any_serial=False, lazy=False):
    """The dataset pieces of a recording; the converter's warnings about it as Python warnings."""
    reading = (os.fspath(path), None if cal is None else os.fspath(cal), int(level), bool(ignore_immersion),
               bool(cal_any_serial))
    pieces, notes = _orvantis.read_recording(*reading, spectra=0 if lazy else None)
    for note in notes:
        warnings.warn(note, stacklevel=3)
    return _lazy_spectra(pieces, reading) if lazy else pieces


def open_dataset(path, cal=None, level=4, ignore_immersion=False, cal_any_serial=False, lazy=False):
    """Open a recording or an output of the converter as an xarray.Dataset.

    A recording (.ASC or .BIN, told by its content) is calibrated in memory
    to `level` (0 raw counts to 4 full calibration) with the calibration
    file associated with its serial number, or `cal`; nothing is written.
    The dataset is laid out exactly as the converter's --netcdf output of
    the same file: the spectra as (time, wavelength) named for what they
    hold (Ed, Lu, ...), each spectrum's fields beside them.

    A calibration file of another instrument is refused unless
    cal_any_serial is set. An output (.nc, or delimited text or binary
    records) is read back as it is; `cal` and `level` do not apply to it.
    With lazy set, a recording's spectra are read and calibrated only when
    indexed, a stretch of rows at a time (the per-spectrum fields are read
    at once), so a long recording opens in little memory.

    Raises orvantis.Error with the converter's words when the file cannot
    be read or calibrated.
    """
    path = os.fspath(path)
    # A recording's name is enough for the converter to try it and say what it is not.
    content = "recording" if os.path.splitext(path)[1].lower() in _RECORDING_EXTENSIONS else _orvantis.content_of(path)
    if content == "recording":
        return dataset_from_pieces(read_recording(path, cal, level, ignore_immersion, cal_any_serial, lazy))
    if content == "netcdf":
        return xarray.open_dataset(path)
    return dataset_from_pieces(_orvantis.read_output(path))
