#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

#include "tile/TileMode.h"

// The CSS that makes a web page's background look like the tiled view: the picture by its
// file name, the repeat, the page colour, the zoom as a background size and the offset as a
// background position. A drop, brick or mirror is the repeat's unit laid edge to edge: the
// unit's PNG inline when it is small, else the name to save it under. The grid and the seam
// map are checking aids and have no CSS.
namespace TileCss {

// An inline PNG from this size on would make the CSS too long to paste.
constexpr int MaxInlineBytes = 256 * 1024;

// One declaration a line, each ending in ";\n". `picture` is the picture's size in pixels;
// `unitPng` the repeat's unit as PNG (RepeatUnit), unused edge to edge.
QString declarations(const QString& fileName, const TileMode& mode, const QSize& picture,
                     const QColor& background, const QByteArray& unitPng = {});
// The file name for url("…"): percent-encoded, so that quotes, backslashes, spaces and line
// breaks in a name cannot end the string.
QString urlOf(const QString& fileName);

} // namespace TileCss
