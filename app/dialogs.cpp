#include "app/dialogs.h"

#include <cassert>

namespace {
Dialogs* current = nullptr;
}

Dialogs& dialogs()
{
    assert(current && "setDialogs must run before any window asks a question");
    return *current;
}

void setDialogs(Dialogs* instance)
{
    current = instance;
}
