#include "platform/ImageCompleteness.h"

#include <QBuffer>

#include "platform/ImageHeader.h"

bool ImageCompleteness::isComplete(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ImageHeader::isComplete(buffer);
}

bool ImageCompleteness::isComplete(const QByteArray& head, const QByteArray& tail, qint64 size)
{
    return ImageHeader::endsComplete(head, tail, size);
}
