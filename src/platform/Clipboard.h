#pragma once

class QImage;
class QString;

// The system clipboard.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual void setImage(const QImage& image) = 0;
    virtual void setText(const QString& text) = 0;
};
