#include "app/display_check.h"

bool displayAvailable()
{
    return true;
}
