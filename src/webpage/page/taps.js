// SPDX-License-Identifier: GPL-3.0-or-later
// Each finger is a tap of its own: a sign is sent when the finger that went down on it
// lifts over it, in the order fingers lift; a finger that slides off sends nothing. A
// screen reader's or a keyboard's press, which comes as a click without a finger, is a tap
// too.

export class Taps {
  constructor(stage, onTap) {
    this.onTap = onTap;
    this.down = new Map(); // pointerId -> button, or null for a touch beside every button
    document.addEventListener('pointerdown', (e) => this.pointerDown(e));
    document.addEventListener('pointerup', (e) => this.pointerUp(e));
    document.addEventListener('pointercancel', (e) => this.release(e.pointerId));
    stage.addEventListener('click', (e) => this.click(e));
    stage.addEventListener('contextmenu', (e) => e.preventDefault());
  }

  pointerDown(e) {
    const button = e.target.closest?.('#stage button[data-name]');
    if (e.pointerType === 'mouse' && e.button !== 0) return;
    this.down.set(e.pointerId, button ?? null);
    if (!button) return;
    // A touch holds its element until it lifts; let go, so that the lift tells where it is.
    if (button.hasPointerCapture?.(e.pointerId)) button.releasePointerCapture(e.pointerId);
    button.classList.add('pressed');
  }

  pointerUp(e) {
    const under = document.elementFromPoint(e.clientX, e.clientY)?.closest('#stage button[data-name]');
    // A lift whose touch-down never came: WebKit on Linux turns touches into one mouse, which
    // reports the second finger's lift but not its landing. The lift is that finger's tap.
    const button = this.down.has(e.pointerId) ? this.release(e.pointerId) : under;
    if (!button || under !== button) return;
    button.lastTap = performance.now();
    this.onTap(button.dataset.name);
  }

  release(pointerId) {
    const button = this.down.get(pointerId);
    this.down.delete(pointerId);
    if (button && ![...this.down.values()].includes(button)) button.classList.remove('pressed');
    return button;
  }

  click(e) {
    const button = e.target.closest('button[data-name]');
    if (!button) return;
    // The click that follows a finger's lift was that tap already.
    if (button.lastTap !== undefined && performance.now() - button.lastTap < 1000) return;
    this.onTap(button.dataset.name);
  }

  // A message came up: the fingers still down send nothing when they lift.
  dropAll() {
    for (const [id, button] of this.down) {
      button?.classList.remove('pressed');
      this.down.set(id, null);
    }
  }
}
