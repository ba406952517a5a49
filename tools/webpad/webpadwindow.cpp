// SPDX-License-Identifier: GPL-3.0-or-later
#include "webpadwindow.h"

#include "qrcode.h"

#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

WebpadWindow::WebpadWindow(QWidget *parent)
    : QWidget(parent)
    , m_url(new QLabel)
    , m_code(new QLabel)
    , m_server(new QLabel)
    , m_tablets(new QListWidget)
{
    setWindowTitle(QStringLiteral("ZP Client – tablets"));
    auto *layout = new QVBoxLayout(this);
    auto *hint = new QLabel(QStringLiteral("Scan the code with the tablet, or open this address "
                                           "in its browser:"));
    hint->setWordWrap(true);
    m_url->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_code->setAlignment(Qt::AlignCenter);
    m_server->setWordWrap(true);
    auto *newKey = new QPushButton(QStringLiteral("New key"));
    newKey->setToolTip(QStringLiteral("Tablets paired with the old key must scan the new code"));
    layout->addWidget(hint);
    layout->addWidget(m_url);
    layout->addWidget(m_code);
    layout->addWidget(new QLabel(QStringLiteral("ZP server:")));
    layout->addWidget(m_server);
    layout->addWidget(new QLabel(QStringLiteral("Tablets:")));
    layout->addWidget(m_tablets);
    layout->addWidget(newKey);
    connect(newKey, &QPushButton::clicked, this, [this] {
        const auto answer = QMessageBox::question(this, windowTitle(),
            QStringLiteral("Make a new key? Every tablet paired now loses its keypad until it "
                           "scans the new code."));
        if (answer == QMessageBox::Yes)
            emit newKeyWanted();
    });
}

void WebpadWindow::setAddress(const QString &url)
{
    m_url->setText(url);
    const QrCode code(url.toUtf8());
    m_code->setPixmap(QPixmap::fromImage(code.image(6)));
    m_code->setAccessibleName(QStringLiteral("QR code of %1").arg(url));
}

void WebpadWindow::setServerStatus(const QString &status)
{
    m_server->setText(status);
}

void WebpadWindow::setTablets(const QStringList &tablets)
{
    m_tablets->clear();
    m_tablets->addItems(tablets);
    if (tablets.isEmpty())
        m_tablets->addItem(QStringLiteral("none"));
}
