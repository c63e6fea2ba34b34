#pragma once

// Whether the windows have somewhere to show: a Unix session may have no
// display at all (a login over ssh, a service), a Windows session always has.
bool displayAvailable();
