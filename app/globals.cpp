#include "app/globals.h"

Globals g;

QString CatalogueEntry(int index) {
    if (index < 0 || index > CatalogueCapacity)
        return {};
    return g.ImageArray[static_cast<size_t>(index)];
}
