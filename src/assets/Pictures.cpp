#include "assets/Pictures.h"

#include "assets/PictureArt.h"

#include <QHash>
#include <QPair>

#include <array>

namespace assets {
namespace {

struct Entry {
    const char* name;
    QSize size;
    bool transparent;
};

// Indexed by Picture; the order must follow the enum.
const std::array<Entry, PictureCount>& catalogue() {
    static const std::array<Entry, PictureCount> entries{{
        {"none", {}, true},
        {"board", {640, 400}, false},
        {"program-icon", {32, 32}, true},
        {"board-pointer", {32, 32}, true},
        {"mole-peek-green", {160, 67}, false},
        {"mole-peek-pink", {160, 67}, false},
        {"mole-peek-blue", {160, 67}, false},
        {"mole-out-green", {160, 116}, false},
        {"mole-out-pink", {160, 116}, false},
        {"mole-out-blue", {160, 116}, false},
        {"mole-sink-green", {160, 116}, false},
        {"mole-sink-pink", {160, 116}, false},
        {"mole-sink-blue", {160, 116}, false},
        {"hit-mark-green", {30, 21}, false},
        {"hit-mark-pink", {30, 21}, false},
        {"hit-mark-blue", {30, 21}, false},
        {"open-mouth", {26, 13}, false},
        {"countdown-3", {180, 180}, true},
        {"countdown-2", {180, 180}, true},
        {"countdown-1", {180, 180}, true},
        {"results-table", {300, 247}, false},
        {"title-1", {42, 47}, true},
        {"title-2", {42, 47}, true},
        {"title-3", {42, 47}, true},
        {"title-4", {42, 47}, true},
        {"title-5", {42, 47}, true},
        {"title-6", {42, 47}, true},
        {"how-to-play", {347, 280}, false},
        {"point-area", {215, 148}, false},
        {"setting-time-title", {160, 27}, false},
        {"setting-speed-title", {160, 27}, false},
        {"setting-area-title", {160, 27}, false},
        {"setting-count-title", {160, 27}, false},
        {"button-start", {89, 27}, false},
        {"button-owari", {89, 27}, false},
        {"button-settei", {89, 27}, false},
        {"button-hantei", {89, 27}, false},
        {"button-modoru", {89, 27}, false},
        {"button-game", {89, 27}, false},
        {"button-asobikata", {89, 27}, false},
        {"button-settei-chushi", {89, 27}, false},
        {"button-settei-kanryo", {89, 27}, false},
    }};
    return entries;
}

const Entry& entry(Picture picture) {
    // A value outside the catalogue reads as no picture.
    const auto index = static_cast<std::size_t>(picture);
    return catalogue()[index < catalogue().size() ? index : 0];
}

} // namespace

Picture molePicture(MoleStage stage, MoleColour colour) {
    const Picture first = stage == MoleStage::Peek  ? Picture::MolePeekGreen
                          : stage == MoleStage::Out ? Picture::MoleOutGreen
                                                    : Picture::MoleSinkGreen;
    return static_cast<Picture>(static_cast<int>(first) + static_cast<int>(colour));
}

Picture hitMark(MoleColour colour) {
    return static_cast<Picture>(static_cast<int>(Picture::HitMarkGreen) + static_cast<int>(colour));
}

QSize pictureSize(Picture picture) {
    return entry(picture).size;
}

QString pictureName(Picture picture) {
    return QString::fromLatin1(entry(picture).name);
}

bool hasTransparency(Picture picture) {
    return entry(picture).transparent;
}

QPixmap pixmap(Picture picture, qreal devicePixelRatio) {
    if (picture == Picture::None || devicePixelRatio <= 0)
        return {};
    // Ratios are compared in hundredths so 1.25 and 1.2500001 share an entry.
    using Key = QPair<int, int>;
    static QHash<Key, QPixmap> cache;
    const Key key{static_cast<int>(picture), qRound(devicePixelRatio * 100)};
    auto found = cache.constFind(key);
    if (found == cache.constEnd())
        found = cache.insert(key, QPixmap::fromImage(art::render(picture, devicePixelRatio)));
    return *found;
}

QIcon programIcon() {
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0})
        icon.addPixmap(pixmap(Picture::ProgramIcon, ratio));
    return icon;
}

QCursor boardPointer() {
    return QCursor(pixmap(Picture::BoardPointer), 16, 16);
}

} // namespace assets
