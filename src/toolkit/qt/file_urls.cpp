#include "toolkit/qt/file_urls.h"

#include <QMimeData>

namespace pitbox::ui {

QUrl fileUrl(const std::string& path) {
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

std::optional<std::string> localPathOf(const QUrl& url) {
    if (!url.isValid() || url.scheme() != QLatin1String("file")) return std::nullopt;
    if (!url.host().isEmpty() && url.host() != QLatin1String("localhost")) return std::nullopt;
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (bytes.isEmpty()) return std::nullopt;
    return bytes.toStdString();
}

std::vector<std::string> localPathsOf(const QList<QUrl>& urls) {
    std::vector<std::string> paths;
    for (const QUrl& url : urls)
        if (auto path = localPathOf(url)) paths.push_back(std::move(*path));
    return paths;
}

QMimeData* fileDragData(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QString text;
    for (const std::string& path : paths) {
        urls.append(fileUrl(path));
        text += QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())) + QLatin1Char('\n');
    }
    data->setUrls(urls);
    data->setText(text);
    return data;
}

}  // namespace pitbox::ui
