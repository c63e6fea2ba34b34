#!/usr/bin/python3
"""readme_python.py README: prints the Python code of the README's section "### Python", its blocks in order."""

import re
import sys


def python_section_code(readme_text):
    section = readme_text.split("\n### Python\n", 1)[1].split("\n## ", 1)[0]
    return "\n".join(re.findall(r"```python\n(.*?)```", section, flags=re.S))


if __name__ == "__main__":
    with open(sys.argv[1], encoding="utf-8") as readme:
        print(python_section_code(readme.read()))
