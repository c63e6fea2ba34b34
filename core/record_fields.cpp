#include "core/record_fields.h"

#include <cstdint>
#include <limits>

namespace {

// The packed record's fields cannot be bound to references or reached
// through pointers to members (they may sit at odd addresses): each field's
// access is a function that names it.
template <typename T>
constexpr RecordField integer(const char* columnLabel, const char* rowLabel,
                              double (*value)(const SpectrumRecord&), void (*store)(SpectrumRecord&, double))
{
    return {columnLabel, rowLabel, FieldForm::Integer, 0, 0, std::numeric_limits<T>::min(),
            std::numeric_limits<T>::max(), value, store};
}

constexpr RecordField real(const char* columnLabel, const char* rowLabel, FieldForm form, int rowPrecision,
                           int labelCellPrecision, double (*value)(const SpectrumRecord&),
                           void (*store)(SpectrumRecord&, double))
{
    return {columnLabel, rowLabel, form, rowPrecision, labelCellPrecision, 0, 0, value, store};
}

#define FIELD_ACCESS(member)                                                                                         \
    [](const SpectrumRecord& r) { return static_cast<double>(r.member); },                                          \
        [](SpectrumRecord& r, double v) { r.member = static_cast<decltype(r.member)>(v); }

// clang-format off
const std::array<RecordField, RECORD_FIELDS> fields{{
    integer<int32_t>("Time",     "Time",                              FIELD_ACCESS(time)),
    real            ("temp",     "temp",     FieldForm::Fixed,   1, 2, FIELD_ACCESS(temp)),
    real            ("volts",    "volts",    FieldForm::Fixed,   2, 2, FIELD_ACCESS(volts)),
    real            ("depth",    "depth",    FieldForm::Fixed,   2, 2, FIELD_ACCESS(depth)),
    integer<int16_t>("process",  "process",                           FIELD_ACCESS(process)),
    integer<int16_t>("N",        "N",                                 FIELD_ACCESS(N)),
    real            ("scale",    "Scale",    FieldForm::General, 4, 4, FIELD_ACCESS(scale)),
    real            ("Do",       "Do",       FieldForm::General, 4, 4, FIELD_ACCESS(Do)),
    real            ("Dt",       "Dt",       FieldForm::General, 4, 4, FIELD_ACCESS(Dt)),
    integer<int32_t>("IntTime",  "intTime",                           FIELD_ACCESS(intTime)),
    integer<int16_t>("firstPix", "firstPix",                          FIELD_ACCESS(firstPix)),
    integer<int16_t>("pixInc",   "pixInc",                            FIELD_ACCESS(pixInc)),
    integer<int16_t>("numPix",   "numPix",                            FIELD_ACCESS(numPix)),
}};
// clang-format on

#undef FIELD_ACCESS

} // namespace

const std::array<RecordField, RECORD_FIELDS>& recordFields()
{
    return fields;
}
