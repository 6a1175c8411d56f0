#include "tile/TileMode.h"

#include <QCoreApplication>
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
    if (!repeat.isStraight())
        parts << repeat.name();
    if (offset)
        parts << tr("offset");
    if (grid)
        parts << tr("grid");
    if (seamMap)
        parts << tr("seam map");
    if (axis == Axis::Across)
        parts << tr("across");
    else if (axis == Axis::Down)
        parts << tr("down");
    if (realSize)
        parts << tr("real size");
    else if (zoom != MinZoom)
        parts << tr("%1\u00d7").arg(zoom);
    return parts.join(tr(", "));
}
