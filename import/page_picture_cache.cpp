#include "page_picture_cache.h"

#include <QDir>

QString PageCacheFolder::filePath() const { return path + QStringLiteral("/temp.jpg"); }

PageCacheFolder pageCacheFolder() {
    PageCacheFolder folder;
    const QString current = QDir::currentPath();
    if (current.isEmpty()) return folder;
    // The root directory has its separator already.
    const QString path = (current.endsWith(QLatin1Char('/')) ? current.chopped(1) : current) + QStringLiteral("/temp");
    if (path.size() > kCacheFolderPathMax) {
        folder.status = PageCacheFolder::Status::TooLong;
        return folder;
    }
    folder.status = PageCacheFolder::Status::Ok;
    folder.path = path;
    return folder;
}
