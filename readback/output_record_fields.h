#pragma once
// The thirteen per-spectrum fields of the text outputs read back from their
// cells (see core/record_fields.h).

#include "core/record_fields.h"
#include "core/spectrum_record.h"

#include <string_view>

// Sets field `field` of the record from its cell; false when the cell is
// not a number that field can hold.
bool setRecordField(SpectrumRecord& record, int field, std::string_view cell);
