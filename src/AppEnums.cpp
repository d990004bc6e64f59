#include "AppEnums.h"

bool BoolStack::pop()
{
    // Pushes and pops come in pairs; an unpaired pop yields "no changes"
    // rather than undefined behaviour.
    if (items.empty())
        return false;
    const bool v = items.back();
    items.pop_back();
    return v;
}
