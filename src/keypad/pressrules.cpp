#include "pressrules.h"

namespace PressRules {

namespace {

using Op = Step::Op;
using Layout::Handler;

// Every rule ends by bringing the main charts back, so that the next sign is one tap away;
// the martyria rules lead on to the tempo marks that usually follow a martyria.
#define RESET_BLOCK                                                                                \
    {Op::Show, "PanelKatavasi1"}, {Op::Hide, "PanelKatavasi2"}, {Op::Show, "Panelanavasi1"},       \
        {Op::Hide, "Panelanavasi2"}, {Op::Show, "PanelPoiotitas1"}, {Op::Hide, "PanelPoiotitas2"}, \
        {Op::Show, "PanelIson1"},                                                                  \
    {                                                                                              \
        Op::Hide, "PanelIson2"                                                                     \
    }

const Step c3Steps[] = {
    {Op::Send},
    RESET_BLOCK,
    {Op::Hide, "Panelfthores"},
    {Op::Show, "Panelgorgo"},
    {Op::Show, "PanelxronikiAgogi1"},
    {Op::Hide, "PanelxronikiAgogi2"},
};

// A phthora leaves the phthora chart up: several often follow one another.
const Step ft8Steps[] = {
    {Op::Send},
    RESET_BLOCK,
    {Op::Show, "PanelxronikiAgogi1"},
    {Op::Hide, "PanelxronikiAgogi2"},
};

// The pair is swapped before the send, so the signs are already up while a failure is shown.
const Step m1Steps[] = {
    {Op::SwapMartyria},
    {Op::Send},
    RESET_BLOCK,
    {Op::Hide, "Panelfthores"},
    {Op::Show, "Panelgorgo"},
    {Op::Show, "PanelxronikiAgogi2"},
    {Op::Hide, "PanelxronikiAgogi1"},
};

const Step o1Steps[] = {
    {Op::SwapMartyria},
    {Op::Send},
    {Op::UncheckCheckBox},
    RESET_BLOCK,
    {Op::Hide, "Panelfthores"},
    {Op::Show, "Panelgorgo"},
    {Op::Hide, "PanelxronikiAgogi1"},
    {Op::Show, "PanelxronikiAgogi2"},
};

const Step o5Steps[] = {
    {Op::Send},
    RESET_BLOCK,
    {Op::Hide, "Panelfthores"},
    {Op::Show, "Panelgorgo"},
    {Op::Hide, "PanelxronikiAgogi1"},
    {Op::Show, "PanelxronikiAgogi2"},
};

#undef RESET_BLOCK

const Step ark1Steps[] = {
    {Op::Send},
};

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
    switch (rule) {
    case Handler::c3Click:
        return c3Steps;
    case Handler::ft8Click:
        return ft8Steps;
    case Handler::m1Click:
        return m1Steps;
    case Handler::o1Click:
        return o1Steps;
    case Handler::o5Click:
        return o5Steps;
    case Handler::ark1Click:
        return ark1Steps;
    default:
        return {};
    }
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
