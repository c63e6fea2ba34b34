#!/usr/bin/python3
"""analysis_check.py CONVERTER EXAMPLES_DIR: converts a generated cast of
three channels (Ed, Lu, Es) and a season of three consecutive Ed casts to
NetCDF and opens them as an analyst would: xarray with its defaults, CDO,
and the CF conventions' rules that no Debian checker covers."""

import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

import numpy
import xarray

TIME_UNITS = "milliseconds since 2025-06-01T00:00:00Z"
EPOCH = numpy.datetime64("2025-06-01T00:00:00", "ms")
STANDARD_NAMES = {
    "Ed": "downwelling_radiative_flux_per_unit_wavelength_in_sea_water",
    "Lu": "upwelling_radiance_per_unit_wavelength_in_sea_water",
    "Es": "surface_downwelling_radiative_flux_per_unit_wavelength_in_air",
}
CANONICAL_UNITS = {"radiative_flux_per_unit_wavelength": "W m-3", "radiance_per_unit_wavelength": "W m-3 sr-1"}
FAILURES = []


def expect(condition, text):
    if not condition:
        FAILURES.append(text)
        print("FAILED:", text)


def with_es_channel(cal_text):
    """The calibration with a third channel, C, a copy of A named Es whose
    wavelengths lie 1.7 nm higher, as another sensor's would."""
    sections = re.split(r"(?m)^(?=\[)", cal_text)
    copies = [re.sub(r"^\[A", "[C", s) for s in sections if s.startswith("[A")]
    copies[0] = copies[0].replace("\nEd\n", "\nEs\n", 1)
    copies = [re.sub(r"^(\[C WAVE\]\n)350\n", r"\g<1>351.7\n", s) for s in copies]
    return "".join(sections) + "".join(copies)


def shifted(data_text, milliseconds, channel=None):
    """A text data file with its time stamps later, and maybe another channel."""
    lines = []
    for line in data_text.splitlines(keepends=True):
        if re.match(r"^\d+,", line):
            stamp, rest = line.split(",", 1)
            line = f"{int(stamp) + milliseconds},{rest}"
        elif channel and line.startswith("Channel "):
            line = f"Channel {channel}\n"
        lines.append(line)
    return "".join(lines)


def arguments(files, options):
    return ["--cal", "CAST.CAL", "--netcdf", *options, *files]


def convert(converter, work, files, *options):
    subprocess.run([converter, *arguments(files, options)], cwd=work, check=True, stdout=subprocess.DEVNULL)
    return [os.path.join(work, os.path.splitext(f)[0] + ".nc") for f in files]


def readme_session(readme):
    """The Python lines the README shows for a season, as they stand there."""
    text = open(readme).read()
    block = text[text.index("    import glob, xarray"):]
    lines = []
    for line in block.splitlines():
        if not line.startswith("    "):
            break
        lines.append(line[4:])
    return "\n".join(lines)


def check_season(season, at550):
    times = season["time"].values
    expect(numpy.issubdtype(times.dtype, numpy.datetime64), f"time not decoded: {times.dtype}")
    expect(len(times) == 36 and bool(numpy.all(numpy.diff(times) > numpy.timedelta64(0))),
           "the season's spectra are not one series in time order")
    expect(times[0] == EPOCH + numpy.timedelta64(36000000, "ms"), f"first moment {times[0]}")
    nearest = int(numpy.abs(season["wavelength"].values - 550).argmin())
    expect(numpy.array_equal(at550.values, season["Ed"].values[:, nearest], equal_nan=True),
           "sel(wavelength=550) did not pick the nearest wavelength")
    expect(season.attrs.get("time_coverage_start") == "2025-06-01T10:00:00Z",
           f"time_coverage_start {season.attrs.get('time_coverage_start')}")


