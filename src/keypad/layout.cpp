// SPDX-License-Identifier: GPL-3.0-or-later

#include "layout.h"

#include <QHash>
#include <vector>

namespace Layout {

std::span<const Row> rows()
{
    static const std::vector<Row> all = [] {
        std::vector<Row> joined;
        for (auto table : {mainScreenRows(), chartScreenRows(), settingsScreenRows()})
            joined.insert(joined.end(), table.begin(), table.end());
        return joined;
    }();
    return all;
}

const Row *find(QStringView name)
{
    static const QHash<QString, const Row *> index = [] {
        QHash<QString, const Row *> byName;
        for (const Row &row : rows())
            byName.insert(QString::fromLatin1(row.name), &row);
        return byName;
    }();
    return index.value(name.toString(), nullptr);
}

QList<const Row *> pictures()
{
    QList<const Row *> found;
    for (const Row &row : rows()) {
        const bool pictureKind = row.kind == Kind::Image || row.kind == Kind::ImageControl
            || row.kind == Kind::BitmapListAnimation;
        if (pictureKind && !row.bitmap.isEmpty())
            found.append(&row);
    }
    return found;
}

} // namespace Layout
