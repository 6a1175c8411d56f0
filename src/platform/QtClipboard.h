#pragma once

#include "platform/Clipboard.h"

// The application's clipboard.
class QtClipboard : public Clipboard
{
public:
    void setImage(const QImage& image) override;
    void setText(const QString& text) override;
};
