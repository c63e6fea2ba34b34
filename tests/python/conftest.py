"""What the Python tests share: the converter, the test data, a private store."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

CLI = os.environ["ORVANTIS_CLI"]
GEN = os.environ["ORVANTIS_GEN"]
GOLDEN = Path(os.environ["ORVANTIS_GOLDEN"])
EXAMPLES = Path(os.environ["ORVANTIS_EXAMPLES"])


def golden_recordings():
    """Every recording of the golden set, once."""
    names = {line.split()[0] for line in (GOLDEN / "cases.txt").read_text().splitlines()
             if line and not line.startswith("#")}
    return sorted(str(GOLDEN / "inputs" / n) if (GOLDEN / "inputs" / n).exists() else str(EXAMPLES / n)
                  for n in names)


@pytest.fixture(autouse=True)
def private_store(tmp_path, monkeypatch):
    """Each test has its own per-user store and works in its own folder."""
    monkeypatch.setenv("XDG_CONFIG_HOME", str(tmp_path / "config"))
    monkeypatch.chdir(tmp_path)


@pytest.fixture
def cal(tmp_path):
    return str(shutil.copy(EXAMPLES / "EXAMPLE.CAL", tmp_path / "EXAMPLE.CAL"))


def converter(*arguments):
    """The converter's run: (exit status, stderr)."""
    run = subprocess.run([CLI, *arguments], capture_output=True, text=True)
    return run.returncode, run.stderr


def generate(*arguments):
    subprocess.run([GEN, *map(str, arguments)], check=True, capture_output=True)
