#include "core/record_fields.h"

#include <cstdint>
#include <limits>
#include <type_traits>

namespace {

// A field of the packed record, read and stored by value: it cannot be
// bound to a reference.
template <auto Member>
double valueOf(const SpectrumRecord& record)
{
    return static_cast<double>(record.*Member);
}

template <auto Member>
void store(SpectrumRecord& record, double value)
{
    record.*Member = static_cast<std::remove_cvref_t<decltype(record.*Member)>>(value);
}

template <auto Member>
constexpr RecordField field(const char* columnLabel, const char* rowLabel, FieldForm form, int rowPrecision,
                            int labelCellPrecision)
{
    using Type = std::remove_cvref_t<decltype(SpectrumRecord{}.*Member)>;
    long minimum = 0;
    long maximum = 0;
    if constexpr (std::is_integral_v<Type>) {
        minimum = std::numeric_limits<Type>::min();
        maximum = std::numeric_limits<Type>::max();
    }
    return {columnLabel, rowLabel,        form,         rowPrecision, labelCellPrecision, minimum,
            maximum,     valueOf<Member>, store<Member>};
}

// clang-format off
const std::array<RecordField, RECORD_FIELDS> fields{{
    field<&SpectrumRecord::time>    ("Time",     "Time",     FieldForm::Integer, 0, 0),
    field<&SpectrumRecord::temp>    ("temp",     "temp",     FieldForm::Fixed,   1, 2),
    field<&SpectrumRecord::volts>   ("volts",    "volts",    FieldForm::Fixed,   2, 2),
    field<&SpectrumRecord::depth>   ("depth",    "depth",    FieldForm::Fixed,   2, 2),
    field<&SpectrumRecord::process> ("process",  "process",  FieldForm::Integer, 0, 0),
    field<&SpectrumRecord::N>       ("N",        "N",        FieldForm::Integer, 0, 0),
    field<&SpectrumRecord::scale>   ("scale",    "Scale",    FieldForm::General, 4, 4),
    field<&SpectrumRecord::Do>      ("Do",       "Do",       FieldForm::General, 4, 4),
    field<&SpectrumRecord::Dt>      ("Dt",       "Dt",       FieldForm::General, 4, 4),
    field<&SpectrumRecord::intTime> ("IntTime",  "intTime",  FieldForm::Integer, 0, 0),
    field<&SpectrumRecord::firstPix>("firstPix", "firstPix", FieldForm::Integer, 0, 0),
    field<&SpectrumRecord::pixInc>  ("pixInc",   "pixInc",   FieldForm::Integer, 0, 0),
    field<&SpectrumRecord::numPix>  ("numPix",   "numPix",   FieldForm::Integer, 0, 0),
}};
// clang-format on

} // namespace

const std::array<RecordField, RECORD_FIELDS>& recordFields()
{
    return fields;
}
