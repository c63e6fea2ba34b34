"""The per-user associations of serial numbers and calibration files."""

from . import _orvantis


def associate(serial, cal):
    """Remember calibration file `cal` for the instrument `serial`.

    The path is stored absolute; returns it. Raises orvantis.Error when the
    file does not exist, StoreUnusable when the store cannot be used.
    """
    return _orvantis.associate(str(serial), str(cal))


def forget(serial):
    """Forget the calibration file of `serial`; False when there was none."""
    return _orvantis.forget(str(serial))


def associations():
    """Every association, as a dict of serial number to calibration file."""
    return dict(_orvantis.associations())
