#include "app/display_check.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

bool displayAvailable()
{
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return true;
    }
    return false;
}

const char* windowlessPlatform()
{
    return "offscreen";
}

void tellRefusal(const QString& text)
{
    std::fprintf(stderr, "orvantis: %s\n", text.toLocal8Bit().constData());
}
