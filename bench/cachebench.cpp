// SPDX-License-Identifier: GPL-3.0-or-later
// The picture cache's first look into a folder full of stale files (other versions' pictures),
// set against the least any program pays to remove as many files: one listing, one unlink
// each. Prints one line per count: the medians and their ratio.
#include "picturecache.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <dirent.h>
#include <unistd.h>

namespace {

constexpr int Rounds = 5;

void fill(const QString &folder, int count)
{
    for (int i = 0; i < count; ++i) {
        QFile file(
            folder + QStringLiteral("/0123456789abcdef.1-Image%1-10x10-00000000.pixels").arg(i));
        file.open(QIODevice::WriteOnly);
        file.write("stale");
    }
}

qint64 floorNs(const QString &folder)
{
    QElapsedTimer clock;
    clock.start();
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = opendir(path.constData());
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
    return clock.nsecsElapsed();
}

qint64 cacheNs(const QString &folder)
{
    QElapsedTimer clock;
    clock.start();
    const PictureCache cache(folder);
    cache.find(QStringLiteral("Image1"), QSize(10, 10), QColor());
    return clock.nsecsElapsed();
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    for (const int count : {1000, 5000, 20000}) {
        QList<qint64> cache;
        QList<qint64> floor;
        for (int round = 0; round < Rounds; ++round) {
            QTemporaryDir folder;
            fill(folder.path(), count);
            cache.append(cacheNs(folder.path()));
            if (!QDir(folder.path()).isEmpty())
                qFatal("the cache left stale files behind");
            fill(folder.path(), count);
            floor.append(floorNs(folder.path()));
        }
        out << QStringLiteral("%1 stale files: cache %2 ms, floor %3 ms, ratio %4\n")
                   .arg(count)
                   .arg(median(cache) / 1e6, 0, 'f', 1)
                   .arg(median(floor) / 1e6, 0, 'f', 1)
                   .arg(double(median(cache)) / double(median(floor)), 0, 'f', 2);
    }
    return 0;
}
