#!/usr/bin/env bash
# make_examples.sh GENERATOR: rewrites the example data set in examples/.
set -euo pipefail
gen=$1
cd "$(dirname "$0")/../examples"
"$gen" cal EXAMPLE.CAL TDL0417 256
"$gen" data SET0101A.ASC TDL0417 1 text2 12 256 101
"$gen" data SET0101B.ASC TDL0417 2 text1 12 256 102
"$gen" data SET0102A.BIN TDL0417 1 raw 12 256 103
