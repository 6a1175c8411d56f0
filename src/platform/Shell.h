#pragma once

class QUrl;

// Hands a document or an address to the desktop, which picks the program that opens it.
class Shell
{
public:
    virtual ~Shell() = default;
    // False when the desktop found nothing to open it with; the desktop says why, if anything.
    virtual bool open(const QUrl& url) = 0;
};

// QDesktopServices: xdg-open or the desktop's own launcher.
class DesktopShell : public Shell
{
public:
    bool open(const QUrl& url) override;
};
