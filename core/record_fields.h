#pragma once
// The thirteen per-spectrum fields of the text outputs, in their order, as
// one table: their labels and number forms in both text layouts, and how
// each is read from and stored into a record. The writers of rows, column
// headers and transposed label cells and the reader of text outputs all
// work from it.

#include "core/spectrum_record.h"

#include <array>

enum class FieldForm : unsigned char {
    Integer, // "%ld"
    Fixed,   // "%.<precision>f"
    General, // "%.<precision>g"
};

struct RecordField {
    const char* columnLabel; // in the normal layout's column header
    const char* rowLabel;    // heading the transposed layout's row
    FieldForm form;
    int rowPrecision;       // in a normal layout's row
    int labelCellPrecision; // in a transposed layout's label cell
    long minimum;           // an integer field's range
    long maximum;
    double (*value)(const SpectrumRecord& record);
    void (*store)(SpectrumRecord& record, double value); // a value within the field's range
};

inline constexpr int RECORD_FIELDS = 13;

const std::array<RecordField, RECORD_FIELDS>& recordFields();
