"""Orvantis in Python: Tidelume radiometer recordings as calibrated spectra.

Recordings (.ASC text, .BIN binary, told apart by their content) are read
and calibrated in memory by the same code as the converter, and come out
as xarray datasets laid out exactly as the converter's NetCDF output::

    import orvantis
    ed = orvantis.open_dataset("CAST001A.ASC")              # associated calibration
    ed = orvantis.open_dataset("CAST001A.ASC", cal="TDL0417.CAL", level=2)
    cast = orvantis.open_cast("CAST001A.ASC")               # the set's channels on one time axis
    ratio = (cast.Lu.sel(wavelength_Lu=550, method="nearest")
             / cast.Es.sel(wavelength_Es=550, method="nearest"))

xarray finds the engine "orvantis" too::

    xarray.open_dataset("CAST001A.ASC", engine="orvantis", cal="TDL0417.CAL")
    xarray.open_mfdataset("season/**/CAST*A.ASC", engine="orvantis", parallel=True)

convert() runs the converter's batch and writes files beside the inputs;
associate(), forget() and associations() use the calibration associations
the converter and the window use. Failures raise orvantis.Error with the
converter's own words. Every function may be called from several threads.
"""

from ._orvantis import Error, StoreUnusable
from ._cast import open_cast
from ._convert import ConversionError, FileResult, convert
from ._datasets import open_dataset
from ._store import associate, associations, forget

__all__ = [
    "Error",
    "StoreUnusable",
    "ConversionError",
    "FileResult",
    "open_dataset",
    "open_cast",
    "convert",
    "associate",
    "forget",
    "associations",
]
