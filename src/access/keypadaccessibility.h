// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QObject;

// Hands the toolkit the accessible interfaces of the keypad's own kinds of control: the
// window, its hit areas, the buttons drawn in its scene, and an application root that lists
// only real windows.
namespace KeypadAccessibility {

// Once per process; later calls do nothing.
void install();

// Drops an interface that the toolkit made for the object before the keypad's could be made:
// for a widget still under construction, or for a button not yet placed in the scene.
void claim(QObject *object);

} // namespace KeypadAccessibility
