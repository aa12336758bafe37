#include "raster/scaling.h"

#include <algorithm>
#include <vector>

namespace pitbox::raster {
namespace {

// How much of each old pixel along one axis falls into each new one, in
// 1/`from` parts of a new pixel: `to` new pixels over `from` old ones.
struct Span {
    int first = 0;
    std::vector<int> weights;
};

std::vector<Span> spans(int from, int to) {
    std::vector<Span> out(static_cast<std::size_t>(to));
    for (int n = 0; n < to; ++n) {
        // The new pixel n covers old positions [n * from / to, (n + 1) * from / to),
        // counted in steps of 1/to of an old pixel.
        const long start = static_cast<long>(n) * from, end = start + from;
        Span& s = out[static_cast<std::size_t>(n)];
        s.first = static_cast<int>(start / to);
        for (long at = start; at < end;) {
            const long next = std::min(end, (at / to + 1) * to);
            s.weights.push_back(static_cast<int>(next - at));
            at = next;
        }
    }
    return out;
}

}  // namespace

Picture scaledSquare(const Picture& p, int rows, int size) {
    const int height = std::min(rows, p.height());
    if (p.width() <= 0 || height <= 0 || size < 1) return {};
    const int width = std::min(size, p.width()), tall = std::min(size, height);
    const std::vector<Span> across = spans(p.width(), width), down = spans(height, tall);
    Picture out(width, tall);
    // Each new pixel's weights add up to p.width() * height.
    const unsigned long whole = static_cast<unsigned long>(p.width()) * static_cast<unsigned long>(height);
    for (int y = 0; y < tall; ++y) {
        const Span& dy = down[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            const Span& dx = across[static_cast<std::size_t>(x)];
            unsigned long r = 0, g = 0, b = 0;
            for (std::size_t j = 0; j < dy.weights.size(); ++j)
                for (std::size_t i = 0; i < dx.weights.size(); ++i) {
                    const Colour c = p.at(dx.first + static_cast<int>(i), dy.first + static_cast<int>(j));
                    const unsigned long w =
                        static_cast<unsigned long>(dx.weights[i]) * static_cast<unsigned long>(dy.weights[j]);
                    r += w * redOf(c);
                    g += w * greenOf(c);
                    b += w * blueOf(c);
                }
            out.set(x, y,
                    rgb(static_cast<unsigned>((r + whole / 2) / whole), static_cast<unsigned>((g + whole / 2) / whole),
                        static_cast<unsigned>((b + whole / 2) / whole)));
        }
    }
    return out;
}

}  // namespace pitbox::raster
