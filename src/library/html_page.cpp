#include "library/html_page.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/search_fold.h"
#include "base/text.h"
#include "library/track_columns.h"

namespace pitbox {
namespace {

// The page reads as a document: pictures in the first column, scaled down,
// at full size a click away. Rows without a picture keep their height small.
constexpr std::string_view kStyle = R"(
body { font-family: Arial, Helvetica, sans-serif; margin: 1em; color: #111; background: #fff; }
h1 { font-size: 1.5em; margin: 0 0 .2em; }
p.counts { margin: 0 0 1em; color: #444; }
input#filter { font-size: 1em; width: 30em; max-width: 100%; margin: 0 0 1em; padding: .2em; }
table { border-collapse: collapse; }
th, td { border-bottom: 1px solid #ccc; padding: .3em .6em; text-align: left; vertical-align: top; }
th { background: #eee; position: sticky; top: 0; }
th[data-sort] { cursor: pointer; }
td.number { text-align: right; font-variant-numeric: tabular-nums; }
td.picture img { display: block; width: 192px; height: 192px; }
td.problem { color: #8a1f11; max-width: 192px; }
td.path { font-family: "Lucida Console", monospace; font-size: .85em; }
)";

// Sorting by a column's heading (again: the other way round) and a filter box
// with the window's rule: every word somewhere in the row, case and accents
// ignored. The folding is the program's own, from its table (FOLD, written
// before this): runs of characters that shift to one each (r: first code,
// count, step, shift), runs of accents that go (d: first code, count), and
// the rest one by one (c: codes, t: what each folds to, a line each); codes
// are each counted on from the one before.
constexpr std::string_view kScript = R"(
(function () {
  var folds = new Map(), code = 0, i, k;
  for (i = 0; i < FOLD.r.length; i += 4)
    for (code += FOLD.r[i], k = 0; k < FOLD.r[i + 1]; k++)
      folds.set(code + k * FOLD.r[i + 2], String.fromCodePoint(code + k * FOLD.r[i + 2] + FOLD.r[i + 3]));
  for (code = 0, i = 0; i < FOLD.d.length; i += 2)
    for (code += FOLD.d[i], k = 0; k < FOLD.d[i + 1]; k++) folds.set(code + k, '');
  var texts = FOLD.t.split('\n');
  for (code = 0, i = 0; i < FOLD.c.length; i++) folds.set(code += FOLD.c[i], texts[i]);
  var fold = function (s) {
    var out = '';
    for (var ch of s) {
      var f = folds.get(ch.codePointAt(0));
      out += f === undefined ? ch : f;
    }
    return out;
  };
  var table = document.getElementById('tracks'), body = table.tBodies[0];
  var rows = Array.prototype.slice.call(body.rows);
  var shown = rows.map(function (r) {
    return Array.prototype.map.call(r.cells, function (c) { return fold(c.textContent); }).join('\n');
  });
  var filter = document.getElementById('filter');
  filter.hidden = false;
  filter.addEventListener('input', function () {
    // Words end at blanks and control characters, as in the window.
    var words = fold(filter.value).split(/[\u0000-\u0020]+/).filter(Boolean);
    rows.forEach(function (r, i) {
      r.hidden = !words.every(function (w) { return shown[i].indexOf(w) >= 0; });
    });
  });
  var heads = table.tHead.rows[0].cells;
  Array.prototype.forEach.call(heads, function (th, column) {
    if (!th.dataset.sort) return;
    th.tabIndex = 0;
    var sort = function () {
      var up = th.getAttribute('aria-sort') !== 'ascending';
      Array.prototype.forEach.call(heads, function (h) { h.removeAttribute('aria-sort'); });
      th.setAttribute('aria-sort', up ? 'ascending' : 'descending');
      // Each row's key once, not at every comparison.
      var keyed = rows.map(function (r) {
        var t = r.cells[column].textContent;
        return [th.dataset.sort === 'number' ? Number(t) : t.toLowerCase(), r];
      });
      keyed.sort(function (a, b) { return (a[0] < b[0] ? -1 : a[0] > b[0] ? 1 : 0) * (up ? 1 : -1); });
      keyed.forEach(function (k) { body.appendChild(k[1]); });
    };
    th.addEventListener('click', sort);
    th.addEventListener('keydown', function (e) { if (e.key === 'Enter' || e.key === ' ') { e.preventDefault(); sort(); } });
  });
})();
)";

// The folding's table as the page's script reads it (FOLD, above), a few
// tens of kilobytes.
std::string foldTable() {
    struct Run {
        std::uint32_t first, count, step;
        std::int64_t shift;
    };
    std::vector<std::pair<std::uint32_t, std::string>> folds;
    forEachSearchFold([&](std::uint32_t code, std::string_view folded) { folds.emplace_back(code, folded); });
    std::vector<Run> runs, drops;
    std::vector<std::pair<std::uint32_t, std::string_view>> singles;
    for (std::size_t i = 0; i < folds.size();) {
        const auto& [code, text] = folds[i];
        if (text.empty()) {
            std::size_t j = i + 1;
            while (j < folds.size() && folds[j].second.empty() && folds[j].first == folds[j - 1].first + 1) ++j;
            drops.push_back({code, static_cast<std::uint32_t>(j - i), 1, 0});
            i = j;
            continue;
        }
        // Characters that each shift by the same to one, at steps of one or two
        // (the capitals and small letters of Latin Extended-A take turns).
        Run best{code, 1, 1, 0};
        if (utf8Length(text) == 1) {
            const std::int64_t shift = static_cast<std::int64_t>(utf8CharAt(text, 0).code) - code;
            for (const std::uint32_t step : {1u, 2u}) {
                std::size_t j = i + 1;
                while (j < folds.size() && utf8Length(folds[j].second) == 1 &&
                       folds[j].first == folds[j - 1].first + step &&
                       static_cast<std::int64_t>(utf8CharAt(folds[j].second, 0).code) - folds[j].first == shift)
                    ++j;
                if (j - i > best.count) best = {code, static_cast<std::uint32_t>(j - i), step, shift};
            }
        }
        if (best.count > 1) {
            runs.push_back(best);
            i += best.count;
        } else {
            singles.emplace_back(code, text);
            ++i;
        }
    }
    std::string out = "var FOLD = {r: [";
    std::uint32_t last = 0;
    for (const Run& r : runs) {
        out += std::to_string(r.first - last) + "," + std::to_string(r.count) + "," + std::to_string(r.step) + "," +
               std::to_string(r.shift) + ",";
        last = r.first;
    }
    out += "], d: [";
    last = 0;
    for (const Run& r : drops) {
        out += std::to_string(r.first - last) + "," + std::to_string(r.count) + ",";
        last = r.first;
    }
    out += "], c: [";
    last = 0;
    for (const auto& [code, text] : singles) {
        out += std::to_string(code - last) + ",";
        last = code;
    }
    out += "], t: \"";
    for (const auto& [code, text] : singles) {
        if (&text != &singles.front().second) out += "\\n";
        for (const char ch : text) {
            const auto b = static_cast<unsigned char>(ch);
            if (ch == '"' || ch == '\\') {
                out += '\\';
                out += ch;
            } else if (b < 0x20 || ch == '<' || ch == '>' || ch == '&') {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    out += "\"};\n";
    return out;
}

// The text as HTML, its control characters shown as symbols.
void appendEscaped(std::string& out, std::string_view text) {
    for (const char c : visibleControls(text)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
}

void appendCell(std::string& out, std::string_view cls, std::string_view text) {
    out += cls.empty() ? "<td>" : "<td class=\"" + std::string(cls) + "\">";
    appendEscaped(out, text);
    out += "</td>";
}

void appendNumberCell(std::string& out, std::int32_t value) {
    out += "<td class=\"number\">";
    appendDecimal(out, value);
    out += "</td>";
}

void appendRow(std::string& out, const PageTrack& t) {
    const TrackEntry& e = *t.entry;
    out += "<tr>";
    if (t.picture.empty()) {
        appendCell(out, "problem", t.problem);
    } else {
        out += "<td class=\"picture\"><a href=\"";
        appendEscaped(out, t.picture);
        out += "\"><img src=\"";
        appendEscaped(out, t.picture);
        out += "\" width=\"192\" height=\"192\" loading=\"lazy\" alt=\"The map of ";
        appendEscaped(out, e.name);
        out += "\"></a></td>";
    }
    for (const TrackColumn& column : kTrackColumns) {
        switch (column.key) {
            case SortKey::Name: appendCell(out, "", e.name); break;
            case SortKey::WorldSize: appendNumberCell(out, e.worldSize); break;
            case SortKey::Length: appendNumberCell(out, e.length); break;
            case SortKey::Author: appendCell(out, "", e.author); break;
            case SortKey::Record:
                appendCell(out, "", e.record);
                appendCell(out, "", t.bestTime);
                break;
            case SortKey::Path: appendCell(out, "path", t.where); break;
        }
    }
    out += "</tr>\n";
}

std::string countText(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

std::string cataloguePage(std::span<const PageTrack> tracks, std::string_view title) {
    const auto pictured = static_cast<std::size_t>(
        std::count_if(tracks.begin(), tracks.end(), [](const PageTrack& t) { return !t.picture.empty(); }));
    std::string out;
    out.reserve(512 * tracks.size() + 4096);
    out +=
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<meta name=\"generator\" content=\"Kestrun Pitbox\">\n<title>";
    appendEscaped(out, title);
    out += "</title>\n<style>";
    out += kStyle;
    out += "</style>\n</head>\n<body>\n<h1>";
    appendEscaped(out, title);
    out += "</h1>\n<p class=\"counts\">" + countText(tracks.size(), "track", "tracks") + ", " +
           countText(pictured, "picture", "pictures") + "</p>\n";
    out +=
        "<input id=\"filter\" type=\"search\" placeholder=\"Filter: words of a name, author, record or path\" "
        "aria-label=\"Filter\" hidden>\n";
    out += "<table id=\"tracks\">\n<thead><tr><th>Picture</th>";
    for (const TrackColumn& column : kTrackColumns) {
        const bool number = column.key == SortKey::WorldSize || column.key == SortKey::Length;
        out += number ? "<th data-sort=\"number\">" : "<th data-sort=\"text\">";
        out += column.title;
        out += "</th>";
        if (column.key == SortKey::Record) out += "<th data-sort=\"text\">Best Time</th>";
    }
    out += "</tr></thead>\n<tbody>\n";
    for (const PageTrack& t : tracks) appendRow(out, t);
    out += "</tbody>\n</table>\n<script>\n";
    static const std::string table = foldTable();
    out += table;
    out += kScript;
    out += "</script>\n</body>\n</html>\n";
    return out;
}

}  // namespace pitbox
