#include "preview/TileCss.h"

#include <QCoreApplication>
#include <QUrl>

#include "preview/RepeatUnit.h"
#include "preview/TileGeometry.h"

QString TileCss::urlOf(const QString& fileName)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(fileName, "!$&'()*+,;=:@"));
}

QString TileCss::declarations(const QString& fileName, const TileMode& mode, const QSize& picture,
                              const QColor& background, const QByteArray& unitPng)
{
    const TileGeometry geometry(picture, mode);
    QString repeat = QStringLiteral("repeat");
    if (mode.axis == TileMode::Axis::Across)
        repeat = QStringLiteral("repeat-x");
    else if (mode.axis == TileMode::Axis::Down)
        repeat = QStringLiteral("repeat-y");

    auto px = [](int value) {
        return value == 0 ? QStringLiteral("0") : QStringLiteral("%1px").arg(value);
    };
    QString css;
    css += QStringLiteral("background-color: %1;\n").arg(background.name(QColor::HexRgb));
    if (mode.repeat.isStraight()) {
        css += QStringLiteral("background-image: url(\"%1\");\n").arg(urlOf(fileName));
    } else if (!unitPng.isEmpty() && unitPng.size() < MaxInlineBytes) {
        css += QStringLiteral("background-image: url(\"data:image/png;base64,%1\");\n")
                   .arg(QString::fromLatin1(unitPng.toBase64()));
    } else {
        const QString unitName = RepeatUnit::fileName(fileName, mode.repeat);
        // A comment may not hold "*/": the name is percent-encoded there too.
        css += QStringLiteral("/* %1 */\n")
                   .arg(QCoreApplication::translate(
                            "TileCss", "The %1 repeat's unit: save it as %2 (Ctrl+S in the "
                                       "tiled view) beside this page.")
                            .arg(mode.repeat.name(), urlOf(unitName)));
        css += QStringLiteral("background-image: url(\"%1\");\n").arg(urlOf(unitName));
    }
    css += QStringLiteral("background-repeat: %1;\n").arg(repeat);
    css += QStringLiteral("background-size: %1 %2;\n")
               .arg(px(geometry.step().width()), px(geometry.step().height()));
    if (mode.offset) {
        css += QStringLiteral("background-position: %1 %2;\n")
                   .arg(px(geometry.origin().x()), px(geometry.origin().y()));
    }
    // Browsers smooth an enlarged background unless told to repeat its pixels, as Vadro does.
    if (mode.zoom > TileMode::MinZoom)
        css += QStringLiteral("image-rendering: pixelated;\n");
    return css;
}
