// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// The pairing address as a QR code, from the system's encoder: as a picture for the window
// and as text for a terminal.
class QrCode
{
public:
    explicit QrCode(const QByteArray &text);

    bool isNull() const { return m_size == 0; }
    int size() const { return m_size; }
    bool dark(int x, int y) const;

    // Black modules on white, each module a square of this many pixels, with the quiet zone.
    QImage image(int modulePixels) const;
    // Two rows of modules per line of half-block characters, dark drawn as light so that it
    // reads on a dark terminal too, with the quiet zone.
    QString text() const;

private:
    int m_size = 0;
    QList<bool> m_modules;
};
