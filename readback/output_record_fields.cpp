#include "readback/output_record_fields.h"

#include "readback/output_lines.h"

bool setRecordField(SpectrumRecord& record, int field, std::string_view cell)
{
    const RecordField& described = recordFields()[static_cast<std::size_t>(field)];
    if (described.form != FieldForm::Integer) {
        float value = 0;
        if (!parseFloat(cell, value))
            return false;
        described.store(record, value);
        return true;
    }
    long value = 0;
    if (!parseLong(cell, value) || value < described.minimum || value > described.maximum)
        return false;
    described.store(record, static_cast<double>(value));
    return true;
}
