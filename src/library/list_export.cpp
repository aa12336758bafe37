#include "library/list_export.h"

#include "base/text.h"

namespace pitbox {
namespace {

constexpr const char* kEol = "\r\n";

// A number in decimal, padded with blanks to the width; a wider one is written
// whole.
void appendNumber(std::string& out, std::int32_t value, std::size_t width) {
    const std::size_t start = out.size();
    appendDecimal(out, value);
    const std::size_t length = out.size() - start;
    if (length < width) out.append(width - length, ' ');
}

// Appends the entry's line: fixed-width fields, then the path in full.
void appendLine(std::string& out, const TrackEntry& e) {
    appendVisibleFitted(out, e.name, 25);
    out += ' ';
    appendNumber(out, e.worldSize, 7);
    out += ' ';
    appendNumber(out, e.length, 7);
    out += ' ';
    appendVisibleFitted(out, e.author, 30);
    appendVisibleFitted(out, e.record, 30);
    out += ' ';
    appendVisible(out, e.path);
    out += kEol;
}

}  // namespace

std::string exportLine(const TrackEntry& e) {
    std::string line;
    appendLine(line, e);
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
        appendLine(out, e);
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
