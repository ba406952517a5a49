// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "scriptedserver.h"
#include "windowfixture.h"

#include <QLineEdit>

// A shown window of 1280 × 800, so that the two axes scale differently, connected to a
// loopback server through the settings screen's fields.
struct ConnectedWindow : WindowFixture
{
    ConnectedWindow()
    {
        window->resize(1280, 800);
        window->show();
        connectTo(server.port());
    }

    ScriptedServer server;
};
