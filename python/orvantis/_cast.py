"""A cast: the channel files of one set as one dataset on one time axis."""

import os
from concurrent.futures import ThreadPoolExecutor

import numpy
import xarray

from . import _orvantis
from ._datasets import open_dataset
from ._orvantis import Error


def _channel_name(dataset):
    """The name of the spectra's variable of pixel set 1 (Ed, Lu, counts, ...)."""
    for name, variable in dataset.data_vars.items():
        if variable.attrs.get("pixel_set") == 1 and "processing_level" in variable.attrs:
            return name
    raise Error(f"{dataset.attrs.get('source_file', 'a channel')} holds no spectra")


def _own_axes(dataset, channel):
    """Every dimension but time named for the channel: wavelength -> wavelength_Ed."""
    return dataset.rename({dim: f"{dim}_{channel}" for dim in dataset.dims if dim != "time"})


def _on_time(dataset, times, channel):
    """The channel's variables along time at `times`: real ones linearly interpolated, others nearest."""
    ordered = dataset.sortby("time").drop_duplicates("time")
    own = ordered["time"].rename({"time": f"time_{channel}"}).rename(f"time_{channel}")
    own.attrs["long_name"] = f"time stamps of the {channel} spectra as recorded"
    along = [name for name, v in ordered.data_vars.items() if "time" in v.dims]
    reals = [name for name in along if numpy.issubdtype(ordered[name].dtype, numpy.floating)]
    others = [name for name in along if name not in reals]
    interpolated = ordered[reals].interp(time=times)
    nearest = ordered[others].reindex(time=times, method="nearest")
    for name in reals:
        interpolated[name].attrs.update(ordered[name].attrs)
        interpolated[name].attrs["interpolation"] = f"linear in time from time_{channel}"
    for name in others:
        nearest[name].attrs["interpolation"] = f"nearest in time from time_{channel}"
    fixed = ordered.drop_vars(along + ["time"])
    return xarray.merge([interpolated, nearest, fixed], combine_attrs="override").assign_coords({own.name: own})


def open_cast(path, reference=None, cal=None, level=4, ignore_immersion=False, cal_any_serial=False):
    """Open every channel file of the set of `path` as one dataset.

    The set's other files are found as the window finds them (the same name
    but for the channel letter A to Y). Each channel keeps its own wavelength
    dimension (wavelength_Ed, wavelength_Lu, ...). All are put on the time
    axis of the reference channel (`reference`, a channel name such as "Es",
    or the first); the other channels' real values are interpolated
    linearly in time to it (their integer fields take the nearest), NaN
    outside their own time span, and their own time stamps are kept as the
    coordinate time_<channel>. The attribute "interpolation" says what was
    interpolated. The other arguments are those of open_dataset.
    """
    path = os.fspath(path)
    files = _orvantis.channel_set(path)
    if not any(os.path.samefile(path, f) for f in files):
        files.insert(0, path)
    with ThreadPoolExecutor(max_workers=min(len(files), os.cpu_count() or 1)) as pool:
        datasets = list(pool.map(lambda f: open_dataset(f, cal, level, ignore_immersion, cal_any_serial), files))
    channels = [_channel_name(d) for d in datasets]
    if len(set(channels)) != len(channels):
        raise Error(f"the channels of {path} share a name ({', '.join(channels)}): calibrate them to level 4")
    chosen = channels[0] if reference is None else reference
    if chosen not in channels:
        raise Error(f"no channel {chosen} in the set of {path} (it has {', '.join(channels)})")
    times = datasets[channels.index(chosen)]["time"]
    pieces = []
    for channel, dataset in zip(channels, datasets):
        dataset = _own_axes(dataset, channel)
        pieces.append(dataset if channel == chosen else _on_time(dataset, times, channel))
    cast = xarray.merge(pieces, combine_attrs="drop_conflicts")
    others = [c for c in channels if c != chosen]
    cast.attrs["channels"] = " ".join(channels)
    cast.attrs["source_files"] = " ".join(os.path.basename(f) for f in files)
    cast.attrs["reference_channel"] = chosen
    cast.attrs["interpolation"] = (
        f"{', '.join(others)} interpolated linearly in time to the time stamps of {chosen}; "
        "integer fields take the nearest spectrum's" if others else "none: one channel")
    return cast