def check_pixel_numbers(season, paths):
    """The pixel numbers stay a coordinate along the wavelength alone, however the casts are combined."""
    nested = xarray.open_mfdataset(paths, combine="nested", concat_dim="time")
    for how, combined in (("by coordinates", season), ("nested", nested)):
        expect("Ed_pixel_number" in combined.coords, f"Ed_pixel_number is not a coordinate ({how})")
        expect(combined["Ed_pixel_number"].dims == ("wavelength",),
               f"Ed_pixel_number along {combined['Ed_pixel_number'].dims} ({how})")
    nested.close()


def nearest_column(dataset, name, nanometres):
    return dataset[name].values[:, int(numpy.abs(dataset["wavelength"].values - nanometres).argmin())]


def check_ratio(lu, es, ratio):
    """The README's Lu/Es at 550 nm against numpy's own interpolation: Es is
    stamped 214 ms before Lu and at other wavelengths, so only Lu's last
    moment, after Es's last, has no ratio."""
    seconds = lambda d: d["time"].values.astype("datetime64[ns]").astype(float) / 1e9
    expected = nearest_column(lu, "Lu", 550) / numpy.interp(seconds(lu), seconds(es), nearest_column(es, "Es", 550),
                                                            left=numpy.nan, right=numpy.nan)
    expect(ratio.dims == ("time",) and len(ratio) == len(lu["time"]), f"ratio along {ratio.dims}")
    expect(numpy.allclose(ratio.values, expected, rtol=1e-6, equal_nan=True), "the Lu/Es ratio differs from numpy's")
    expect(bool(numpy.isfinite(ratio.values[:-1]).all()) and numpy.isnan(ratio.values[-1]),
           f"the ratio has {int(numpy.isnan(ratio.values).sum())} gaps")


def check_cast(work):
    for letter, (channel, standard_name) in zip("ABC", STANDARD_NAMES.items()):
        with xarray.open_dataset(os.path.join(work, f"CAST001{letter}.nc")) as cast:
            expect(cast[channel].attrs.get("standard_name") == standard_name, f"{channel} standard_name")
            expect(cast[f"{channel}_depth"].attrs.get("positive") == "down", f"{channel}_depth positive")
            expect(cast[f"{channel}_depth"].attrs.get("units") == "m", f"{channel}_depth units")
    with xarray.open_dataset(os.path.join(work, "CAST001A.nc")) as ed:
        values = ed["Ed"].values
        below = ed["Ed_pixel_number"].values < 8  # EXAMPLE.CAL calibrates from pixel 8 on
        expect(bool(numpy.isnan(values[:, below]).all()), "values below the first calibrated pixel are not NaN")
        expect(not numpy.isnan(values[:, ~below]).any(), "a calibrated pixel holds NaN")
        expect(ed.attrs["source_file"] == "CAST001A.ASC", f"source_file {ed.attrs['source_file']}")
        expect(isinstance(ed.attrs["processing_level"], str), "processing_level is not text")
        expect(ed.attrs.get("platform") == "RV Test", "the --attribute platform is missing")


def units_convertible(have, want):
    run = subprocess.run(["udunits2", "-H", have, "-W", want], stdin=subprocess.DEVNULL, capture_output=True)
    return run.returncode == 0


def check_cf_rules(path):
    """The rules of the CF conventions this output relies on."""
    ds = xarray.open_dataset(path, decode_cf=False)
    for name, variable in ds.variables.items():
        if name in ds.dims:  # a coordinate variable: 1-D on itself, no gaps, monotonic
            expect(variable.dims == (name,), f"{name} is not 1-D along {name}")
            values = variable.values
            expect(not numpy.isnan(values.astype(float)).any(), f"coordinate {name} has missing values")
            steps = numpy.diff(values.astype(float))
            expect(bool((steps > 0).all() or (steps < 0).all()), f"coordinate {name} is not monotonic")
        standard_name = variable.attrs.get("standard_name", "")
        for family, canonical in CANONICAL_UNITS.items():
            if family in standard_name:
                expect(units_convertible(variable.attrs.get("units", ""), canonical),
                       f"{name} units do not convert to {canonical}")
        if "_FillValue" in variable.attrs:
            expect(numpy.asarray(variable.attrs["_FillValue"]).dtype == variable.dtype, f"{name} _FillValue type")
    expect(re.fullmatch(r"seconds since \d{4}-\d\d-\d\d \d\d:\d\d:\d\d", ds["time"].attrs.get("units", "")),
           "time units are not CF's")


