#pragma once
// The page picture cache: the folder "temp" directly under the current
// directory, read anew at every use, holding the one file "temp.jpg" that
// every import overwrites.

#include <QString>

// The longest cache folder path accepted, in characters (UTF-16 units).
constexpr int kCacheFolderPathMax = 254;

struct PageCacheFolder {
    enum class Status { Ok, TooLong, NoCurrentDirectory };
    Status status = Status::NoCurrentDirectory;
    QString path;  // the folder, when status is Ok
    bool ok() const { return status == Status::Ok; }
    QString filePath() const;  // the folder followed by "/temp.jpg"
};

// The cache folder under the current directory as it is now.
PageCacheFolder pageCacheFolder();
