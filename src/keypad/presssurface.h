// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What a press rule acts on: the pressed control's send, the main screen's panels and the
// check box. The window is one; a test's recording fake is another.
class PressSurface
{
public:
    virtual ~PressSurface() = default;

    // Sends the pressed control's name and deals with the reply, messages included.
    virtual void send() = 0;
    virtual bool isShown(const char *panel) const = 0;
    virtual void show(const char *panel) = 0;
    virtual void hide(const char *panel) = 0;
    // From code: the check box raises no press of its own.
    virtual void uncheckCheckBox() = 0;
};
