#pragma once

#include <QString>

#include <optional>

// The resolution a picture file states in its header, when it is a sane one; read from the
// file's first bytes, never by decoding it.
struct PictureDpi
{
    static std::optional<double> ofFile(const QString& path);
    // The file's resolution, or `chosen` for a file that states none.
    static double ofFile(const QString& path, double chosen);
};
