#include "library/settings_file.h"

#include <charconv>
#include <cstdio>
#include <sstream>

#include "platform/file_replacement.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace pitbox {
namespace {

constexpr std::string_view kHeading =
    "# Kestrun Pitbox's settings: one \"key = value\" a line, texts in double quotes.\n"
    "# Written by the program when it closes; keys it does not know are kept.\n";

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
                    out += escaped;
                } else {
                    out.push_back(ch);  // the bytes as the file system holds them
                }
        }
    }
    return out + "\"";
}

std::optional<std::string> unquoted(std::string_view v) {
    if (v.size() < 2 || v.front() != '"' || v.back() != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i + 1 < v.size(); ++i) {
        if (v[i] == '"') return std::nullopt;
        if (v[i] != '\\') {
            out.push_back(v[i]);
            continue;
        }
        if (++i + 1 >= v.size()) return std::nullopt;
        switch (v[i]) {
            case '"': out.push_back('"'); break;
            case '\\': out.push_back('\\'); break;
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            case 'x': {
                unsigned value = 0;
                if (i + 3 > v.size() - 1 ||
                    std::from_chars(v.data() + i + 1, v.data() + i + 3, value, 16).ptr != v.data() + i + 3)
                    return std::nullopt;
                out.push_back(static_cast<char>(value));
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return out;
}

// Whole numbers, a blank between; exactly `count` of them unless `count` is 0.
std::optional<std::vector<int>> numbers(std::string_view v, std::size_t count) {
    std::vector<int> out;
    std::size_t at = 0;
    while (at < v.size()) {
        if (v[at] == ' ') {
            ++at;
            continue;
        }
        int n = 0;
        const auto [end, failed] = std::from_chars(v.data() + at, v.data() + v.size(), n);
        if (failed != std::errc() || (end != v.data() + v.size() && *end != ' ')) return std::nullopt;
        out.push_back(n);
        at = static_cast<std::size_t>(end - v.data());
    }
    if ((count != 0 && out.size() != count) || out.size() > 64) return std::nullopt;
    return out;
}

std::optional<bool> yesNo(std::string_view v) {
    if (v == "yes") return true;
    if (v == "no") return false;
    return std::nullopt;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Takes one known key's value into the settings; false when the value is bad.
// Unknown keys give none.
std::optional<bool> take(RememberedSettings& s, std::string_view key, std::string_view v) {
    auto text = [&](std::string& into) {
        auto t = unquoted(v);
        if (t) into = std::move(*t);
        return t.has_value();
    };
    auto flag = [&](bool& into) {
        auto b = yesNo(v);
        if (b) into = *b;
        return b.has_value();
    };
    if (key == "load_folder") return text(s.loadFolder);
    if (key == "target_folder") return text(s.targetFolder);
    if (key == "current_track") return text(s.currentTrack);
    if (key == "maximised") return flag(s.maximised);
    if (key == "sort_descending") return flag(s.sortDescending);
    if (key == "keep_folders") return flag(s.keepFolders);
    if (key == "skip_already_there") return flag(s.skipAlreadyThere);
    if (key == "column_widths") {
        auto n = numbers(v, 0);
        if (n) s.columnWidths = std::move(*n);
        return n.has_value();
    }
    if (key == "window") {
        auto n = numbers(v, 4);
        if (!n || (*n)[2] < 0 || (*n)[3] < 0) return false;
        s.x = (*n)[0];
        s.y = (*n)[1];
        s.width = (*n)[2];
        s.height = (*n)[3];
        return true;
    }
    if (key == "sort_column") {
        auto n = numbers(v, 1);
        if (!n || (*n)[0] < -1 || (*n)[0] >= 64) return false;
        s.sortColumn = (*n)[0];
        return true;
    }
    if (key == "viewer") {
        if (v == "none") {
            s.viewerMoved = false;
            return true;
        }
        auto n = numbers(v, 2);
        if (!n) return false;
        s.viewerMoved = true;
        s.viewerX = (*n)[0];
        s.viewerY = (*n)[1];
        return true;
    }
    return std::nullopt;
}

std::string joined(const std::vector<int>& values) {
    std::string out;
    for (int v : values) out += (out.empty() ? "" : " ") + std::to_string(v);
    return out;
}

}  // namespace

SettingsFile parseSettings(std::string_view text) {
    SettingsFile file;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        const std::string_view body = trimmed(line);
        if (body.empty() || body.front() == '#') continue;
        const std::size_t equals = body.find('=');
        const std::string_view key = trimmed(body.substr(0, equals));
        if (equals == std::string_view::npos || key.empty()) {
            file.complaints.push_back("line " + std::to_string(number) + ": no key = value, ignored");
            continue;
        }
        const auto taken = take(file.settings, key, trimmed(body.substr(equals + 1)));
        if (!taken)
            file.unknownLines.emplace_back(trimmed(line));
        else if (!*taken)
            file.complaints.push_back("line " + std::to_string(number) + ": a bad value for " + std::string(key) +
                                      ", ignored");
    }
    return file;
}

std::string formatSettings(const RememberedSettings& s, const std::vector<std::string>& unknownLines) {
    std::ostringstream out;
    auto flag = [](bool b) { return b ? "yes" : "no"; };
    out << kHeading << "load_folder = " << quoted(s.loadFolder) << "\n"
        << "target_folder = " << quoted(s.targetFolder) << "\n"
        << "keep_folders = " << flag(s.keepFolders) << "\n"
        << "skip_already_there = " << flag(s.skipAlreadyThere) << "\n"
        << "window = " << s.x << " " << s.y << " " << s.width << " " << s.height << "\n"
        << "maximised = " << flag(s.maximised) << "\n"
        << "column_widths = " << joined(s.columnWidths) << "\n"
        << "sort_column = " << s.sortColumn << "\n"
        << "sort_descending = " << flag(s.sortDescending) << "\n"
        << "current_track = " << quoted(s.currentTrack) << "\n"
        << "viewer = " << (s.viewerMoved ? std::to_string(s.viewerX) + " " + std::to_string(s.viewerY) : "none")
        << "\n";
    for (const std::string& line : unknownLines) out << line << "\n";
    return out.str();
}

std::string settingsPathBeside(const std::string& storePath) {
    return storePath.empty() ? std::string() : std::string(platform::pathPart(storePath)) + "settings.conf";
}

Result<std::optional<SettingsFile>> readSettings(const std::string& path) {
    constexpr std::size_t kMostBytes = 1 << 20;
    std::vector<std::uint8_t> bytes;
    auto read = platform::readRegularFile(path, kMostBytes, bytes);
    if (!read) {
        if (read.error().code == ErrorCode::Missing) return std::optional<SettingsFile>();
        return read.error();
    }
    return std::optional<SettingsFile>(
        parseSettings(std::string_view(reinterpret_cast<const char*>(bytes.data()), *read)));
}

Result<void> writeSettings(const std::string& path, const RememberedSettings& settings) {
    std::vector<std::string> kept;
    if (auto there = readSettings(path); there && *there) kept = std::move((*there)->unknownLines);
    if (auto made = platform::makeFolders(std::string(platform::pathPart(path))); !made) return made.error();
    return platform::replaceFile(path, formatSettings(settings, kept));
}

}  // namespace pitbox
