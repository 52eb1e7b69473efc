#include "assets/PictureArt.h"

#include "assets/Captions.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QSvgRenderer>

#include <iterator>

namespace assets::art {
namespace {

constexpr QRgb Field = qRgb(4, 2, 252); // the board's blue
constexpr QRgb Navy = qRgb(0, 0, 128);
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Yellow = qRgb(252, 254, 4);

// ---------------------------------------------------------------- helpers

QSize deviceSize(QSize logical, qreal ratio) {
    return {qRound(logical.width() * ratio), qRound(logical.height() * ratio)};
}

QPoint devicePoint(QPoint logical, qreal ratio) {
    return {qRound(logical.x() * ratio), qRound(logical.y() * ratio)};
}

QImage blankImage(QSize logical, qreal ratio, QRgb fill = 0) {
    QImage image(deviceSize(logical, ratio), QImage::Format_ARGB32_Premultiplied);
    image.fill(fill == 0 ? QColor(Qt::transparent) : QColor(fill));
    return image;
}

// The mole SVGs are drawn in green; these are the body colours that change.
struct BodyPalette {
    const char* main;
    const char* light;
    const char* dark;
    const char* speckle;
    const char* outline;
};

constexpr BodyPalette Green{"#2fae3a", "#8ce884", "#17702a", "#1f8c2e", "#0c3a14"};
constexpr BodyPalette Pink{"#e040c0", "#ffa8f0", "#9a1884", "#c02aa6", "#4a0a40"};
constexpr BodyPalette Blue{"#30c0ec", "#b0f4ff", "#1680b0", "#1ca0cc", "#0a3a50"};

QByteArray svgSource(const QString& name, MoleColour colour = MoleColour::Green) {
    QFile file(QStringLiteral(":/assets/pictures/%1.svg").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        qWarning("assets: missing picture source %s", qPrintable(file.fileName()));
    QByteArray source = file.readAll();
    if (colour != MoleColour::Green) {
        const BodyPalette& to = colour == MoleColour::Pink ? Pink : Blue;
        source.replace(Green.main, to.main)
            .replace(Green.light, to.light)
            .replace(Green.dark, to.dark)
            .replace(Green.speckle, to.speckle)
            .replace(Green.outline, to.outline);
    }
    return source;
}

// Draws an SVG stretched over the whole of `target`, in the painter's coordinates.
void paintSvg(QPainter& painter, const QString& name, const QRectF& target,
              MoleColour colour = MoleColour::Green) {
    QSvgRenderer renderer(svgSource(name, colour));
    renderer.render(&painter, target);
}

QImage svgImage(const QString& name, QSize logical, qreal ratio,
                MoleColour colour = MoleColour::Green) {
    QImage image = blankImage(logical, ratio);
    QPainter painter(&image);
    paintSvg(painter, name, QRectF(QPointF(0, 0), QSizeF(image.size())), colour);
    return image;
}

// A painter in logical coordinates over a device-sized image.
void beginLogical(QPainter& painter, qreal ratio) {
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    painter.scale(ratio, ratio);
}

QFont textFont(const char* family, int pixelSize, bool bold = false) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Centres a line in `box` by its advance and the font's ascent, on whole device
// pixels so the glyphs stay sharp. Drawn unscaled at device size, because Qt
// only thickens synthetic bold for untransformed text.
void drawCentred(QPainter& painter, const QRectF& box, const QString& text, QFont font,
                 QRgb colour) {
    const QTransform toDevice = painter.transform();
    font.setPixelSize(qRound(font.pixelSize() * toDevice.m11()));
    const QFontMetricsF metrics(font);
    const QPointF centre = toDevice.map(box.center());
    const qreal x = std::round(centre.x() - metrics.horizontalAdvance(text) / 2);
    const qreal baseline = std::round(centre.y() + (metrics.ascent() - metrics.descent()) / 2);
    painter.save();
    painter.resetTransform();
    painter.setFont(font);
    painter.setPen(QColor(colour));
    painter.drawText(QPointF(x, baseline), text);
    painter.restore();
}

// A glyph as an outline, centred on its ink in `box`; for the big characters.
QPainterPath centredGlyphs(const QString& text, const QFont& font, const QRectF& box) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF ink = path.boundingRect();
    path.translate(box.center() - ink.center());
    return path;
}

// ---------------------------------------------------------------- board and moles

QImage holeTile(qreal ratio) {
    return svgImage("hole", {HoleWidth, HoleHeight}, ratio);
}

QImage board(qreal ratio) {
    QImage image = blankImage(pictureSize(Picture::Board), ratio, Field);
    const QImage tile = holeTile(ratio);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QPoint hole : BoardHoles)
        painter.drawImage(devicePoint(hole, ratio), tile);
    return image;
}

const char* stageSource(MoleStage stage) {
    switch (stage) {
    case MoleStage::Peek:
        return "mole-peek";
    case MoleStage::Out:
        return "mole-out";
    case MoleStage::Sink:
        break;
    }
    return "mole-sink";
}

QImage stagePicture(MoleStage stage, MoleColour colour, qreal ratio) {
    const QSize size = pictureSize(molePicture(stage, colour));
    QImage image = blankImage(size, ratio, Field);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(devicePoint({0, holeTop(stage)}, ratio), holeTile(ratio));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, moleLayer(stage, colour, ratio));
    return image;
}

