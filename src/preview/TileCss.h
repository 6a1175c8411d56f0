#pragma once

#include <QColor>
#include <QSize>
#include <QString>

#include "tile/TileMode.h"

// The CSS that makes a web page's background look like the tiled view: the picture by its
// file name, the repeat, the page colour, the zoom as a background size and the offset as a
// background position. The grid is a checking aid and has no CSS.
namespace TileCss {

// One declaration a line, each ending in ";\n". `picture` is the picture's size in pixels.
QString declarations(const QString& fileName, const TileMode& mode, const QSize& picture,
                     const QColor& background);
// The file name for url("…"): percent-encoded, so that quotes, backslashes, spaces and line
// breaks in a name cannot end the string.
QString urlOf(const QString& fileName);

} // namespace TileCss
