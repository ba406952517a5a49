// SPDX-License-Identifier: GPL-3.0-or-later

#include "pressrules.h"

#include <array>
#include <vector>

namespace PressRules {

namespace {

using Op = Step::Op;
using Layout::Handler;

enum class Tempo { None, Primary, Alternate };

// How a rule differs from the others; the steps themselves are put together below, so that
// the resets that most rules share are written once.
struct Rule
{
    Handler handler;
    // The martyria pair is swapped before the send, so the signs are already up while a
    // failure is shown.
    bool swapsMartyriaFirst = false;
    bool unchecksCheckBox = false;
    bool resetsCharts = true;
    // A phthora leaves the phthora chart up: several often follow one another.
    bool keepsPhthorae = false;
    // The martyria rules lead on to the tempo marks that usually follow a martyria.
    Tempo tempo = Tempo::Primary;
};

const Rule rules[] = {
    {.handler = Handler::c3Click},
    {.handler = Handler::ft8Click, .keepsPhthorae = true},
    {.handler = Handler::m1Click, .swapsMartyriaFirst = true, .tempo = Tempo::Alternate},
    {.handler = Handler::o1Click,
        .swapsMartyriaFirst = true,
        .unchecksCheckBox = true,
        .tempo = Tempo::Alternate},
    {.handler = Handler::o5Click, .tempo = Tempo::Alternate},
    // A sign of a chart screen resets nothing.
    {.handler = Handler::ark1Click, .resetsCharts = false, .tempo = Tempo::None},
};

void show(std::vector<Step> &steps, const char *shown, const char *hidden)
{
    steps.push_back({Op::Show, shown});
    steps.push_back({Op::Hide, hidden});
}

// Every rule that resets ends by bringing the main charts back, so that the next sign is one
// tap away.
std::vector<Step> stepsOf(const Rule &rule)
{
    std::vector<Step> steps;
    if (rule.swapsMartyriaFirst)
        steps.push_back({Op::SwapMartyria});
    steps.push_back({Op::Send});
    if (rule.unchecksCheckBox)
        steps.push_back({Op::UncheckCheckBox});
    if (!rule.resetsCharts)
        return steps;
    show(steps, "PanelKatavasi1", "PanelKatavasi2");
    show(steps, "Panelanavasi1", "Panelanavasi2");
    show(steps, "PanelPoiotitas1", "PanelPoiotitas2");
    show(steps, "PanelIson1", "PanelIson2");
    if (!rule.keepsPhthorae)
        show(steps, "Panelgorgo", "Panelfthores");
    if (rule.tempo == Tempo::Primary)
        show(steps, "PanelxronikiAgogi1", "PanelxronikiAgogi2");
    else if (rule.tempo == Tempo::Alternate)
        show(steps, "PanelxronikiAgogi2", "PanelxronikiAgogi1");
    return steps;
}

const TogglePair pairs[] = {
    {Handler::enallagixronikiagogiClick, "enallagixronikiagogi", "PanelxronikiAgogi1",
        "PanelxronikiAgogi2"},
    {Handler::enallagiIsonClick, "enallagiIson", "PanelIson1", "PanelIson2"},
    {Handler::enallagiMartyriesClick, "enallagiMartyries", "PanelMartyries1", "PanelMartyries2"},
    {Handler::CornerButton1Click, "CornerButton1", "PanelPoiotitas1", "PanelPoiotitas2"},
    {Handler::enallagifthoresClick, "enallagifthores", "Panelgorgo", "Panelfthores"},
    {Handler::enallagikatavasiClick, "enallagikatavasi", "PanelKatavasi1", "PanelKatavasi2"},
    {Handler::enallagianavasiClick, "enallagianavasi", "Panelanavasi1", "Panelanavasi2"},
};

} // namespace

std::span<const Step> steps(Layout::Handler rule)
{
    static const auto built = [] {
        std::array<std::vector<Step>, std::size(rules)> all;
        for (std::size_t i = 0; i < std::size(rules); ++i)
            all[i] = stepsOf(rules[i]);
        return all;
    }();
    for (std::size_t i = 0; i < std::size(rules); ++i) {
        if (rules[i].handler == rule)
            return built[i];
    }
    return {};
}

std::span<const TogglePair> togglePairs()
{
    return pairs;
}

const TogglePair *togglePair(Layout::Handler handler)
{
    for (const TogglePair &pair : pairs) {
        if (pair.handler == handler)
            return &pair;
    }
    return nullptr;
}

} // namespace PressRules
