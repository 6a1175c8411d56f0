#pragma once

#include <QStringList>

// The font families the sample text may use.
class FontCatalog
{
public:
    virtual ~FontCatalog() = default;

    // TrueType outline families, one entry a family, sorted; empty on a machine without any.
    virtual QStringList trueTypeFamilies() const = 0;
};
