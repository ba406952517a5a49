// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrcode.h"

#include <qrencode.h>

namespace {

constexpr int QuietZone = 2;

} // namespace

QrCode::QrCode(const QByteArray &text)
{
    QRcode *code = QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M);
    if (!code)
        return;
    m_size = code->width;
    m_modules.resize(qsizetype(m_size) * m_size);
    for (int i = 0; i < m_size * m_size; ++i)
        m_modules[i] = code->data[i] & 1;
    QRcode_free(code);
}

bool QrCode::dark(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_size || y >= m_size)
        return false;
    return m_modules[qsizetype(y) * m_size + x];
}

QImage QrCode::image(int modulePixels) const
{
    const int side = (m_size + 2 * QuietZone) * modulePixels;
    QImage picture(side, side, QImage::Format_Grayscale8);
    picture.fill(Qt::white);
    for (int y = 0; y < m_size; ++y)
        for (int x = 0; x < m_size; ++x)
            if (dark(x, y))
                for (int dy = 0; dy < modulePixels; ++dy)
                    for (int dx = 0; dx < modulePixels; ++dx)
                        picture.setPixel((x + QuietZone) * modulePixels + dx,
                            (y + QuietZone) * modulePixels + dy, qRgb(0, 0, 0));
    return picture;
}

QString QrCode::text() const
{
    QString lines;
    for (int y = -QuietZone; y < m_size + QuietZone; y += 2) {
        for (int x = -QuietZone; x < m_size + QuietZone; ++x) {
            // Light modules are drawn, so a dark module is a blank.
            const bool top = !dark(x, y);
            const bool bottom = !dark(x, y + 1);
            lines += top && bottom ? QChar(0x2588)
                : top              ? QChar(0x2580)
                : bottom           ? QChar(0x2584)
                                   : QChar(' ');
        }
        lines += '\n';
    }
    return lines;
}
