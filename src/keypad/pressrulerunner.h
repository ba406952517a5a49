// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "layout.h"
#include "pressrules.h"

class PressSurface;

// Carries out the press rules and the toggles on a surface, step by step: a step that waits
// (a send with its message box) holds up the steps after it.
class PressRuleRunner
{
public:
    explicit PressRuleRunner(PressSurface &surface)
        : m_surface(surface)
    { }

    // False when the handler has no press rule.
    bool run(Layout::Handler rule);
    // Shows whichever panel of the pair is hidden and hides the other.
    void swap(const PressRules::TogglePair &pair);

private:
    PressSurface &m_surface;
};
