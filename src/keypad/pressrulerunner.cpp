// SPDX-License-Identifier: GPL-3.0-or-later

#include "pressrulerunner.h"

#include "presssurface.h"

bool PressRuleRunner::run(Layout::Handler rule)
{
    using Op = PressRules::Step::Op;
    const std::span<const PressRules::Step> steps = PressRules::steps(rule);
    for (const PressRules::Step &step : steps) {
        switch (step.op) {
        case Op::Send:
            m_surface.send();
            break;
        case Op::SwapMartyria:
            swap(*PressRules::togglePair(Layout::Handler::enallagiMartyriesClick));
            break;
        case Op::UncheckCheckBox:
            m_surface.uncheckCheckBox();
            break;
        case Op::Show:
            m_surface.show(step.panel);
            break;
        case Op::Hide:
            m_surface.hide(step.panel);
            break;
        }
    }
    return !steps.empty();
}

void PressRuleRunner::swap(const PressRules::TogglePair &pair)
{
    // Each panel flips on its own, as a toggle does, whatever state the pair is in.
    for (const char *panel : {pair.primary, pair.alternate}) {
        if (m_surface.isShown(panel))
            m_surface.hide(panel);
        else
            m_surface.show(panel);
    }
}
