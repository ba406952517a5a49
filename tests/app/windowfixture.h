#pragma once

#include "bitmaplistanimation.h"
#include "imagecontrolitem.h"
#include "tmainclient.h"

#include <QGraphicsItem>
#include <QStringList>
#include <QTest>
#include <memory>

// A keypad window for tests: boxes are recorded instead of shown, and replies are awaited
// briefly so that a silent server does not slow the suite down.
struct WindowFixture
{
    explicit WindowFixture(int replyWaitMs = 150)
        : window(std::make_unique<TMainClient>(TMainClient::Options {.replyWaitMs = replyWaitMs}))
    {
        window->setMessageBoxFunction([this](const QString &text) { messages << text; });
        window->setErrorBoxFunction([this](const QString &text) { errors << text; });
    }

    TMainClient *operator->() const { return window.get(); }

    // The centre of a control, in window pixels.
    QPoint centreOf(QStringView name) const
    {
        QGraphicsItem *item = window->item(name);
        return item->mapToScene(item->boundingRect().center()).toPoint();
    }

    void press(QStringView name) const
    {
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {}, centreOf(name));
    }

    bool showsConnectedPicture() const
    {
        auto *image = dynamic_cast<ImageControlItem *>(window->item(u"ImageControl1"));
        return window->BitmapListAnimation2->isEnabled()
            && !window->BitmapListAnimation1->isEnabled()
            && image->bitmap().cacheKey() == window->BitmapListAnimation2->frame().cacheKey();
    }

    bool showsNotConnectedPicture() const
    {
        auto *image = dynamic_cast<ImageControlItem *>(window->item(u"ImageControl1"));
        return window->BitmapListAnimation1->isEnabled()
            && !window->BitmapListAnimation2->isEnabled()
            && image->bitmap().cacheKey() == window->BitmapListAnimation1->frame().cacheKey();
    }

    std::unique_ptr<TMainClient> window;
    QStringList messages;
    QStringList errors;
};
