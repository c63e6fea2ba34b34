#pragma once
// The thirteen per-spectrum fields of the text outputs, in their order:
// time, temp, volts, depth, process, N, scale, Do, Dt, intTime, firstPix,
// pixInc, numPix.

#include "core/spectrum_record.h"

#include <string_view>

constexpr int RECORD_FIELDS = 13;

// Sets field `field` of the record from its cell; false when the cell is
// not a number that field can hold.
bool setRecordField(SpectrumRecord& record, int field, std::string_view cell);

// The record fields' labels in the normal layout's column header and as the
// transposed layout's row labels.
extern const char* const normalFieldLabels[RECORD_FIELDS];
extern const char* const transposedFieldLabels[RECORD_FIELDS];
