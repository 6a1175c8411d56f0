#include "tile/Repeat.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

int wrapped(int a, int b)
{
    const int r = a % b;
    return r < 0 ? r + b : r;
}

const char* const FractionWords[] = {QT_TRANSLATE_NOOP("Repeat", "half"),
                                     QT_TRANSLATE_NOOP("Repeat", "third"),
                                     QT_TRANSLATE_NOOP("Repeat", "quarter")};
const char* const FileFractionWords[] = {"half", "third", "quarter"};

} // namespace

Repeat::Repeat(Kind k, int f) : kind(k), fraction(std::clamp(f, MinFraction, MaxFraction)) {}

int Repeat::parts() const
{
    return std::clamp(fraction, MinFraction, MaxFraction);
}

bool Repeat::operator==(const Repeat& other) const
{
    if (kind != other.kind)
        return false;
    return (!isDrop() && !isBrick()) || parts() == other.parts();
}

Repeat Repeat::nextDrop() const
{
    if (!isDrop())
        return Repeat(Kind::Drop, MinFraction);
    return parts() == MaxFraction ? Repeat() : Repeat(Kind::Drop, parts() + 1);
}

Repeat Repeat::nextBrick() const
{
    if (!isBrick())
        return Repeat(Kind::Brick, MinFraction);
    return parts() == MaxFraction ? Repeat() : Repeat(Kind::Brick, parts() + 1);
}

Repeat Repeat::nextMirror() const
{
    switch (kind) {
    case Kind::MirrorAcross:
        return Repeat(Kind::MirrorDown);
    case Kind::MirrorDown:
        return Repeat(Kind::MirrorBoth);
    case Kind::MirrorBoth:
        return Repeat();
    default:
        return Repeat(Kind::MirrorAcross);
    }
}

QString Repeat::name() const
{
    const QString part = tr(FractionWords[parts() - MinFraction]);
    switch (kind) {
    case Kind::Straight:
        return tr("straight");
    case Kind::Drop:
        return tr("%1 drop").arg(part);
    case Kind::Brick:
        return tr("%1 brick").arg(part);
    case Kind::MirrorAcross:
        return tr("mirror across");
    case Kind::MirrorDown:
        return tr("mirror down");
    case Kind::MirrorBoth:
        return tr("mirror both");
    }
    return {};
}

QString Repeat::token() const
{
    switch (kind) {
    case Kind::Straight:
        return QStringLiteral("straight");
    case Kind::Drop:
        return QStringLiteral("drop%1").arg(parts());
    case Kind::Brick:
        return QStringLiteral("brick%1").arg(parts());
    case Kind::MirrorAcross:
        return QStringLiteral("mirror-across");
    case Kind::MirrorDown:
        return QStringLiteral("mirror-down");
    case Kind::MirrorBoth:
        return QStringLiteral("mirror-both");
    }
    return {};
}

std::optional<Repeat> Repeat::fromToken(const QString& token)
{
    const QString wanted = token.trimmed().toLower();
    for (const Repeat& r : all()) {
        if (r.token() == wanted)
            return r;
    }
    return std::nullopt;
}

QString Repeat::fileSuffix() const
{
    const QString part = QLatin1String(FileFractionWords[parts() - MinFraction]);
    if (isDrop())
        return part + QStringLiteral("-drop");
    if (isBrick())
        return part + QStringLiteral("-brick");
    return token();
}

QVector<Repeat> Repeat::all()
{
    QVector<Repeat> out{Repeat()};
    for (const Kind k : {Kind::Drop, Kind::Brick})
        for (int f = MinFraction; f <= MaxFraction; ++f)
            out << Repeat(k, f);
    out << Repeat(Kind::MirrorAcross) << Repeat(Kind::MirrorDown) << Repeat(Kind::MirrorBoth);
    return out;
}

QSize Repeat::unitSize(const QSize& tile) const
{
    const int w = std::max(1, tile.width()), h = std::max(1, tile.height());
    switch (kind) {
    case Kind::Straight:
        return {w, h};
    case Kind::Drop:
        return {w * parts(), h};
    case Kind::Brick:
        return {w, h * parts()};
    case Kind::MirrorAcross:
        return {2 * w, h};
    case Kind::MirrorDown:
        return {w, 2 * h};
    case Kind::MirrorBoth:
        return {2 * w, 2 * h};
    }
    return {w, h};
}

int Repeat::shiftOf(int k, int length) const
{
    if (!isDrop() && !isBrick())
        return 0;
    return int(qint64(wrapped(k, parts())) * length / parts());
}

Repeat::Cell Repeat::cellAt(const QPoint& unitPixel, const QSize& tile) const
{
    const int w = std::max(1, tile.width()), h = std::max(1, tile.height());
    const int x = unitPixel.x(), y = unitPixel.y();
    Cell cell;
    switch (kind) {
    case Kind::Drop:
        cell.inTile = {wrapped(x, w), wrapped(y - shiftOf(x / w, h), h)};
        break;
    case Kind::Brick:
        cell.inTile = {wrapped(x - shiftOf(y / h, w), w), wrapped(y, h)};
        break;
    default:
        cell.inTile = {wrapped(x, w), wrapped(y, h)};
        break;
    }
    cell.source = cell.inTile;
    if (flipsAcross() && wrapped(x / w, 2) == 1)
        cell.source.setX(w - 1 - cell.inTile.x());
    if (flipsDown() && wrapped(y / h, 2) == 1)
        cell.source.setY(h - 1 - cell.inTile.y());
    return cell;
}

QVector<Repeat::Placed> Repeat::tiles(const QSize& tile) const
{
    const int w = std::max(1, tile.width()), h = std::max(1, tile.height());
    QVector<Placed> out;
    switch (kind) {
    case Kind::Straight:
        out.append({QPoint(0, 0)});
        break;
    case Kind::Drop:
        for (int k = 0; k < parts(); ++k)
            out.append({QPoint(k * w, shiftOf(k, h))});
        break;
    case Kind::Brick:
        for (int k = 0; k < parts(); ++k)
            out.append({QPoint(shiftOf(k, w), k * h)});
        break;
    case Kind::MirrorAcross:
        out.append({QPoint(0, 0)});
        out.append({QPoint(w, 0), true, false});
        break;
    case Kind::MirrorDown:
        out.append({QPoint(0, 0)});
        out.append({QPoint(0, h), false, true});
        break;
    case Kind::MirrorBoth:
        out.append({QPoint(0, 0)});
        out.append({QPoint(w, 0), true, false});
        out.append({QPoint(0, h), false, true});
        out.append({QPoint(w, h), true, true});
        break;
    }
    return out;
}
