#include "quantize.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <unordered_map>
#include <utility>

namespace gifgen {

namespace {

constexpr std::size_t kMaxColours = 256;

struct Entry {
    QRgb rgb;
    std::uint64_t count;
};

int channel(QRgb c, int axis) {
    return axis == 0 ? qRed(c) : axis == 1 ? qGreen(c) : qBlue(c);
}

// A box of colours; median cut keeps splitting the widest one.
struct Box {
    std::vector<Entry> entries;

    std::pair<int, int> widestAxis() const {
        int bestAxis = 0;
        int bestRange = -1;
        for (int axis = 0; axis < 3; ++axis) {
            int lo = 255, hi = 0;
            for (const Entry& e : entries) {
                lo = std::min(lo, channel(e.rgb, axis));
                hi = std::max(hi, channel(e.rgb, axis));
            }
            if (hi - lo > bestRange) {
                bestRange = hi - lo;
                bestAxis = axis;
            }
        }
        return {bestAxis, bestRange};
    }

    QRgb mean() const {
        std::array<std::uint64_t, 3> sum{};
        std::uint64_t total = 0;
        for (const Entry& e : entries) {
            for (int axis = 0; axis < 3; ++axis)
                sum[axis] += e.count * static_cast<std::uint64_t>(channel(e.rgb, axis));
            total += e.count;
        }
        auto avg = [&](int axis) { return static_cast<int>((sum[axis] + total / 2) / total); };
        return qRgb(avg(0), avg(1), avg(2));
    }
};

std::vector<QRgb> medianCut(std::vector<Entry> colours, std::size_t maxBoxes) {
    std::vector<Box> boxes;
    if (!colours.empty())
        boxes.push_back({std::move(colours)});
    while (boxes.size() < maxBoxes) {
        std::size_t pick = boxes.size();
        int pickRange = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const int range = boxes[i].entries.size() > 1 ? boxes[i].widestAxis().second : 0;
            if (range > pickRange) {
                pickRange = range;
                pick = i;
            }
        }
        if (pick == boxes.size())
            break; // every box is a single colour already
        Box& box = boxes[pick];
        const int axis = box.widestAxis().first;
        std::sort(box.entries.begin(), box.entries.end(), [axis](const Entry& a, const Entry& b) {
            const int ca = channel(a.rgb, axis), cb = channel(b.rgb, axis);
            return ca != cb ? ca < cb : a.rgb < b.rgb;
        });
        std::uint64_t total = 0;
        for (const Entry& e : box.entries)
            total += e.count;
        std::uint64_t running = 0;
        std::size_t cut = 1;
        for (; cut < box.entries.size() - 1; ++cut) {
            running += box.entries[cut - 1].count;
            if (2 * running >= total)
                break;
        }
        Box upper{{box.entries.begin() + static_cast<std::ptrdiff_t>(cut), box.entries.end()}};
        box.entries.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<QRgb> palette;
    for (const Box& b : boxes)
        palette.push_back(b.mean());
    return palette;
}

std::uint8_t nearest(const std::vector<QRgb>& palette, QRgb c) {
    std::size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = qRed(c) - qRed(palette[i]);
        const int dg = qGreen(c) - qGreen(palette[i]);
        const int db = qBlue(c) - qBlue(palette[i]);
        // Weighted roughly by how sensitive the eye is to each primary.
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

} // namespace

IndexedImage quantize(const QImage& image, QRgb keep) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    keep = qRgb(qRed(keep), qGreen(keep), qBlue(keep));
    std::map<QRgb, std::uint64_t> histogram;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++histogram[line[x] | 0xff000000u];
    }
    std::vector<Entry> others;
    for (const auto& [colour, count] : histogram)
        if (colour != (keep | 0xff000000u))
            others.push_back({colour, count});

    IndexedImage out;
    out.width = rgb.width();
    out.height = rgb.height();
    out.palette.push_back(keep);
    for (QRgb c : medianCut(std::move(others), kMaxColours - 1))
        out.palette.push_back(c);

    std::unordered_map<QRgb, std::uint8_t> lookup;
    out.pixels.reserve(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = qRgb(qRed(line[x]), qGreen(line[x]), qBlue(line[x]));
            auto it = lookup.find(c);
            if (it == lookup.end())
                it = lookup.emplace(c, nearest(out.palette, c)).first;
            out.pixels.push_back(it->second);
        }
    }
    return out;
}

} // namespace gifgen
