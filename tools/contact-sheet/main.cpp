// Writes review sheets of the built-in pictures into the folder given as the
// first argument: contact-sheet-1x/2x.png (every picture, labelled),
// board-composite-1x/2x.png (moles at their game positions over the board) and
// board-zoom-1x/2x.png (a hole's edges enlarged four times, to spot seams).

#include "assets/PictureArt.h"
#include "assets/Pictures.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <array>

using assets::MoleColour;
using assets::MoleStage;
using assets::Picture;

namespace {

// A grey checkerboard shows where a picture is transparent.
void paintChecks(QPainter& painter, const QRect& area) {
    constexpr int Square = 8;
    for (int y = area.top(); y <= area.bottom(); y += Square)
        for (int x = area.left(); x <= area.right(); x += Square)
            painter.fillRect(QRect(x, y, Square, Square).intersected(area),
                             ((x - area.left()) / Square + (y - area.top()) / Square) % 2
                                 ? QColor(150, 150, 150)
                                 : QColor(190, 190, 190));
}

QImage contactSheet(qreal ratio) {
    constexpr int SheetWidth = 1420, Gap = 12, LabelHeight = 16;
    // Lay the pictures out in rows first, to know the sheet's height.
    struct Place {
        Picture picture;
        QPoint at;
    };
    std::vector<Place> places;
    int x = Gap, y = Gap, rowHeight = 0;
    for (int i = 1; i < assets::PictureCount; ++i) {
        const auto picture = static_cast<Picture>(i);
        const QSize size = assets::pictureSize(picture);
        const int width = std::max(size.width(), 100);
        if (x + width > SheetWidth - Gap) {
            x = Gap;
            y += rowHeight + LabelHeight + Gap;
            rowHeight = 0;
        }
        places.push_back({picture, {x, y}});
        x += width + Gap;
        rowHeight = std::max(rowHeight, size.height());
    }
    const int height = y + rowHeight + LabelHeight + Gap;

    QImage sheet(QSize(SheetWidth, height) * ratio, QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(ratio);
    sheet.fill(QColor(60, 60, 60));
    QPainter painter(&sheet);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    painter.setFont(font);
    for (const Place& place : places) {
        const QRect area(place.at, assets::pictureSize(place.picture));
        if (assets::hasTransparency(place.picture))
            paintChecks(painter, area);
        painter.drawPixmap(place.at, assets::pixmap(place.picture, ratio));
        painter.setPen(Qt::white);
        painter.drawText(QPoint(area.left(), area.bottom() + 1 + LabelHeight - 4),
                         assets::pictureName(place.picture));
    }
    return sheet;
}

QImage boardComposite(qreal ratio) {
    QImage image(QSize(640, 400) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    painter.drawPixmap(0, 0, assets::pixmap(Picture::Board, ratio));
    // One stage per hole, mixed so each stage and colour turns up.
    struct Hole {
        MoleStage stage;
        MoleColour colour;
        bool hit;
        bool squeal;
    };
    constexpr std::array<Hole, 9> holes{{
        {MoleStage::Out, MoleColour::Green, true, false},
        {MoleStage::Peek, MoleColour::Pink, false, false},
        {MoleStage::Sink, MoleColour::Blue, false, false},
        {MoleStage::Peek, MoleColour::Green, false, false},
        {MoleStage::Out, MoleColour::Pink, false, false},
        {MoleStage::Out, MoleColour::Blue, true, true},
        {MoleStage::Sink, MoleColour::Green, false, false},
        {MoleStage::Out, MoleColour::Pink, false, true},
        {MoleStage::Sink, MoleColour::Pink, false, false},
    }};
    for (int i = 0; i < 9; ++i) {
        const Hole& hole = holes.at(i);
        // A stage picture stands where its own hole tile covers the board's hole; the hit
        // mark and the open mouth lie on the fully-out picture's eyes and mouth.
        const QPoint tile = assets::art::BoardHoles.at(i);
        const QPoint out = tile - QPoint(0, assets::art::holeTop(MoleStage::Out));
        painter.drawPixmap(tile - QPoint(0, assets::art::holeTop(hole.stage)),
                           assets::pixmap(assets::molePicture(hole.stage, hole.colour), ratio));
        if (hole.hit)
            painter.drawPixmap(out + QPoint(60, 16),
                               assets::pixmap(assets::hitMark(hole.colour), ratio));
        if (hole.squeal)
            painter.drawPixmap(out + QPoint(63, 66), assets::pixmap(Picture::OpenMouth, ratio));
    }
    painter.drawPixmap(230, 104, assets::pixmap(Picture::Countdown2, ratio));
    return image;
}

// The left end of hole 3 (a sinking mole), where the picture's left and bottom
// edges cross the rim and the field, enlarged four times
// with square pixels: any step between picture and board shows at once.
QImage boardZoom(const QImage& composite) {
    const qreal ratio = composite.devicePixelRatio();
    const QRect crop = QRect(QPoint(425, 95), QSize(60, 45));
    const QRect device(crop.topLeft() * ratio, crop.size() * ratio);
    QImage zoomed = composite.copy(device).scaled(device.size() * 4, Qt::IgnoreAspectRatio,
                                                  Qt::FastTransformation);
    zoomed.setDevicePixelRatio(1);
    return zoomed;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: contact-sheet OUTPUT-FOLDER\n";
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        err << "cannot create " << folder.path() << '\n';
        return 1;
    }
    for (const int ratio : {1, 2}) {
        const QString suffix = QStringLiteral("-%1x.png").arg(ratio);
        const QImage composite = boardComposite(ratio);
        const std::array<std::pair<QString, QImage>, 3> outputs{{
            {QStringLiteral("contact-sheet"), contactSheet(ratio)},
            {QStringLiteral("board-composite"), composite},
            {QStringLiteral("board-zoom"), boardZoom(composite)},
        }};
        for (const auto& [name, image] : outputs) {
            const QString path = folder.filePath(name + suffix);
            if (!image.save(path)) {
                err << "cannot write " << path << '\n';
                return 1;
            }
        }
    }
    return 0;
}
