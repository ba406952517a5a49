// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

// Pictures drawn at the size a screen shows them, kept in a folder between runs. Drawing the
// main screen's pictures at 1920 x 1080 costs several times more than the rest of the first
// frame, and a keypad starts on the same screen day after day: from its second start on it
// copies them instead. Files of older artwork or of other sizes are cleared away. Nothing
// outside the folder is ever written or deleted, whatever sits at a file's name.
class PictureCache
{
public:
    // The most kept: every picture at four sizes, and every picture of a 4K screen.
    static constexpr int MaxFiles = 96;
    static constexpr qint64 MaxBytes = qint64(64) << 20;

    // folder empty: nothing is kept or found.
    explicit PictureCache(QString folder = {});

    // The user's cache folder for the keypad's pictures.
    static QString defaultFolder();

    // The picture as drawn before at this size on this background; null when none was kept,
    // or the file kept for it is not whole.
    QImage find(const QString &name, QSize size, const QColor &background) const;
    // Keeps a picture; a folder that cannot be written only means drawing it again next time.
    void insert(const QString &name, const QImage &image, const QColor &background) const;

private:
    QString filePath(const QString &name, QSize size, const QColor &background) const;
    bool ownFolder(bool make) const;
    void clearAway(const QString &written, qint64 writtenBytes) const;

    QString m_folder;
    mutable bool m_clearedOnce = false;
};
