#pragma once

#include <QPoint>

// The mouse position on the screen, injectable because offscreen test moves do not move it.
class CursorSource
{
public:
    virtual ~CursorSource() = default;
    virtual QPoint globalPosition() const = 0;
};
