"""Recordings and outputs as xarray datasets."""

import os
import warnings

import xarray

from . import _orvantis

# The first bytes of the two NetCDF forms the converter may have written.
_NETCDF_MAGIC = (b"\x89HDF", b"CDF")
_RECORDING_EXTENSIONS = (".asc", ".bin")


def dataset_from_parts(parts):
    """The dataset of the native part's (dimensions, variables, attributes), decoded as a file is."""
    _, variables, attributes = parts
    raw = xarray.Dataset(
        {name: xarray.Variable(dims, values, attrs) for name, dims, values, attrs in variables},
        attrs=attributes,
    )
    return xarray.decode_cf(raw)


def _is_netcdf(path):
    with open(path, "rb") as file:
        start = file.read(4)
    return start.startswith(_NETCDF_MAGIC)


def read_recording(path, cal=None, level=4, ignore_immersion=False, cal_any_serial=False):
    """The dataset parts of a recording and the converter's warnings about it."""
    parts, notes = _orvantis.read_recording(os.fspath(path), None if cal is None else os.fspath(cal), int(level),
                                            bool(ignore_immersion), bool(cal_any_serial))
    for note in notes:
        warnings.warn(note, stacklevel=3)
    return parts


def open_dataset(path, cal=None, level=4, ignore_immersion=False, cal_any_serial=False):
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
    Raises orvantis.Error with the converter's words when the file cannot
    be read or calibrated.
    """
    path = os.fspath(path)
    # A recording's name is enough for the converter to try it and say what it is not.
    if os.path.splitext(path)[1].lower() in _RECORDING_EXTENSIONS or _orvantis.content_of(path) == "recording":
        return dataset_from_parts(read_recording(path, cal, level, ignore_immersion, cal_any_serial))
    if _is_netcdf(path):
        return xarray.open_dataset(path)
    return dataset_from_parts(_orvantis.read_output(path))
