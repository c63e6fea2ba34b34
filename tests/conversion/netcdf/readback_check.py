#!/usr/bin/python3
"""readback_check.py CONVERTER EXAMPLES_DIR: converts the example data at
every level to binary and to NetCDF and checks, through Debian's netCDF4
module as a user's script would read it, that the NetCDF values and
per-spectrum fields equal the binary output's bit for bit where both hold
a value."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

import netCDF4
import numpy

RECORD = struct.Struct("<hi4sifffhhfffhhh")
FIELDS = ("channel", "time", "reserved", "intTime", "temp", "depth", "volts", "process", "N", "scale", "Do",
          "Dt", "firstPix", "pixInc", "numPix")
# NetCDF variable for each record field it carries.
VARIABLES = {"time": "instrument_time", "intTime": "integration_time", "temp": "temperature", "depth": "depth",
             "volts": "volts", "process": "process", "N": "N", "scale": "scale", "Do": "Do", "Dt": "Dt",
             "firstPix": "first_pixel", "pixInc": "pixel_increment", "numPix": "pixel_count"}


def binary_spectra(path):
    """The records and values of a binary output, in file order."""
    data = open(path, "rb").read()
    spectra, at = [], 0
    while at < len(data):
        record = dict(zip(FIELDS, RECORD.unpack_from(data, at)))
        at += RECORD.size
        values = numpy.frombuffer(data, "<f4", record["numPix"], at)
        at += 4 * record["numPix"]
        spectra.append((record, values))
    return spectra


def same_bits(a, b):
    a, b = numpy.asarray(a), numpy.asarray(b)
    return a.shape == b.shape and a.dtype.itemsize == b.dtype.itemsize and \
        numpy.array_equal(a.view(f"u{a.dtype.itemsize}"), b.view(f"u{b.dtype.itemsize}"))


def spectra_variable(nc):
    """The variable of the spectra of pixel set 1: the others' names begin with its."""
    return next(v for v in nc.variables.values() if getattr(v, "pixel_set", None) == 1)


def check(binary, netcdf):
    """The differences between the two outputs, as texts. Where the
    calibration gives no value (below pixel 8 in EXAMPLE.CAL) an adjusted
    spectrum holds NaN, and the binary output 0."""
    spectra = binary_spectra(binary)
    problems = []
    with netCDF4.Dataset(netcdf) as nc:
        nc.set_auto_mask(False)
        variable = spectra_variable(nc)
        values = variable[:]
        if values.shape[0] != len(spectra):
            return [f"{len(spectra)} spectra in {binary}, {values.shape[0]} in {netcdf}"]
        for j, (record, expected) in enumerate(spectra):
            read = values[j, :len(expected)].astype("<f4")
            if record["process"] >= 1:
                pixels = record["firstPix"] + record["pixInc"] * numpy.arange(len(expected))
                uncalibrated = pixels < 8
                if not (numpy.isnan(read[uncalibrated]).all() and (expected[uncalibrated] == 0).all()):
                    problems.append(f"spectrum {j}: no NaN where the calibration gives no value")
                read, expected = read[~uncalibrated], expected[~uncalibrated]
            if not same_bits(read, expected):
                problems.append(f"spectrum {j}: values differ")
            for field, name in VARIABLES.items():
                read = nc[f"{variable.name}_{name}"][j]
                equal = same_bits(numpy.float32(read), numpy.float32(record[field])) \
                    if isinstance(record[field], float) else int(read) == record[field]
                if not equal:
                    problems.append(f"spectrum {j}: {name} {read}, expected {record[field]}")
    return problems


def main():
    converter, examples = os.path.abspath(sys.argv[1]), sys.argv[2]
    failures = checked = 0
    with tempfile.TemporaryDirectory() as work:
        for name in ("EXAMPLE.CAL", "SET0101A.ASC", "SET0102A.BIN"):
            shutil.copy(os.path.join(examples, name), work)
        for data in ("SET0101A.ASC", "SET0102A.BIN"):
            stem = os.path.join(work, os.path.splitext(data)[0])
            for level in range(5):
                for form in ("--binary", "--netcdf"):
                    subprocess.run([converter, "--cal", "EXAMPLE.CAL", "--level", str(level), form, data],
                                   cwd=work, check=True, stdout=subprocess.DEVNULL)
                binary = stem + (".BRW" if level == 0 else ".BDT")
                netcdf = stem + (".RAW.nc" if level == 0 else ".nc")
                for problem in check(binary, netcdf):
                    print(f"{data} level {level}: {problem}")
                    failures += 1
                checked += 1
    print(f"{checked} conversions read back through netCDF4: {failures} differences")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
