// The built-in pictures: sizes, transparency, how the mole stages line up with
// the board's holes, and where the text and the face details lie.

#include "assets/PictureArt.h"
#include "assets/Pictures.h"

#include <QSet>
#include <QtTest>

using assets::MoleColour;
using assets::MoleStage;
using assets::Picture;

Q_DECLARE_METATYPE(assets::Picture)
Q_DECLARE_METATYPE(assets::MoleStage)
Q_DECLARE_METATYPE(assets::MoleColour)

namespace {

constexpr QRgb BoardBlue = qRgb(4, 2, 252);
constexpr QRgb Navy = qRgb(0, 0, 128);

QImage imageOf(Picture picture, qreal ratio) {
    return assets::pixmap(picture, ratio).toImage().convertToFormat(QImage::Format_ARGB32);
}

QList<Picture> allPictures() {
    QList<Picture> pictures;
    for (int i = 1; i < assets::PictureCount; ++i)
        pictures << static_cast<Picture>(i);
    return pictures;
}

bool isWhite(QRgb pixel) {
    return qRed(pixel) > 235 && qGreen(pixel) > 235 && qBlue(pixel) > 235;
}

// The warm yellow of eye rims and beak, told apart from the rim's lemon yellow.
bool isEyeYellow(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) > 170 && qRed(pixel) - qGreen(pixel) > 20 &&
           qBlue(pixel) < 90;
}

const QList<MoleStage> stages{MoleStage::Peek, MoleStage::Out, MoleStage::Sink};
const QList<MoleColour> colours{MoleColour::Green, MoleColour::Pink, MoleColour::Blue};

const char* stageName(MoleStage stage) {
    return stage == MoleStage::Peek ? "peek" : stage == MoleStage::Out ? "out" : "sink";
}

// Where a stage picture of a hole is shown on the board (1-based row/column).
QPoint stagePosition(MoleStage stage, int row, int column) {
    return {40 + 200 * (column - 1), (stage == MoleStage::Peek ? 63 : 14) + 125 * (row - 1)};
}

