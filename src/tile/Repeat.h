#pragma once

#include <QCoreApplication>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

#include <optional>

// How the tiles of a pattern are laid: edge to edge (straight); each column shifted down from
// the one before by a fraction of the tile's height (drop); each row shifted across by a
// fraction of its width (brick); or alternate tiles flipped (mirror), so that the picture meets
// itself at every flipped edge. A value: the arithmetic of the repeat unit, in picture pixels.
struct Repeat
{
    Q_DECLARE_TR_FUNCTIONS(Repeat)

public:
    enum class Kind
    {
        Straight,
        Drop,
        Brick,
        MirrorAcross, // every other column flipped left to right
        MirrorDown,   // every other row flipped top to bottom
        MirrorBoth    // the tile and its three flips in a 2 x 2 block
    };

    static constexpr int MinFraction = 2;
    static constexpr int MaxFraction = 4;

    Kind kind = Kind::Straight;
    int fraction = MinFraction; // a drop's or a brick's shift is 1/fraction of the tile

    Repeat() = default;
    Repeat(Kind k, int f = MinFraction);

    // The fraction's denominator, within 2..4 whatever was stored in `fraction`.
    int parts() const;

    bool isStraight() const { return kind == Kind::Straight; }
    bool isDrop() const { return kind == Kind::Drop; }
    bool isBrick() const { return kind == Kind::Brick; }
    bool flipsAcross() const { return kind == Kind::MirrorAcross || kind == Kind::MirrorBoth; }
    bool flipsDown() const { return kind == Kind::MirrorDown || kind == Kind::MirrorBoth; }

    // The keys: D steps the drop through 1/2, 1/3, 1/4 and off, B the brick likewise, M the
    // mirror through across, down, both and off. One repeat at a time: a key of another kind
    // starts its own from the beginning.
    Repeat nextDrop() const;
    Repeat nextBrick() const;
    Repeat nextMirror() const;

    // "half drop", "third brick", "mirror across"; "straight".
    QString name() const;
    // "drop2", "brick3", "mirror-both", "straight": for settings and the command line.
    QString token() const;
    static std::optional<Repeat> fromToken(const QString& token);
    // "half-drop": for the names of saved files.
    QString fileSuffix() const;
    // Every repeat in the order the lists show them.
    static QVector<Repeat> all();

    // The smallest picture that repeats edge to edge and gives this repeat, for a tile this big:
    // a half drop is two tiles across and one high, the second column shifted.
    QSize unitSize(const QSize& tile) const;
    // How far column (row) k of a drop (brick) is shifted, in pixels of a side `length` long.
    // Whole pixels that add up to the side over a unit, even where the side does not divide.
    int shiftOf(int k, int length) const;

    // A pixel of the unit: where it lies in its tile as laid (0, 0 is the laid tile's top-left
    // corner) and the picture's pixel shown there.
    struct Cell
    {
        QPoint inTile;
        QPoint source;
    };
    Cell cellAt(const QPoint& unitPixel, const QSize& tile) const;

    // One tile of the unit: its top-left corner in the unit (it may reach past the unit's far
    // edge, where the next unit shows the rest) and whether it is flipped.
    struct Placed
    {
        QPoint corner;
        bool flipX = false;
        bool flipY = false;
    };
    QVector<Placed> tiles(const QSize& tile) const;

    bool operator==(const Repeat& other) const;
    bool operator!=(const Repeat& other) const { return !(*this == other); }
};
