"""The xarray backend engine "orvantis", found through the package's entry point."""

import os

from xarray.backends import BackendEntrypoint

from ._datasets import open_dataset

_EXTENSIONS = (".asc", ".bin", ".dat", ".raw", ".bdt", ".brw")


class OrvantisBackendEntrypoint(BackendEntrypoint):
    """Tidelume recordings (.ASC, .BIN), calibrated as their spectra are read, and Orvantis outputs."""

    description = "Tidelume radiometer recordings calibrated by Orvantis, and Orvantis outputs"
    url = "https://example.org/orvantis"
    open_dataset_parameters = ("filename_or_obj", "drop_variables", "cal", "level", "ignore_immersion",
                               "cal_any_serial")

    def open_dataset(self, filename_or_obj, *, drop_variables=None, cal=None, level=4, ignore_immersion=False,
                     cal_any_serial=False):
        dataset = open_dataset(filename_or_obj, cal=cal, level=level, ignore_immersion=ignore_immersion,
                               cal_any_serial=cal_any_serial, lazy=True)
        if drop_variables:
            dataset = dataset.drop_vars(drop_variables, errors="ignore")
        return dataset

    def guess_can_open(self, filename_or_obj):
        try:
            return os.path.splitext(os.fspath(filename_or_obj))[1].lower() in _EXTENSIONS
        except TypeError:
            return False
