#pragma once

class QImage;

// The system clipboard.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void setImage(const QImage& image) = 0;
};
