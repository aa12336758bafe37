#include "library/list_export.h"

#include "base/text.h"

namespace pitbox {
namespace {

constexpr const char* kEol = "\r\n";

std::string fitNumber(std::int32_t value, std::size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

}  // namespace

std::string exportLine(const TrackEntry& e) {
    std::string line;
    line.reserve(110 + e.path.size());
    line += fitText(visibleControls(e.name), 25);
    line += ' ';
    line += fitNumber(e.worldSize, 7);
    line += ' ';
    line += fitNumber(e.length, 7);
    line += ' ';
    line += fitText(visibleControls(e.author), 30);
    line += fitText(visibleControls(e.record), 30);
    line += ' ';
    appendVisible(line, e.path);
    line += kEol;
    return line;
}

void exportList(Catalogue::ConstEntries entries, const std::function<void(std::string_view)>& sink) {
    constexpr std::size_t kPiece = std::size_t{64} * 1024;
    std::string out;
    out.reserve(kPiece + 1024);
    out += std::to_string(entries.size()) + " Tracks" + kEol;
    out += std::string("Trackname  Worlsize  Tracklenght  Author  Record/FastLap Path") + kEol;
    out += std::string(" ") + kEol;
    for (const TrackEntry& e : entries) {
        out += exportLine(e);
        if (out.size() >= kPiece) {
            sink(out);
            out.clear();
        }
    }
    sink(out);
}

std::string exportListText(Catalogue::ConstEntries entries) {
    std::string text;
    text.reserve(64 + entries.size() * 180);
    exportList(entries, [&](std::string_view piece) { text += piece; });
    return text;
}

}  // namespace pitbox
