#pragma once
// What the conversion driver (TFrmMain::BtnDoCalClick) keeps from one file
// to the next, for the whole process.

#include <QString>

#include <cstdint>

// The calibration file loaded, or being looked up or chosen.
extern QString CurrentCalFile;
// fileAge of CurrentCalFile right after it was loaded.
extern int32_t CurrentCalFileAge;
// "Ignore Immersion" as it was at the last file looked at.
extern bool CurrentIgnoreImmersion;
