#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "tile/Repeat.h"

// The repeat's unit as a picture of its own: the smallest picture that, laid edge to edge,
// gives the repeat, for saving and for a web page's background. It keeps the picture's
// resolution and transparency.
namespace RepeatUnit {

// A unit above this many pixels is not made: it would take over 256 MB.
constexpr qint64 MaxPixels = 64LL * 1024 * 1024;

// The unit, or a null picture when the picture is null or the unit too large.
QImage of(const QImage& picture, const Repeat& repeat);
// "oak-half-drop.png" for "oak.jpg"; "oak-straight.png" edge to edge.
QString fileName(const QString& pictureFile, const Repeat& repeat);
// The PNG file's bytes; empty when the unit does not encode.
QByteArray png(const QImage& unit);
// Writes the unit as PNG at `path`, whole or not at all. Never over `source`, the picture it
// came from: false, with the reason in *why, for that and for any failure to write.
bool save(const QImage& unit, const QString& path, const QString& source, QString* why);

} // namespace RepeatUnit