// Pixels of `image` inside `region` that satisfy `test`; returns their bounds.
template <typename Test> QRect boundsWhere(const QImage& image, const QRect& region, Test test) {
    QRect bounds;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (test(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class AssetsTest : public QObject {
    Q_OBJECT

private slots:
    void catalogue() {
        QSet<QString> names;
        for (const Picture picture : allPictures()) {
            const QString name = assets::pictureName(picture);
            QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(name));
            names.insert(name);
        }
        for (const MoleStage stage : stages)
            for (const MoleColour colour : colours)
                QCOMPARE(assets::pictureSize(assets::molePicture(stage, colour)),
                         stage == MoleStage::Peek ? QSize(160, 67) : QSize(160, 116));
        QCOMPARE(assets::molePicture(MoleStage::Sink, MoleColour::Blue), Picture::MoleSinkBlue);
        QCOMPARE(assets::hitMark(MoleColour::Pink), Picture::HitMarkPink);
        QVERIFY(assets::pixmap(Picture::None).isNull());
        QCOMPARE(assets::boardPointer().hotSpot(), QPoint(16, 16));
        QVERIFY(!assets::programIcon().isNull());
    }

    void sizeAndRatio_data() {
        QTest::addColumn<Picture>("picture");
        for (const Picture picture : allPictures())
            QTest::newRow(qPrintable(assets::pictureName(picture))) << picture;
    }
    void sizeAndRatio() {
        QFETCH(Picture, picture);
        const QSize size = assets::pictureSize(picture);
        QVERIFY(!size.isEmpty());
        const QPixmap single = assets::pixmap(picture, 1);
        QCOMPARE(single.size(), size);
        QCOMPARE(single.devicePixelRatio(), 1.0);
        const QPixmap twice = assets::pixmap(picture, 2);
        QCOMPARE(twice.size(), size * 2);
        QCOMPARE(twice.devicePixelRatio(), 2.0);
        QCOMPARE(twice.deviceIndependentSize(), QSizeF(size));
        // Rendered once per ratio.
        QCOMPARE(assets::pixmap(picture, 2).cacheKey(), twice.cacheKey());
    }

    void transparency_data() {
        QTest::addColumn<Picture>("picture");
        QTest::addColumn<qreal>("ratio");
        for (const Picture picture : allPictures())
            for (const qreal ratio : {1.0, 2.0})
                QTest::addRow("%s@%gx", qPrintable(assets::pictureName(picture)), ratio)
                    << picture << ratio;
    }
    void transparency() {
        QFETCH(Picture, picture);
        QFETCH(qreal, ratio);
        const bool expected = picture == Picture::ProgramIcon || picture == Picture::BoardPointer ||
                              (picture >= Picture::Countdown3 && picture <= Picture::Countdown1) ||
                              (picture >= Picture::Title1 && picture <= Picture::Title6);
        QCOMPARE(assets::hasTransparency(picture), expected);

        const QImage image = imageOf(picture, ratio);
        int seeThrough = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                seeThrough += qAlpha(image.pixel(x, y)) < 255;
        if (!expected)
            QCOMPARE(seeThrough, 0);
        else
            QVERIFY(seeThrough > 0);

        const int last = image.width() - 1;
        if (picture >= Picture::Countdown3 && picture <= Picture::Countdown1) {
            for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last),
                                        QPoint(last, last), QPoint(int(12 * ratio), 0)})
                QCOMPARE(qAlpha(image.pixel(corner)), 0);
            QCOMPARE(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255);
            QCOMPARE(qAlpha(image.pixel(image.width() / 2, int(4 * ratio))), 255);
            QVERIFY(boundsWhere(image, image.rect(), isWhite).isValid());
        }
        if (picture >= Picture::Title1 && picture <= Picture::Title6) {
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(last, image.height() - 1)), 0);
        }
    }

    // A stage picture shown at its place must agree with the board beneath it
    // wherever the mole leaves the hole tile uncovered, or a seam shows.
    void stagesMatchBoard_data() {
        QTest::addColumn<MoleStage>("stage");
        QTest::addColumn<MoleColour>("colour");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<qreal>("ratio");
        struct Hole {
            QString name;
            int row, column;
        };
        QList<Hole> holes;
        for (int n = 1; n <= 9; ++n)
            holes.append({QStringLiteral("hole%1").arg(n), (n - 1) / 3 + 1, (n - 1) % 3 + 1});
        for (int n = 1; n <= 3; ++n)
            holes.append({QStringLiteral("menu%1").arg(n), 2, n});
        for (const MoleStage stage : stages)
            for (const MoleColour colour : colours)
                for (const Hole& hole : holes)
                    for (const qreal ratio : {1.0, 2.0})
                        QTest::addRow("%s-%d-%s@%gx", stageName(stage), int(colour),
                                      qPrintable(hole.name), ratio)
                            << stage << colour << stagePosition(stage, hole.row, hole.column)
                            << ratio;
        // The first stage of hole 9 is the sinking picture at (440, 264).
        QTest::addRow("hole9-first@1x")
            << MoleStage::Sink << MoleColour::Green << QPoint(440, 264) << 1.0;
    }
    void stagesMatchBoard() {
        QFETCH(MoleStage, stage);
        QFETCH(MoleColour, colour);
        QFETCH(QPoint, position);
        QFETCH(qreal, ratio);
        const QImage board = imageOf(Picture::Board, ratio);
        const QImage picture = imageOf(assets::molePicture(stage, colour), ratio);
        const QImage mole =
            assets::art::moleLayer(stage, colour, ratio).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(mole.size(), picture.size());
        const QPoint origin = position * ratio;

        int compared = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                // The outermost columns are never covered by the mole.
                const bool edge = x < 4 * ratio || x >= picture.width() - 4 * ratio;
                if (qAlpha(mole.pixel(x, y)) != 0) {
                    QVERIFY2(!edge, qPrintable(QStringLiteral("mole at edge %1,%2").arg(x).arg(y)));
                    continue;
                }
                if (picture.pixel(x, y) != board.pixel(origin + QPoint(x, y)))
                    QFAIL(qPrintable(QStringLiteral("seam at %1,%2 of the picture: %3 over %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(picture.pixel(x, y), 8, 16)
                                         .arg(board.pixel(origin + QPoint(x, y)), 8, 16)));
                ++compared;
            }
        }
        // The mole must leave most of the picture to the board: at least the field
        // above the hole's sides and the rim round it.
        QVERIFY2(compared > picture.width() * picture.height() / 3,
                 qPrintable(QString::number(compared)));
        // And the mole is really there.
        QVERIFY(compared < picture.width() * picture.height());
    }

    void board() {
        const QImage board = imageOf(Picture::Board, 1);
        for (const QPoint hole : assets::art::BoardHoles) {
            const QPoint centre = hole + QPoint(80, 25);
            QCOMPARE(board.pixel(centre), qRgb(0, 0, 0));
            QCOMPARE(board.pixel(hole + QPoint(80, 1)), qRgb(252, 254, 4)); // rim, top
            QCOMPARE(board.pixel(hole + QPoint(1, 25)), qRgb(252, 254, 4)); // rim, left
            QCOMPARE(board.pixel(hole + QPoint(0, 0)), BoardBlue);          // outside the oval
            QCOMPARE(board.pixel(hole + QPoint(80, -1)), BoardBlue);        // above the oval
            QCOMPARE(board.pixel(hole + QPoint(80, 50)), BoardBlue);        // below it
            QCOMPARE(board.pixel(hole + QPoint(-1, 25)), BoardBlue);        // left of it
            QCOMPARE(board.pixel(hole + QPoint(160, 25)), BoardBlue);       // right of it
            QVERIFY(board.pixel(hole + QPoint(159, 25)) != BoardBlue);
        }
        QCOMPARE(board.pixel(0, 0), BoardBlue);
        QCOMPARE(board.pixel(639, 399), BoardBlue);
    }

    // The three colours of one picture are one drawing: they differ only where
    // the mole's body is, and not in its eyes or beak.
    void coloursDifferOnlyInBody_data() {
        QTest::addColumn<MoleStage>("stage");
        QTest::addColumn<qreal>("ratio");
        for (const MoleStage stage : stages)
            for (const qreal ratio : {1.0, 2.0})
                QTest::addRow("%s@%gx", stageName(stage), ratio) << stage << ratio;
    }
    void coloursDifferOnlyInBody() {
        QFETCH(MoleStage, stage);
        QFETCH(qreal, ratio);
        const QImage green = imageOf(assets::molePicture(stage, MoleColour::Green), ratio);
        const QImage mole = assets::art::moleLayer(stage, MoleColour::Green, ratio);
        for (const MoleColour other : {MoleColour::Pink, MoleColour::Blue}) {
            const QImage image = imageOf(assets::molePicture(stage, other), ratio);
            int differing = 0, yellowKept = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb a = green.pixel(x, y), b = image.pixel(x, y);
                    if (a != b) {
                        QVERIFY(qAlpha(mole.pixel(x, y)) > 0);
                        ++differing;
                    } else if (isEyeYellow(a) && qAlpha(mole.pixel(x, y)) == 255) {
                        ++yellowKept;
                    }
                }
            }
            QVERIFY(differing > 1000 * ratio * ratio);
            QVERIFY(yellowKept > 40 * ratio * ratio); // eye rims and beak stay yellow
        }
        // The hit marks are the same face in the three colours, stars unchanged.
        const QImage markGreen = imageOf(assets::hitMark(MoleColour::Green), ratio);
        const QImage markPink = imageOf(assets::hitMark(MoleColour::Pink), ratio);
        QVERIFY(markGreen != markPink);
        const QPoint star = QPoint(8, 10) * ratio; // centre of the left star
        QCOMPARE(markGreen.pixel(star), qRgb(0, 0, 0));
        QCOMPARE(markPink.pixel(star), qRgb(0, 0, 0));
    }

    // The hit mark and the open mouth are laid over the fully-out mole at fixed
    // places; its eyes and beak must lie under them.
    void faceUnderOverlays_data() {
        QTest::addColumn<MoleColour>("colour");
        QTest::newRow("green") << MoleColour::Green;
        QTest::newRow("pink") << MoleColour::Pink;
        QTest::newRow("blue") << MoleColour::Blue;
    }
    void faceUnderOverlays() {
        QFETCH(MoleColour, colour);
        const QImage out = imageOf(assets::molePicture(MoleStage::Out, colour), 1);
        const QRect eyes = boundsWhere(out, QRect(40, 0, 80, 55), isEyeYellow);
        QVERIFY(eyes.isValid());
        QVERIFY2(QRect(60, 16, 30, 21).contains(eyes), qPrintable(QString("%1,%2 %3x%4")
                                                                      .arg(eyes.x())
                                                                      .arg(eyes.y())
                                                                      .arg(eyes.width())
                                                                      .arg(eyes.height())));
        QVERIFY(eyes.width() > 20 && eyes.height() > 9);
        const QRect beak = boundsWhere(out, QRect(40, 55, 80, 30), isEyeYellow);
        QVERIFY(QRect(63, 66, 26, 13).contains(beak));
        QVERIFY(beak.width() > 20 && beak.height() > 8);

        // The open mouth is red in the middle on a yellow bill.
        const QImage mouth = imageOf(Picture::OpenMouth, 1);
        const QRgb inside = mouth.pixel(13, 8);
        QVERIFY(qRed(inside) > 150 && qGreen(inside) < 80);
        QVERIFY(isEyeYellow(mouth.pixel(1, 1)) && isEyeYellow(mouth.pixel(24, 11)));
    }

    void pointerHead() {
        const QImage pointer = imageOf(Picture::BoardPointer, 1);
        // The head covers columns 4-17 and rows 5-18, the handle leaves to the lower right.
        QCOMPARE(qAlpha(pointer.pixel(3, 12)), 0);
        QVERIFY(qAlpha(pointer.pixel(4, 12)) > 200); // the round edge, anti-aliased
        QCOMPARE(qAlpha(pointer.pixel(11, 4)), 0);
        QVERIFY(qAlpha(pointer.pixel(11, 5)) > 200);
        QVERIFY(qAlpha(pointer.pixel(11, 18)) > 200);
        QCOMPARE(qAlpha(pointer.pixel(11, 19)), 0);
        const QRgb head = pointer.pixel(12, 14);
        QVERIFY(qRed(head) > 150 && qGreen(head) < 80 && qBlue(head) < 80);
        const QRgb handle = pointer.pixel(24, 25);
        QVERIFY(qGreen(handle) > qRed(handle) + 60);
        QCOMPARE(qAlpha(pointer.pixel(0, 31)), 0);
    }

    // Words in white: centred in their picture, not cut at the edges.
    void whiteWords_data() {
        QTest::addColumn<Picture>("picture");
        for (const Picture picture : allPictures())
            if (picture >= Picture::SettingTimeTitle)
                QTest::newRow(qPrintable(assets::pictureName(picture))) << picture;
    }
    void whiteWords() {
        QFETCH(Picture, picture);
        for (const qreal ratio : {1.0, 2.0}) {
            const QImage image = imageOf(picture, ratio);
            const QRect ink = boundsWhere(image, image.rect(), isWhite);
            QVERIFY(ink.isValid());
            // Away from the edges (the bevel's light rim is not white).
            const QRect inner = image.rect().adjusted(3 * ratio, 3 * ratio, -3 * ratio, -3 * ratio);
            QVERIFY(inner.contains(ink));
            QVERIFY(ink.height() > 10 * ratio);
            const int left = ink.left(), right = image.width() - 1 - ink.right();
            QVERIFY2(std::abs(left - right) <= 3 * ratio,
                     qPrintable(QStringLiteral("%1 vs %2").arg(left).arg(right)));
        }
    }

    void titleCharacters() {
        for (int i = 0; i < 6; ++i) {
            const auto picture = static_cast<Picture>(int(Picture::Title1) + i);
            const QImage image = imageOf(picture, 1);
            const QRect yellow = boundsWhere(image, image.rect(), [](QRgb p) {
                return qAlpha(p) == 255 && qRed(p) > 230 && qGreen(p) > 230 && qBlue(p) < 60;
            });
            QVERIFY(yellow.width() > 20 && yellow.height() > 20);
            // Outline and all stay inside the picture.
            const QRect ink =
                boundsWhere(image, image.rect(), [](QRgb p) { return qAlpha(p) > 0; });
            QVERIFY2(image.rect().adjusted(1, 1, -1, -1).contains(ink),
                     qPrintable(assets::pictureName(picture)));
        }
        // ん appears twice and is drawn the same.
        QCOMPARE(imageOf(Picture::Title4, 1), imageOf(Picture::Title6, 1));
        QVERIFY(imageOf(Picture::Title1, 1) != imageOf(Picture::Title5, 1));
    }

    // All eleven lines are there, none runs past the right edge.
    void howToPlayLines() {
        for (const qreal ratio : {1.0, 2.0}) {
            const QImage image = imageOf(Picture::HowToPlay, ratio);
            QCOMPARE(image.pixel(0, 0), Navy);
            QList<int> linesFound;
            bool inLine = false;
            for (int y = 0; y < image.height(); ++y) {
                const bool white =
                    boundsWhere(image, QRect(0, y, image.width(), 1), isWhite).isValid();
                if (white && !inLine)
                    linesFound << y;
                inLine = white;
            }
            // Line tops, allowing for characters that do not reach the top.
            QVERIFY2(linesFound.size() >= 11, qPrintable(QString::number(linesFound.size())));
            const QRect ink = boundsWhere(image, image.rect(), isWhite);
            QVERIFY(ink.right() < image.width() - 2 * ratio);
            QVERIFY(ink.bottom() < image.height() - 2 * ratio);
        }
    }

    // The value labels are navy and laid over these rectangles: the table must
    // be navy under and right round them, with the per-cent sign after the last.
    void resultsTableCells() {
        const QList<QRect> values{QRect(188, 12, 108, 34), QRect(188, 63, 108, 34),
                                  QRect(188, 106, 108, 34), QRect(188, 150, 108, 34),
                                  QRect(213, 200, 58, 34)};
        for (const qreal ratio : {1.0, 2.0}) {
            const QImage table = imageOf(Picture::ResultsTable, ratio);
            for (const QRect& cell : values) {
                const QRect device(cell.topLeft() * ratio, cell.size() * ratio);
                const QRect around = device.adjusted(-ratio, -ratio, ratio, ratio);
                const QRect off = boundsWhere(table, around, [](QRgb p) { return p != Navy; });
                QVERIFY2(!off.isValid(),
                         qPrintable(
                             QStringLiteral("%1,%2 at %3x").arg(off.x()).arg(off.y()).arg(ratio)));
            }
            const QRect percent =
                boundsWhere(table, QRect(QPoint(271, 200) * ratio, QSize(26, 34) * ratio), isWhite);
            QVERIFY(percent.isValid());
            QVERIFY(percent.left() >= 271 * ratio);
            // Each label cell carries its word.
            for (const int top : {10, 60, 108, 196})
                QVERIFY(boundsWhere(table, QRect(QPoint(10, top) * ratio, QSize(160, 40) * ratio),
                                    isWhite)
                            .isValid());
            // Yellow rules between the rows.
            QCOMPARE(table.pixel(QPoint(100, 54) * ratio), qRgb(252, 254, 4));
            QCOMPARE(table.pixel(QPoint(182, 120) * ratio), qRgb(252, 254, 4));
        }
    }

    void pointAreaExplains() {
        const QImage image = imageOf(Picture::PointArea, 1);
        QCOMPARE(image.pixel(2, 2), BoardBlue);
        const QRect red = boundsWhere(image, image.rect(), [](QRgb p) {
            return qRed(p) > 220 && qGreen(p) < 40 && qBlue(p) < 40;
        });
        const QRect balloon = boundsWhere(image, image.rect(), [](QRgb p) {
            return qRed(p) > 245 && qGreen(p) > 245 && qBlue(p) > 150 && qBlue(p) < 200;
        });
        QVERIFY(red.isValid() && balloon.isValid());
        // The balloon's text is written inside it.
        QVERIFY(balloon.width() > 90 && balloon.height() > 35);
    }
};

QTEST_MAIN(AssetsTest)
#include "tst_assets.moc"
