"""Datasets of recordings against the converter's NetCDF outputs of them, and outputs read back."""

import random
import shutil
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import numpy
import pytest
import xarray

import orvantis
from conftest import converter, generate, golden_recordings

# Made at every conversion: they cannot agree between two runs.
RUN_ATTRIBUTES = ("history", "date_created")


def without_run_attributes(dataset):
    dataset = dataset.copy()
    for name in RUN_ATTRIBUTES:
        dataset.attrs.pop(name, None)
    return dataset


def expect_same_as_converter(recording, work, cal, *options, **keywords):
    """open_dataset equals the --netcdf output, or both fail with the same words."""
    folder = work / "converted"
    folder.mkdir(exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    copy = Path(shutil.copy(recording, folder))
    status, errors = converter("--cal", cal, "--netcdf", *options, str(copy))
    if status != 0:
        with pytest.raises(orvantis.Error) as raised:
            orvantis.open_dataset(copy, cal=cal, **keywords)
        first_error = errors.splitlines()[0]
        assert first_error in str(raised.value).splitlines(), (errors, str(raised.value))
        return None
    [output] = folder.glob("*.nc")
    ours = orvantis.open_dataset(copy, cal=cal, **keywords).load()
    theirs = xarray.open_dataset(output).load()
    xarray.testing.assert_identical(without_run_attributes(ours), without_run_attributes(theirs))
    # Bit for bit, NaN included, which identical() would let pass as equal.
    for name, variable in theirs.variables.items():
        assert variable.values.tobytes() == ours[name].values.tobytes(), name
    return ours


@pytest.mark.parametrize("recording", golden_recordings(), ids=lambda p: Path(p).name)
@pytest.mark.parametrize("level", [0, 2, 4])
def test_every_golden_recording_is_its_netcdf_output(recording, level, tmp_path, cal):
    expect_same_as_converter(recording, tmp_path, cal, "--level", str(level), level=level)


def test_random_recordings_are_their_netcdf_outputs(tmp_path):
    rng = random.Random(20261209)
    for case in range(12):
        pixels = rng.choice([16, 17, 64, 256, 513])
        layout = rng.choice(["text1", "text2", "raw", "processed"])
        cal = tmp_path / f"R{case}.CAL"
        generate("cal", cal, "TDL0417", pixels)
        recording = tmp_path / f"R{case}A.{'BIN' if layout in ('raw', 'processed') else 'ASC'}"
        generate("data", recording, "TDL0417", 1, layout, rng.randint(1, 300), pixels, case)
        data = bytearray(recording.read_bytes())
        if case % 3 == 2:  # damage: a byte or two of the spectra changed
            for _ in range(rng.randint(1, 3)):
                data[rng.randrange(len(data) // 2, len(data))] = rng.randrange(256)
            recording.write_bytes(bytes(data))
        level = rng.choice([0, 1, 2, 3, 4])
        expect_same_as_converter(recording, tmp_path, str(cal), "--level", str(level),
                                 *(["--ignore-immersion"] if case % 2 else []),
                                 level=level, ignore_immersion=bool(case % 2))


@pytest.mark.parametrize("form", ["rows", "columns", "binary", "netcdf"])
def test_every_output_form_reads_back_as_the_converted_values(form, tmp_path, cal):
    for name in ("SET0102A.BIN", "SET0101A.ASC"):
        source = Path(shutil.copy(orvantis_example(name), tmp_path))
        [result] = orvantis.convert(source, level=4, form=form, cal=cal, jobs=1)
        assert result.converted and result.messages == []
        converted = orvantis.open_dataset(source, cal=cal)
        read = orvantis.open_dataset(result.output)
        values = read["Ed" if form == "netcdf" else "calibrated_values"].values
        expected = converted["Ed"].values
        if form != "netcdf":  # only NetCDF tells a pixel without calibration by NaN; the others hold 0
            expected = numpy.nan_to_num(expected, nan=0.0)
        if form == "binary":
            assert values.tobytes() == expected.tobytes()
        else:  # text holds as many digits as the output's number form gives
            numpy.testing.assert_allclose(values, expected, rtol=5e-4, atol=1e-6)
        assert (read["time"].values == converted["time"].values).all()
        if form in ("rows", "columns"):
            numpy.testing.assert_allclose(read["wavelength"].values, converted["wavelength"].values, atol=0.0501)  # one decimal


def orvantis_example(name):
    from conftest import EXAMPLES
    return EXAMPLES / name


def test_threads_give_the_datasets_of_one_by_one(tmp_path, cal):
    recordings = [r for r in golden_recordings() if orvantis_can_read(r, cal)] * 3
    orvantis.associate("TDL0417", cal)  # half the reads look the calibration up in the store

    def read(path):
        given = cal if recordings.index(path) % 2 else None
        return without_run_attributes(orvantis.open_dataset(path, cal=given).load())

    alone = [read(r) for r in recordings]
    with ThreadPoolExecutor(max_workers=4) as pool:
        together = list(pool.map(read, recordings))
    for one, other in zip(alone, together):
        xarray.testing.assert_identical(one, other)


def orvantis_can_read(path, cal):
    try:
        orvantis.open_dataset(path, cal=cal)
        return True
    except orvantis.Error:
        return False


def test_failures_raise_the_converters_words(tmp_path, cal):
    recording = shutil.copy(orvantis_example("SET0101A.ASC"), tmp_path)
    with pytest.raises(orvantis.Error, match="Must associate a calibration file with Tidelume #TDL0417"):
        orvantis.open_dataset(recording)
    notes = tmp_path / "NOTESA.ASC"
    notes.write_text("no instrument here\n")
    with pytest.raises(orvantis.Error, match="NOTESA.ASC is not a Tidelume data file"):
        orvantis.open_dataset(notes, cal=cal)
    with pytest.raises(orvantis.Error, match="Can Not Find File"):
        orvantis.open_dataset(tmp_path / "MISSINGA.ASC", cal=cal)
    other = tmp_path / "OTHER.CAL"
    other.write_text(Path(cal).read_text().replace("TDL0417", "TDL0533"))
    with pytest.raises(orvantis.Error, match="is from Tidelume #TDL0417 but .*OTHER.CAL is for #TDL0533"):
        orvantis.open_dataset(recording, cal=other)
    with pytest.warns(UserWarning, match="converted with it all the same"):
        orvantis.open_dataset(recording, cal=other, cal_any_serial=True)
    # Associated, the recording needs no calibration argument.
    orvantis.associate("TDL0417", cal)
    assert orvantis.associations() == {"TDL0417": cal}
    assert orvantis.open_dataset(recording).Ed.shape == (12, 256)


def test_convert_reports_each_file_and_raises_for_failures(tmp_path, cal):
    good = shutil.copy(orvantis_example("SET0101A.ASC"), tmp_path)
    empty = tmp_path / "EMPTYA.ASC"
    empty.write_bytes(b"")
    with pytest.raises(orvantis.ConversionError) as raised:
        orvantis.convert([tmp_path], form="binary", cal=cal, jobs=2)
    outcomes = {Path(r.path).name: r for r in raised.value.results}
    assert outcomes["SET0101A.ASC"].converted and Path(outcomes["SET0101A.ASC"].output).exists()
    assert outcomes["EMPTYA.ASC"].outcome == "failed"
    assert any("is empty (0 bytes)" in m for m in outcomes["EMPTYA.ASC"].messages)
    assert "1 converted, 1 failed" in str(raised.value)
    [result] = orvantis.convert(good, level=2, form="rows", cal=cal)
    assert result.output.endswith(".DAT") and result.spectra == 12


def test_xarray_finds_the_engine(tmp_path, cal):
    recording = shutil.copy(orvantis_example("SET0101A.ASC"), tmp_path)
    assert "orvantis" in xarray.backends.list_engines()
    opened = xarray.open_dataset(recording, engine="orvantis", cal=cal, drop_variables=["Ed_volts"])
    assert "Ed_volts" not in opened and opened.Ed.shape == (12, 256)


def test_lazily_read_spectra_are_the_spectra_read_at_once(tmp_path, cal):
    rng = random.Random(7)
    long_one = tmp_path / "LONGA.BIN"  # long enough that a stretch of rows stops the conversion early
    generate("data", long_one, "TDL0417", 1, "raw", 1500, 256, 3)
    for recording in golden_recordings() + [str(long_one)]:
        if not orvantis_can_read(recording, cal):
            continue
        eager = orvantis.open_dataset(recording, cal=cal).load()
        lazy = xarray.open_dataset(recording, engine="orvantis", cal=cal)
        for name, variable in eager.data_vars.items():
            if variable.ndim != 2:
                continue
            rows = variable.shape[0]
            for _ in range(5):
                start = rng.randrange(rows)
                key = rng.choice([start, slice(start, rng.randint(start, rows), rng.randint(1, 4))])
                assert lazy[name][key].values.tobytes() == variable[key].values.tobytes(), (recording, name, key)
        xarray.testing.assert_identical(without_run_attributes(lazy.load()), without_run_attributes(eager))


def test_a_season_opens_with_dask_straight_from_the_recordings(tmp_path, cal):
    casts = []
    for n in range(6):
        casts.append(tmp_path / f"CAST{n:03d}A.ASC")
        generate("data", casts[-1], "TDL0417", 1, "text1", 50 + n, 256, n)
    season = xarray.open_mfdataset(sorted(map(str, casts)), engine="orvantis", cal=cal, parallel=True,
                                   combine="nested", concat_dim="time")
    assert season.chunks["time"] == tuple(50 + n for n in range(6))
    one_by_one = xarray.concat([orvantis.open_dataset(c, cal=cal) for c in casts], dim="time",
                               data_vars="all", coords="different", compat="equals")
    xarray.testing.assert_equal(season.Ed.load(), one_by_one.Ed)
    assert season.Ed_pixel_number.dims == ("wavelength",)