QImage hitMarkPicture(MoleColour colour, qreal ratio) {
    return svgImage("hit-mark", pictureSize(hitMark(colour)), ratio, colour);
}

// ---------------------------------------------------------------- characters

QImage countdown(int numeral, qreal ratio) {
    const QSize size = pictureSize(Picture::Countdown3);
    QImage image = svgImage("countdown", size, ratio);
    QPainter painter(&image);
    beginLogical(painter, ratio);
    const QPainterPath glyph =
        centredGlyphs(QString::number(numeral), textFont("IPAMincho", 150), QRectF(QPoint(), size));
    painter.setPen(QPen(QColor(96, 0, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(glyph.translated(2, 3)); // a soft drop shadow
    painter.setPen(QPen(QColor(White), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(White));
    painter.drawPath(glyph);
    return image;
}

QImage titleCharacter(int index, qreal ratio) {
    const QSize size = pictureSize(Picture::Title1);
    QImage image = blankImage(size, ratio);
    QPainter painter(&image);
    beginLogical(painter, ratio);
    const QPainterPath glyph =
        centredGlyphs(gameTitle().at(index), textFont("IPAGothic", 36), QRectF(QPoint(), size));
    // A dark outline under a thickened yellow fill keeps the character bold and
    // readable on both the blue board and black.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(72, 24, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(glyph);
    painter.setPen(QPen(QColor(Yellow), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(Yellow));
    painter.drawPath(glyph);
    return image;
}

// ---------------------------------------------------------------- text pictures

QImage howToPlay(qreal ratio) {
    static const QStringList lines{
        QStringLiteral("「ゲーム」をクリックするとゲーム画面に変わり"),
        QStringLiteral("ます。ゲーム画面で、「スタート」をクリックす"),
        QStringLiteral("るとゲーム開始です。もぐらがランダムに出てき"),
        QStringLiteral("ますから、完全に姿を現したもぐらの目のあたり"),
        QStringLiteral("をクリックして下さい。時々、ダミーもぐらも出"),
        QStringLiteral("現します。「設定」をクリックすると、「ゲーム"),
        QStringLiteral("時間」「もぐらスピード」「ポイントエリア」"),
        QStringLiteral("「もぐらの最大出現数」を５段階で設定すること"),
        QStringLiteral("ができます。ゲームの後、「ぽこぺんぱん」の腕"),
        QStringLiteral("前の判定が出ますから、頑張って下さい。"),
        QStringLiteral("（設定レベルごとに判定ラインが変わります）"),
    };
    QImage image = blankImage(pictureSize(Picture::HowToPlay), ratio, Navy);
    QPainter painter(&image);
    beginLogical(painter, ratio);
    painter.setFont(textFont("IPAGothic", 15));
    painter.setPen(QColor(White));
    constexpr int Left = 8, FirstBaseline = 20, LineStep = 25;
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QPointF(Left, FirstBaseline + i * LineStep), lines.at(i));
    return image;
}

QImage settingTitle(Picture picture, qreal ratio) {
    const QString text = captions(picture).value(0);
    const QSize size = pictureSize(picture);
    QImage image = blankImage(size, ratio, Field);
    QPainter painter(&image);
    beginLogical(painter, ratio);
    drawCentred(painter, QRectF(QPoint(), size), text, textFont("IPAGothic", 16, true), White);
    return image;
}

QImage button(Picture picture, qreal ratio) {
    const bool red = picture == Picture::ButtonStart || picture == Picture::ButtonOwari ||
                     picture == Picture::ButtonModoru || picture == Picture::ButtonGame;
    const QSize size = pictureSize(picture);
    QImage image = svgImage(red ? "button-red" : "button-blue", size, ratio);
    QPainter painter(&image);
    beginLogical(painter, ratio);
    // The bevel is lighter above, so the words sit a hair low to look centred.
    drawCentred(painter, QRectF(0, 1, size.width(), size.height() - 1), captions(picture).value(0),
                textFont("IPAGothic", 15, true), White);
    return image;
}

QImage resultsTable(qreal ratio) {
    const QSize size = pictureSize(Picture::ResultsTable);
    QImage image = svgImage("results-table", size, ratio);
    QPainter painter(&image);
    beginLogical(painter, ratio);
    // Label cells, matching the cells drawn in results-table.svg.
    struct Row {
        int top;
        int bottom;
        QRgb ink;
    };
    static constexpr Row rows[]{
        {3, 53, White}, {56, 100, White}, {103, 144, White}, {147, 190, Navy}, {193, 244, White},
    };
    const QStringList texts = captions(Picture::ResultsTable);
    const QFont font = textFont("IPAGothic", 20, true);
    for (int i = 0; i < std::ssize(rows); ++i)
        drawCentred(painter, QRectF(3, rows[i].top, 178, rows[i].bottom - rows[i].top),
                    texts.value(i), font, rows[i].ink);
    // The per-cent sign follows the last value label (x 213-270).
    drawCentred(painter, QRectF(271, 200, 24, 34), QStringLiteral("%"), font, White);
    return image;
}

QImage pointArea(qreal ratio) {
    const QSize size = pictureSize(Picture::PointArea);
    QImage image = blankImage(size, ratio, Field);
    // A smaller green mole in the lower left; point-area.svg draws the red
    // frame round its eyes and the balloon to match this placement.
    constexpr qreal MoleScale = 0.8;
    const QImage mole = stagePicture(MoleStage::Out, MoleColour::Green, ratio * MoleScale);
    QPainter painter(&image);
    painter.drawImage(devicePoint({14, 54}, ratio), mole);
    paintSvg(painter, "point-area", QRectF(QPointF(0, 0), QSizeF(image.size())));
    beginLogical(painter, ratio);
    const QFont font = textFont("IPAGothic", 14, true);
    drawCentred(painter, QRectF(102, 8, 104, 20), QStringLiteral("このあたりが"), font, Navy);
    drawCentred(painter, QRectF(102, 28, 104, 20), QStringLiteral("ポイントエリア"), font,
                qRgb(200, 0, 0));
    return image;
}

} // namespace

int holeTop(MoleStage stage) {
    return stage == MoleStage::Peek ? 17 : 66;
}

QImage moleLayer(MoleStage stage, MoleColour colour, qreal ratio) {
    const QSize size = pictureSize(molePicture(stage, colour));
    QImage layer = svgImage(stageSource(stage), size, ratio, colour);

    // What the front lip hides: everything below the hole's middle that is not
    // inside the black opening. Drawn from the tile's own device position.
    QImage visible = blankImage(size, ratio);
    {
        QPainter mask(&visible);
        mask.setRenderHint(QPainter::Antialiasing);
        mask.translate(devicePoint({0, holeTop(stage)}, ratio));
        mask.scale(ratio, ratio);
        mask.setPen(Qt::NoPen);
        mask.setBrush(Qt::black);
        mask.drawRect(QRectF(0, -holeTop(stage) - 1, HoleWidth, holeTop(stage) + 1 + 25));
        mask.drawEllipse(QPointF(80, 25), 77, 22); // the rim's inner edge, see hole.svg
    }
    QPainter painter(&layer);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, visible);
    return layer;
}

QImage render(Picture picture, qreal ratio) {
    QImage image;
    switch (picture) {
    case Picture::None:
        return {};
    case Picture::Board:
        image = board(ratio);
        break;
    case Picture::ProgramIcon:
        image = svgImage("program-icon", pictureSize(picture), ratio);
        break;
    case Picture::BoardPointer:
        image = svgImage("board-pointer", pictureSize(picture), ratio);
        break;
    case Picture::MolePeekGreen:
    case Picture::MolePeekPink:
    case Picture::MolePeekBlue:
    case Picture::MoleOutGreen:
    case Picture::MoleOutPink:
    case Picture::MoleOutBlue:
    case Picture::MoleSinkGreen:
    case Picture::MoleSinkPink:
    case Picture::MoleSinkBlue: {
        // The catalogue lists the moles stage by stage, each in green, pink and blue.
        const int i = int(picture) - int(Picture::MolePeekGreen);
        image = stagePicture(MoleStage(i / 3), MoleColour(i % 3), ratio);
        break;
    }
    case Picture::HitMarkGreen:
    case Picture::HitMarkPink:
    case Picture::HitMarkBlue:
        image = hitMarkPicture(MoleColour(int(picture) - int(Picture::HitMarkGreen)), ratio);
        break;
    case Picture::OpenMouth:
        image = svgImage("open-mouth", pictureSize(picture), ratio);
        break;
    case Picture::Countdown3:
    case Picture::Countdown2:
    case Picture::Countdown1:
        image = countdown(3 - (int(picture) - int(Picture::Countdown3)), ratio);
        break;
    case Picture::ResultsTable:
        image = resultsTable(ratio);
        break;
    case Picture::Title1:
    case Picture::Title2:
    case Picture::Title3:
    case Picture::Title4:
    case Picture::Title5:
    case Picture::Title6:
        image = titleCharacter(int(picture) - int(Picture::Title1), ratio);
        break;
    case Picture::HowToPlay:
        image = howToPlay(ratio);
        break;
    case Picture::PointArea:
        image = pointArea(ratio);
        break;
    case Picture::SettingTimeTitle:
    case Picture::SettingSpeedTitle:
    case Picture::SettingAreaTitle:
    case Picture::SettingCountTitle:
        image = settingTitle(picture, ratio);
        break;
    case Picture::ButtonStart:
    case Picture::ButtonOwari:
    case Picture::ButtonSettei:
    case Picture::ButtonHantei:
    case Picture::ButtonModoru:
    case Picture::ButtonGame:
    case Picture::ButtonAsobikata:
    case Picture::ButtonSetteiChushi:
    case Picture::ButtonSetteiKanryo:
        image = button(picture, ratio);
        break;
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace assets::art
