#include "platform/FontconfigCatalog.h"

#include <QCollator>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

namespace {

struct ConfigDeleter
{
    void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};
struct PatternDeleter
{
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct ObjectSetDeleter
{
    void operator()(FcObjectSet* o) const { FcObjectSetDestroy(o); }
};
struct FontSetDeleter
{
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};

} // namespace

QStringList FontconfigCatalog::trueTypeFamilies() const
{
    std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
    if (!config)
        return {};
    std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
    std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(
        FcObjectSetBuild(FC_FAMILY, FC_FONTFORMAT, FC_OUTLINE, nullptr));
    if (!pattern || !objects)
        return {};
    std::unique_ptr<FcFontSet, FontSetDeleter> fonts(
        FcFontList(config.get(), pattern.get(), objects.get()));
    if (!fonts)
        return {};

    QSet<QString> seen;
    QStringList families;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        FcChar8* format = nullptr;
        FcBool outline = FcFalse;
        FcChar8* family = nullptr;
        if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch ||
            FcPatternGetBool(font, FC_OUTLINE, 0, &outline) != FcResultMatch ||
            FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch)
            continue;
        // Bitmap-only sfnt files (.otb) also call themselves TrueType; only outlines count.
        if (qstrcmp(reinterpret_cast<const char*>(format), "TrueType") != 0 || !outline)
            continue;
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(family));
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        families.append(name);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(families.begin(), families.end(), [&collator](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return families;
}
