#pragma once
#include "calibration/cal_table.h"
#include "core/log.h"
#include "core/spectrum_record.h"

#include <cstdint>

// Brings one spectrum in place up to the requested processing level using the
// calibration of its channel in calTable. 0 on success, 1 when refused or a
// step failed.
int16_t processSpectrum(SpectrumRecord& record, float* pixels, int16_t channel, int8_t level, const CalTable& calTable,
                        const Log& log);
