#include "library/list_export.h"

#include "base/text.h"
#include "library/track_columns.h"

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

// Appends the entry's line: its columns as the table has them, fixed-width
// but the last, the path, in full.
void appendLine(std::string& out, const TrackEntry& e) {
    for (const TrackColumn& column : kTrackColumns) {
        const std::size_t width = column.exportWidth;
        switch (column.key) {
            case SortKey::Name: appendVisibleFitted(out, e.name, width); break;
            case SortKey::WorldSize: appendNumber(out, e.worldSize, width); break;
            case SortKey::Length: appendNumber(out, e.length, width); break;
            case SortKey::Author: appendVisibleFitted(out, e.author, width); break;
            case SortKey::Record: appendVisibleFitted(out, e.record, width); break;
            case SortKey::Path:
                // The separator between ends any character before it.
                appendVisible(out, e.folderPath());
                appendVisible(out, e.file);
                break;
        }
        out += column.exportGap;
    }
    out += kEol;
}

// A text field, whole and in UTF-8; one that a spreadsheet would take for a
// formula (from a downloaded track's author, or a file's name) starts with an
// apostrophe, as spreadsheets read it: shown as text, never run.
void appendCsvField(std::string& out, std::string_view raw) {
    std::string mended;
    if (!isUtf8(raw)) appendUtf8Whole(mended, raw);
    const std::string_view text = mended.empty() ? raw : mended;
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    const bool quoted = text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted) out += '"';
    if (formula) out += '\'';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    if (quoted) out += '"';
}

// What the table's row says of the file: read, not read yet, or why not.
void appendCsvStatus(std::string& out, const TrackEntry& e) {
    // The reason without the path the row has already.
    const auto reason = [&] {
        if (e.problemAfterPath) return std::string(e.problem.view());
        std::string_view problem = e.problem.view();
        const std::string named = visibleControls(e.path()) + ": ";
        if (problem.starts_with(named)) problem.remove_prefix(named.size());
        return std::string(problem);
    };
    switch (e.state) {
        case TrackState::Unscanned: out += "not read"; break;
        case TrackState::Scanned: out += "read"; break;
        case TrackState::OldFormat: out += "old format"; break;
        case TrackState::Damaged: appendCsvField(out, "damaged: " + reason()); break;
        case TrackState::Unreadable: appendCsvField(out, "unreadable: " + reason()); break;
    }
}

void appendCsvRow(std::string& out, const TrackEntry& e, const GroupOf& groupOf) {
    for (const TrackColumn& column : kTrackColumns) {
        if (&column != &kTrackColumns.front()) out += ',';
        switch (column.key) {
            case SortKey::Name: appendCsvField(out, e.name); break;
            case SortKey::WorldSize: appendDecimal(out, e.worldSize); break;
            case SortKey::Length: appendDecimal(out, e.length); break;
            case SortKey::Author: appendCsvField(out, e.author); break;
            case SortKey::Record: appendCsvField(out, e.record); break;
            case SortKey::Path: appendCsvField(out, e.path()); break;
        }
    }
    out += ',';
    appendCsvStatus(out, e);
    if (groupOf) {
        out += ',';
        out += std::to_string(groupOf(e));
    }
    out += kEol;
}

}  // namespace

std::string exportLine(const TrackEntry& e) {
    std::string line;
    appendLine(line, e);
    return line;
}

void exportList(Catalogue::ConstEntries entries, ListFormat format, const std::function<void(std::string_view)>& sink,
                const GroupOf& groupOf) {
    constexpr std::size_t kPiece = std::size_t{64} * 1024;
    std::string out;
    out.reserve(kPiece + 1024);
    if (format == ListFormat::Text) {
        out += std::to_string(entries.size()) + " Tracks" + kEol;
        out += std::string("Trackname  Worlsize  Tracklenght  Author  Record/FastLap Path") + kEol;
        out += std::string(" ") + kEol;
    } else if (format == ListFormat::Csv) {
        out += "\xEF\xBB\xBF";
        for (const TrackColumn& column : kTrackColumns) {
            if (&column != &kTrackColumns.front()) out += ',';
            appendCsvField(out, column.title);
        }
        out += ",Status";
        if (groupOf) out += ",Group";
        out += kEol;
    }
    for (const TrackEntry& e : entries) {
        switch (format) {
            case ListFormat::Text: appendLine(out, e); break;
            case ListFormat::Csv: appendCsvRow(out, e, groupOf); break;
            case ListFormat::Paths:
            case ListFormat::PathsNul:
                out += e.folderPath();
                out += e.file;
                out += format == ListFormat::PathsNul ? '\0' : '\n';
                break;
        }
        if (out.size() >= kPiece) {
            sink(out);
            out.clear();
        }
    }
    sink(out);
}

void exportList(Catalogue::ConstEntries entries, const std::function<void(std::string_view)>& sink) {
    exportList(entries, ListFormat::Text, sink);
}

std::string exportListAs(Catalogue::ConstEntries entries, ListFormat format, const GroupOf& groupOf) {
    std::string text;
    text.reserve(64 + entries.size() * 180);
    exportList(
        entries, format, [&](std::string_view piece) { text += piece; }, groupOf);
    return text;
}

std::string exportListText(Catalogue::ConstEntries entries) { return exportListAs(entries, ListFormat::Text); }

}  // namespace pitbox
