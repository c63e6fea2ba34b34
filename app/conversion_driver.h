#pragma once
// The window's side of the conversion driver: what "Perform Cal" and the
// start-up conversion share with the converter, done with boxes and dialogs.

#include "driver/conversion_driver.h"

// The driver of the window's runs; its state lasts for the whole process.
ConversionDriver& windowDriver();
