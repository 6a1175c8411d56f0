#include "tile/TileMode.h"

#include <QStringList>

#include <algorithm>

TileMode::Axis TileMode::toggled(Axis current, Axis pressed)
{
    return current == pressed ? Axis::Both : pressed;
}

int TileMode::clampZoom(int zoom)
{
    return std::clamp(zoom, MinZoom, MaxZoom);
}

QString TileMode::captionSuffix() const
{
    QStringList parts;
    if (offset)
        parts << QStringLiteral("offset");
    if (grid)
        parts << QStringLiteral("grid");
    if (axis == Axis::Across)
        parts << QStringLiteral("across");
    else if (axis == Axis::Down)
        parts << QStringLiteral("down");
    if (zoom != MinZoom)
        parts << QStringLiteral("%1\u00d7").arg(zoom);
    return parts.join(QStringLiteral(", "));
}
