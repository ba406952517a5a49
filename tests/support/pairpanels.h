// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The main screen's seven alternate pairs, written out rather than read from the tables under
// test, in the order of a state string: descent, ascent, quality, ison, gorgon / phthora,
// tempo, martyria. In a state string '1' stands for a pair showing its primary, '2' its
// alternate, '?' both or neither.
inline const char *const pairPanels[][2] = {
    {"PanelKatavasi1", "PanelKatavasi2"},
    {"Panelanavasi1", "Panelanavasi2"},
    {"PanelPoiotitas1", "PanelPoiotitas2"},
    {"PanelIson1", "PanelIson2"},
    {"Panelgorgo", "Panelfthores"},
    {"PanelxronikiAgogi1", "PanelxronikiAgogi2"},
    {"PanelMartyries1", "PanelMartyries2"},
};

// The state string of the pairs, given whether a panel is shown.
template<typename Shown> QString pairState(Shown shown)
{
    QString state;
    for (const auto &pair : pairPanels) {
        const bool primary = shown(pair[0]);
        const bool alternate = shown(pair[1]);
        state += primary == alternate ? u'?' : primary ? u'1' : u'2';
    }
    return state;
}
