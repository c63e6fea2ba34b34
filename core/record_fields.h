#pragma once
// The thirteen per-spectrum fields of a record as one table, in the order of
// the text outputs: where each sits in the 48-byte record and as what type,
// its labels and number forms in both text layouts, its dataset variable,
// and how it is read from and stored into a record. The binary encoding, the
// text writers and readers and the NetCDF writer and reader all work from it.

#include "core/spectrum_record.h"

#include <array>
#include <cstddef>

enum class BinaryType : unsigned char {
    Int16,
    Int32,
    Float32,
};

constexpr std::size_t binarySize(BinaryType type)
{
    return type == BinaryType::Int16 ? 2 : 4;
}

enum class FieldForm : unsigned char {
    Integer, // "%ld"
    Fixed,   // "%.<precision>f"
    General, // "%.<precision>g"
};

// The field as a variable along a dataset's time dimension. The time stamp,
// integration time, temperature and depth carry no units: the instrument's
// files never say which it uses, and a guessed unit would be worse than none.
struct FieldVariable {
    int position; // among the variables, which files have always defined in this order, not the text order
    const char* name;
    const char* longName;
    const char* units;   // null when unknown
    const char* comment; // null when the long name says it all
};

struct RecordField {
    std::size_t offset; // in the record, the struct's and the file's alike
    BinaryType type;
    const char* columnLabel; // in the normal layout's column header
    const char* rowLabel;    // heading the transposed layout's row
    FieldForm form;
    int rowPrecision;       // in a normal layout's row
    int labelCellPrecision; // in a transposed layout's label cell
    long minimum;           // an integer field's range
    long maximum;
    FieldVariable dataset;
    double (*value)(const SpectrumRecord& record);
    void (*store)(SpectrumRecord& record, double value); // a value within the field's range
};

inline constexpr int RECORD_FIELDS = 13;

// The instrument's time stamp and depth among the dataset variables.
inline constexpr std::size_t TIME_VARIABLE = 0;
inline constexpr std::size_t DEPTH_VARIABLE = 4;

const std::array<RecordField, RECORD_FIELDS>& recordFields();
// The same fields in the order of their dataset variables.
const std::array<const RecordField*, RECORD_FIELDS>& datasetFields();
