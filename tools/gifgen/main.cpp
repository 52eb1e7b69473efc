// Renders the rating figures from their SVG drawings into GIF files:
//   gifgen INPUT.svg OUTPUT.gif [INPUT.svg OUTPUT.gif ...]
// Paths are used exactly as given (the data folder has a Japanese name), so
// files are read and written through the C++ library rather than Qt.
#include "gif_file.h"
#include "quantize.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

// The colour of the box the rating figure is shown in.
constexpr QRgb kBoxColour = 0xffc0c0ff;
constexpr int kMaxWidth = 237;
constexpr int kMaxHeight = 168;

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(std::string("cannot read ") + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error(std::string("cannot write ") + path);
}

QImage render(const std::string& svg, const char* name) {
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    if (!renderer.isValid())
        throw std::runtime_error(std::string("not a drawing Qt can render: ") + name);
    const QSize size = renderer.defaultSize();
    if (size.isEmpty() || size.width() > kMaxWidth || size.height() > kMaxHeight)
        throw std::runtime_error(std::string("drawing does not fit the rating box: ") + name);
    QImage image(size, QImage::Format_RGB32);
    image.fill(kBoxColour);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    renderer.render(&painter);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: %s INPUT.svg OUTPUT.gif [...]\n", argv[0]);
        return 2;
    }
    // Drawn off screen: no display is needed at build time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the drawings' lettering
    try {
        for (int i = 1; i + 1 < argc; i += 2) {
            const QImage image = render(readFile(argv[i]), argv[i]);
            writeFile(argv[i + 1], gifgen::encodeGif(gifgen::quantize(image, kBoxColour)));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gifgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
