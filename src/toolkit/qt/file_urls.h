#pragma once
#include <QList>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace pitbox::ui {

// A local file's URL, its name's bytes percent-encoded as they are, so that a
// name in any encoding reaches the other program as the file system knows it.
QUrl fileUrl(const std::string& path);
// The local path a file URL names, byte for byte; none for another scheme or
// another host's file.
std::optional<std::string> localPathOf(const QUrl& url);
// The local paths among dropped URLs.
std::vector<std::string> localPathsOf(const QList<QUrl>& urls);
// What a drag of files carries: the files as a URI list (which file managers
// copy as files) and their paths as text.
QMimeData* fileDragData(const std::vector<std::string>& paths);

}  // namespace pitbox::ui
