// SPDX-License-Identifier: GPL-3.0-or-later

#include "layout.h"

namespace Layout {

std::span<const Row> settingsScreenRows()
{
    static const Row rows[] = {
        {.name = "Panel5", .kind = Kind::Panel, .rect = {0, 0, 425, 289}, .style = Style::Plain,
            .visible = false, .tabOrder = 3, .centred = true},
        {.name = "Memo1", .kind = Kind::Memo, .parent = "Panel5", .rect = {18, 194, 395, 81},
            .tabOrder = 0},
        {.name = "Edit3", .kind = Kind::Edit, .parent = "Panel5", .rect = {264, 64, 73, 32},
            .text = "6000", .tabOrder = 1},
        {.name = "Edit2", .kind = Kind::Edit, .parent = "Panel5", .rect = {248, 8, 113, 32},
            .text = "127.0.0.1", .tabOrder = 2},
        {.name = "Edit1", .kind = Kind::Edit, .parent = "Panel5", .rect = {16, 54, 169, 32},
            .visible = false, .tabOrder = 3},
        {.name = "ButtonSendString", .kind = Kind::Button, .parent = "Panel5",
            .rect = {18, 90, 73, 44}, .text = "send", .visible = false, .tabOrder = 5},
        {.name = "Button4", .kind = Kind::Button, .parent = "Panel5", .rect = {16, 144, 105, 41},
            .text = "Επιστροφή", .handler = Handler::Button1Click, .tabOrder = 6},
        // Listed inside the settings screen but owned by the window: the screen's
        // visibility does not stop it.
        {.name = "Timer1", .kind = Kind::Timer, .parent = "Panel5"},
        {.name = "Label1", .kind = Kind::Label, .parent = "Panel5", .rect = {156, 92, 61, 23},
            .text = "ok", .visible = false},
        {.name = "ConnectDisconnect", .kind = Kind::CornerButton, .parent = "Panel5",
            .rect = {16, 16, 185, 41}, .text = "Connect Disconnect",
            .handler = Handler::ConnectDisconnectClick, .tabOrder = 4},
        {.name = "IdUDPServer1", .kind = Kind::UdpServer},
        {.name = "IdTCPClient1", .kind = Kind::TcpClient},
    };
    return rows;
}

} // namespace Layout