def check_cdo(paths):
    for path in paths:
        run = subprocess.run(["cdo", "sinfon", path], capture_output=True, text=True)
        expect(run.returncode == 0, f"cdo sinfon failed on {path}")
        # CDO knows no auxiliary coordinate along a spectral axis and says so
        # of the pixel numbers; it reads everything else all the same.
        warnings = [line for line in (run.stdout + run.stderr).splitlines()
                    if "arning" in line and "variable Ed_pixel_number can't be assigned" not in line]
        expect(not warnings, f"cdo warns on {path}: {warnings}")
        expect("0000-00-00" not in run.stdout, f"cdo finds no dates in {path}")
        header = subprocess.run(["ncdump", "-h", path], capture_output=True, text=True)
        expect(header.returncode == 0 and header.stderr == "", f"ncdump -h complains about {path}")


def check_history(path, given):
    """The history's command, read as a shell reads it, is the one given."""
    with xarray.open_dataset(path) as dataset:
        created, command = dataset.attrs["history"].split(" ", 1)
        expect(created == dataset.attrs["date_created"], f"history begins with {created}")
    expect(shlex.split(command) == ["orvantis-cli", *given], f"history's command {command}")


def write_season(work, examples):
    """Casts 1 to 3 an hour apart, each of Ed, Lu and Es (Es stamped 214 ms
    earlier, as a sensor on its own clock); and a copy of the Ed casts
    elsewhere for CDO, which takes no depth along time."""
    read = lambda name: open(os.path.join(examples, name)).read()
    write = lambda name, text: open(os.path.join(work, name), "w").write(text)
    write("CAST.CAL", with_es_channel(read("EXAMPLE.CAL")))
    for cast in (1, 2, 3):
        later = (cast - 1) * 3_600_000
        write(f"CAST00{cast}A.ASC", shifted(read("SET0101A.ASC"), later))
        write(f"CAST00{cast}B.ASC", shifted(read("SET0101B.ASC"), later))
        write(f"CAST00{cast}C.ASC", shifted(read("SET0101A.ASC"), later - 214, channel=3))
    return sorted(f for f in os.listdir(work) if f.endswith(".ASC"))


def main():
    converter, examples = os.path.abspath(sys.argv[1]), sys.argv[2]
    readme = os.path.abspath(os.path.join(examples, os.pardir, "README.md"))
    with tempfile.TemporaryDirectory() as work:
        files = write_season(work, examples)
        options = ["--time-units", TIME_UNITS, "--depth-units", "m", "--attribute", "platform=RV Test",
                   "--attribute", "station=Smith's \"S12\" $HOME"]
        outputs = convert(converter, work, files, *options)
        check_history(outputs[0], arguments(files, options))
        session = {}
        previous = os.getcwd()
        os.chdir(work)
        try:
            exec(readme_session(readme), session)
        finally:
            os.chdir(previous)
        check_season(session["season"], session["at550"])
        check_pixel_numbers(session["season"], [p for p in outputs if p.endswith("A.nc")])
        check_ratio(session["lu"], session["es"], session["ratio"])
        check_cast(work)
        for path in outputs:
            check_cf_rules(path)
        plain = os.path.join(work, "plain")
        os.mkdir(plain)
        shutil.copy(os.path.join(work, "CAST.CAL"), plain)
        for name in ("CAST001A.ASC", "CAST002A.ASC"):
            shutil.copy(os.path.join(work, name), plain)
        check_cdo(convert(converter, plain, ["CAST001A.ASC", "CAST002A.ASC"], "--time-units", TIME_UNITS))
    print(f"{len(FAILURES)} failures")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
