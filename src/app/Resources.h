#pragma once

#include <QtGlobal>

// The icons and artwork live in the static library, whose resource initialiser the linker
// would drop unless something refers to it.
inline void loadVadroResources()
{
    Q_INIT_RESOURCE(vadro);
}
