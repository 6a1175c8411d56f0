#pragma once

#include <QByteArray>
#include <QtGlobal>

// Whether a picture file holds the whole picture. Some readers succeed on a cut-off file (the
// JPEG reader fills the missing rows with grey and only warns), so a picture read while its
// program is still writing it needs this check on top of the decode's own verdict. Formats
// it does not know count as complete.
class ImageCompleteness
{
public:
    // How much of a long file's start and end the second form wants.
    static constexpr int HeadBytes = 64;
    static constexpr int TailBytes = 64 * 1024;

    // The whole file in memory: its structure is walked to its end marker.
    static bool isComplete(const QByteArray& bytes);
    // A file too long to hold: its first and last bytes and its length. Looser than the walk,
    // but a cut inside the long middle of a picture is still caught.
    static bool isComplete(const QByteArray& head, const QByteArray& tail, qint64 size);
};
