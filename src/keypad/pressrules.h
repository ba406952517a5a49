// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "layout.h"

#include <span>

// What a press does, as data: the steps of each handler group's rule, in order, and the
// panel pairs that the toggles swap. PressRuleRunner carries the steps out.
namespace PressRules {

struct Step
{
    enum class Op {
        Send, // the pressed control's name through the send routine
        SwapMartyria, // the martyria toggle
        UncheckCheckBox, // from code: sends nothing
        Show,
        Hide,
    };
    Op op;
    const char *panel = nullptr; // for Show and Hide
};

// The steps of a press rule; empty for a handler that is not a press rule.
std::span<const Step> steps(Layout::Handler rule);

struct TogglePair
{
    Layout::Handler handler;
    const char *toggle;
    const char *primary;
    const char *alternate;
};

std::span<const TogglePair> togglePairs();
const TogglePair *togglePair(Layout::Handler handler);

} // namespace PressRules
