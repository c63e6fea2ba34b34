#include "private_store.h"

#include "fresh_user_store.h"

// The store and the file types are the registry's: the program's keys go.
void usePrivateStore(const QString&)
{
    removeProgramKeys();
}
