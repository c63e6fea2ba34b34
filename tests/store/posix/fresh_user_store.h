#pragma once
// Each test's store of its own: a SQLite file in a fresh folder.

#include "temp_config_home.h"

using FreshUserStore = TempConfigHome;
