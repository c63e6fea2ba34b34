#!/usr/bin/python3
"""pandas_convert.py INPUT HEADER_LINES OUTPUT [--transpose]

What a user might script with pandas instead of the converter: read the data
lines of a text data file and write the same table as CSV with CR LF line
ends, optionally transposed. The benchmark's point of comparison."""
import sys

import pandas as pd

source, header_lines, target = sys.argv[1], int(sys.argv[2]), sys.argv[3]
table = pd.read_csv(source, skiprows=header_lines, header=None)
if "--transpose" in sys.argv[4:]:
    table = table.T
table.to_csv(target, float_format="%.5g", lineterminator="\r\n")
