"""A cast on one time axis, checked against a hand computation."""

import shutil

import numpy
import pytest

import orvantis
from conftest import EXAMPLES


def shifted_channel(source, target, milliseconds):
    """The recording with every spectrum's time stamp (its first field) moved on."""
    lines = source.read_bytes().split(b"\r\n")
    for i, line in enumerate(lines):
        head, comma, rest = line.partition(b",")
        if comma and head.isdigit():
            lines[i] = str(int(head) + milliseconds).encode() + comma + rest
    target.write_bytes(b"\r\n".join(lines))


def test_a_cast_puts_every_channel_on_the_reference_times(tmp_path, cal):
    ed = shutil.copy(EXAMPLES / "SET0101A.ASC", tmp_path / "CAST7A.ASC")
    shifted_channel(EXAMPLES / "SET0101B.ASC", tmp_path / "CAST7B.ASC", 150)
    cast = orvantis.open_cast(tmp_path / "CAST7B.ASC", cal=cal, reference="Ed")
    alone = orvantis.open_dataset(tmp_path / "CAST7B.ASC", cal=cal)
    assert cast.attrs["channels"] == "Ed Lu" and cast.attrs["reference_channel"] == "Ed"
    assert "Lu interpolated linearly in time" in cast.attrs["interpolation"]
    assert (cast.time.values == orvantis.open_dataset(ed, cal=cal).time.values).all()
    assert (cast.time_Lu.values == alone.time.values).all()
    own = alone.time.values.astype(float)
    for k in (1, 5, 11):  # each reference time between two of Lu's own stamps, or before the first
        t = float(cast.time.values[k])
        after = numpy.searchsorted(own, t)
        if after == 0:
            assert numpy.isnan(cast.Lu.isel(time=k)).all()
            continue
        weight = (t - own[after - 1]) / (own[after] - own[after - 1])
        by_hand = alone.Lu.values[after - 1] + weight * (alone.Lu.values[after] - alone.Lu.values[after - 1])
        numpy.testing.assert_allclose(cast.Lu.isel(time=k).values, by_hand, rtol=1e-5)  # float32 values
    ratio = cast.Lu.sel(wavelength_Lu=550, method="nearest") / cast.Ed.sel(wavelength_Ed=550, method="nearest")
    assert ratio.dims == ("time",) and numpy.isfinite(ratio.values[1:]).all()


def test_a_cast_names_a_missing_reference(tmp_path, cal):
    shutil.copy(EXAMPLES / "SET0101A.ASC", tmp_path / "CAST8A.ASC")
    with pytest.raises(orvantis.Error, match="no channel Es in the set"):
        orvantis.open_cast(tmp_path / "CAST8A.ASC", cal=cal, reference="Es")
