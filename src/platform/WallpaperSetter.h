#pragma once

#include <QString>

// Makes a picture file the desktop wallpaper, leaving the desktop's placement style alone.
class WallpaperSetter
{
public:
    virtual ~WallpaperSetter() = default;

    // True when the desktop took the file; otherwise *why says what went wrong.
    virtual bool set(const QString& path, QString* why) = 0;
};
