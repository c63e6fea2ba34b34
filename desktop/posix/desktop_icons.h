#pragma once
// The program's icons as SVG documents.

#include <string>

namespace desktop {

// A data sheet with a spectrum trace, for the data file types.
const std::string& dataFileIconSvg();
// The program's own icon, for its desktop entry.
const std::string& programIconSvg();

} // namespace desktop
