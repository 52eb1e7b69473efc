// pokoread: reads a number shown in one of the results panel's value boxes.
//
//   pokoread SCREEN.ppm X Y W H [LARGEST]
//
// The box at (X,Y) W×H of the grab shows white bold Mincho digits 35 px high, centred on
// navy. Every number 0..LARGEST (default 300) is drawn that way here and laid over the
// box at shifts of a few pixels; the closest one wins. Prints "NUMBER DISTANCE RUNNER_UP_DISTANCE"
// (mean difference of grey levels, 0..255); an empty box reads as "-" with its distance.
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

QImage draw(const QString& text, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 128));
    QPainter painter(&image);
    QFont font(QStringLiteral("IPAMincho"));
    font.setPixelSize(35);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, text);
    return image;
}

std::vector<int> greys(const QImage& image) {
    std::vector<int> out;
    out.reserve(size_t(image.width()) * size_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out.push_back(qGray(line[x]));
    }
    return out;
}

// Mean grey difference at the best shift of up to 5 px across and 3 down.
double distance(const std::vector<int>& shown, const std::vector<int>& drawn, int w, int h) {
    double best = std::numeric_limits<double>::max();
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -5; dx <= 5; ++dx) {
            long sum = 0, count = 0;
            for (int y = std::max(0, -dy); y < std::min(h, h - dy); ++y)
                for (int x = std::max(0, -dx); x < std::min(w, w - dx); ++x) {
                    sum +=
                        std::abs(shown[size_t(y * w + x)] - drawn[size_t((y + dy) * w + x + dx)]);
                    ++count;
                }
            if (count > 0)
                best = std::min(best, double(sum) / double(count));
        }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fputs("usage: pokoread SCREEN.ppm X Y W H [LARGEST]\n", stderr);
        return 64;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QImage screen(QString::fromLocal8Bit(argv[1]));
    if (screen.isNull()) {
        std::fprintf(stderr, "pokoread: cannot read %s\n", argv[1]);
        return 2;
    }
    const QRect box(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    const int largest = argc > 6 ? std::atoi(argv[6]) : 300;
    const auto shown = greys(screen.copy(box).convertToFormat(QImage::Format_RGB32));
    const int w = box.width(), h = box.height();

    QString bestText = QStringLiteral("-");
    double best = distance(shown, greys(draw(QString(), box.size())), w, h);
    double runnerUp = std::numeric_limits<double>::max();
    for (int n = 0; n <= largest; ++n) {
        const double d = distance(shown, greys(draw(QString::number(n), box.size())), w, h);
        if (d < best) {
            runnerUp = best;
            best = d;
            bestText = QString::number(n);
        } else if (d < runnerUp) {
            runnerUp = d;
        }
    }
    std::printf("%s %.2f %.2f\n", qPrintable(bestText), best, runnerUp);
    return 0;
}
