#pragma once

#include "platform/FontCatalog.h"

// fontconfig's view of the machine's fonts, read afresh on each call (so FONTCONFIG_FILE counts).
class FontconfigCatalog : public FontCatalog
{
public:
    QStringList trueTypeFamilies() const override;
};
