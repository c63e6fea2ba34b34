"""The README's Python section runs as written, in a copy of the clone's examples."""

import shutil
import subprocess
import sys

from conftest import EXAMPLES
from readme_python import python_section_code


def test_the_readme_python_section_runs_as_written(tmp_path):
    code = python_section_code((EXAMPLES.parent / "README.md").read_text(encoding="utf-8"))
    assert "open_cast" in code and "parallel=True" in code
    shutil.copytree(EXAMPLES, tmp_path / "examples")
    (tmp_path / "readme.py").write_text(code)  # as a script, as a user would save it
    run = subprocess.run([sys.executable, "readme.py"], cwd=tmp_path, capture_output=True, text=True, timeout=300)
    assert run.returncode == 0, run.stderr
    assert "count    24.0" in run.stdout  # the season: 12 spectra of each of two recordings
