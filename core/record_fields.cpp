#include "core/record_fields.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace {

// The packed record's fields cannot be bound to references or reached
// through pointers to members (they may sit at odd addresses): each field's
// access is a function that names it. Its offset and type are taken from the
// same member, so that they cannot disagree with its access.
struct Member {
    std::size_t offset;
    BinaryType type;
    double (*value)(const SpectrumRecord&);
    void (*store)(SpectrumRecord&, double);
};

template <typename T>
constexpr BinaryType binaryType()
{
    if constexpr (std::is_same_v<T, int16_t>)
        return BinaryType::Int16;
    else if constexpr (std::is_same_v<T, int32_t>)
        return BinaryType::Int32;
    else {
        static_assert(std::is_same_v<T, float>);
        return BinaryType::Float32;
    }
}

#define MEMBER(member)                                                                                                 \
    Member                                                                                                             \
    {                                                                                                                  \
        offsetof(SpectrumRecord, member), binaryType<decltype(SpectrumRecord::member)>(),                              \
            [](const SpectrumRecord& r) { return static_cast<double>(r.member); },                                     \
            [](SpectrumRecord& r, double v) { r.member = static_cast<decltype(r.member)>(v); }                         \
    }

constexpr RecordField integer(Member m, const char* columnLabel, const char* rowLabel, FieldVariable dataset)
{
    const bool wide = m.type == BinaryType::Int32;
    const long minimum = wide ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int16_t>::min();
    const long maximum = wide ? std::numeric_limits<int32_t>::max() : std::numeric_limits<int16_t>::max();
    return {m.offset, m.type,  columnLabel, rowLabel, FieldForm::Integer, 0, 0, minimum,
            maximum,  dataset, m.value,     m.store};
}

constexpr RecordField real(Member m, const char* columnLabel, const char* rowLabel, FieldForm form, int rowPrecision,
                           int labelCellPrecision, FieldVariable dataset)
{
    return {m.offset,           m.type, columnLabel, rowLabel, form,    rowPrecision,
            labelCellPrecision, 0,      0,           dataset,  m.value, m.store};
}

constexpr const char* NO_UNIT = "The instrument's data files do not state its unit.";
constexpr const char* CARRIED = "Carried through unchanged; 1 when the input form has no such field.";

// clang-format off
constexpr std::array<RecordField, RECORD_FIELDS> fields{{
    integer(MEMBER(time), "Time", "Time",
            {0, "instrument_time", "time stamp recorded by the instrument", nullptr,
             "The instrument's data files state neither the unit nor the epoch of this time stamp."}),
    real(MEMBER(temp), "temp", "temp", FieldForm::Fixed, 1, 2,
         {2, "temperature", "temperature", nullptr, NO_UNIT}),
    real(MEMBER(volts), "volts", "volts", FieldForm::Fixed, 2, 2,
         {3, "volts", "voltage reading", "V", nullptr}),
    real(MEMBER(depth), "depth", "depth", FieldForm::Fixed, 2, 2,
         {4, "depth", "depth", nullptr, NO_UNIT}),
    integer(MEMBER(process), "process", "process",
            {5, "process", "processing level reached by the spectrum's values", "1",
             "0 raw, 1 pixel adjusted, 2 dark adjusted, 3 dark adjusted and time normalized, 4 full cal. A spectrum "
             "whose integration time is not above 0 stays at level 2 whatever level was asked for."}),
    integer(MEMBER(N), "N", "N",
            {6, "N", "count N carried through from the input", "1", CARRIED}),
    real(MEMBER(scale), "scale", "Scale", FieldForm::General, 4, 4,
         {7, "scale", "scale carried through from the input", "1", CARRIED}),
    real(MEMBER(Do), "Do", "Do", FieldForm::General, 4, 4,
         {8, "Do", "dark value Do", "count",
          "Mean raw count of the calibration's Do dark pixels, or as read from the input."}),
    real(MEMBER(Dt), "Dt", "Dt", FieldForm::General, 4, 4,
         {9, "Dt", "dark value Dt", "count",
          "Mean raw count of the calibration's Dt dark pixels, or as read from the input."}),
    integer(MEMBER(intTime), "IntTime", "intTime",
            {1, "integration_time", "integration time as recorded", nullptr, NO_UNIT}),
    integer(MEMBER(firstPix), "firstPix", "firstPix",
            {10, "first_pixel", "detector pixel number of the spectrum's first value", "1", nullptr}),
    integer(MEMBER(pixInc), "pixInc", "pixInc",
            {11, "pixel_increment", "step between the pixel numbers of successive values", "1", nullptr}),
    integer(MEMBER(numPix), "numPix", "numPix",
            {12, "pixel_count", "number of values of the spectrum", "1", nullptr}),
}};
// clang-format on

#undef MEMBER

template <std::size_t N>
constexpr bool eachOnce(const std::array<int, N>& uses)
{
    return std::ranges::all_of(uses, [](int n) { return n == 1; });
}

// The channel, the reserved bytes and the fields fill the record, none
// missing, none twice.
consteval bool fieldsFillTheRecord()
{
    std::array<int, SPECTRUM_RECORD_SIZE> uses{};
    const auto cover = [&uses](std::size_t offset, std::size_t size) {
        for (std::size_t i = offset; i < offset + size; ++i)
            ++uses[i];
    };
    cover(offsetof(SpectrumRecord, channel), sizeof(SpectrumRecord::channel));
    cover(offsetof(SpectrumRecord, reserved), sizeof(SpectrumRecord::reserved));
    for (const RecordField& field : fields)
        cover(field.offset, binarySize(field.type));
    return eachOnce(uses);
}
static_assert(fieldsFillTheRecord());

consteval bool eachDatasetPositionOnce()
{
    std::array<int, RECORD_FIELDS> uses{};
    for (const RecordField& field : fields)
        ++uses.at(static_cast<std::size_t>(field.dataset.position));
    return eachOnce(uses);
}
static_assert(eachDatasetPositionOnce());

consteval bool integerFormsOnIntegers()
{
    return std::ranges::all_of(fields, [](const RecordField& field) {
        return (field.form == FieldForm::Integer) == (field.type != BinaryType::Float32);
    });
}
static_assert(integerFormsOnIntegers());

constexpr std::array<const RecordField*, RECORD_FIELDS> inDatasetOrder()
{
    std::array<const RecordField*, RECORD_FIELDS> order{};
    for (const RecordField& field : fields)
        order[static_cast<std::size_t>(field.dataset.position)] = &field;
    return order;
}

constexpr std::array<const RecordField*, RECORD_FIELDS> datasetOrder = inDatasetOrder();
static_assert(datasetOrder[TIME_VARIABLE]->offset == offsetof(SpectrumRecord, time));
static_assert(datasetOrder[DEPTH_VARIABLE]->offset == offsetof(SpectrumRecord, depth));

} // namespace

const std::array<RecordField, RECORD_FIELDS>& recordFields()
{
    return fields;
}

const std::array<const RecordField*, RECORD_FIELDS>& datasetFields()
{
    return datasetOrder;
}
