#include "desktop/posix/desktop_icons.h"

namespace desktop {

const std::string& dataFileIconSvg()
{
    static const std::string svg =
        R"(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <path d="M14 4h26l12 12v44H14z" fill="#f4f7fb" stroke="#3b5a7a" stroke-width="2"/>
  <path d="M40 4v12h12" fill="#d5e1ee" stroke="#3b5a7a" stroke-width="2"/>
  <path d="M18 50c5-2 7-26 12-26s5 16 9 16 4-10 9-12" fill="none" stroke="#1f7a8c" stroke-width="3"/>
  <path d="M18 54h30" stroke="#3b5a7a" stroke-width="2"/>
</svg>
)";
    return svg;
}

const std::string& programIconSvg()
{
    static const std::string svg =
        R"(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <rect x="4" y="4" width="56" height="56" rx="10" fill="#17344f"/>
  <path d="M10 48c6-2 9-34 16-34s7 22 12 22 6-12 16-14" fill="none" stroke="#5fd3e0" stroke-width="4" stroke-linecap="round"/>
  <path d="M10 54h44" stroke="#9fb6cc" stroke-width="2"/>
</svg>
)";
    return svg;
}

} // namespace desktop
