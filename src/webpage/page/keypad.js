// SPDX-License-Identifier: GPL-3.0-or-later
// The keypad's views built from the layout's rows, and the state the server sends drawn on
// them. Nothing here decides what a press does: the server's model does.

const pressableKinds = new Set(['speedbutton', 'button', 'cornerbutton', 'checkbox']);

function elementFor(row) {
  if (row.picture) {
    const img = document.createElement('img');
    img.dataset.src = row.picture;
    img.alt = '';
    img.draggable = false;
    return img;
  }
  if (pressableKinds.has(row.kind) && row.pressable) {
    const button = document.createElement('button');
    button.type = 'button';
    button.dataset.name = row.name;
    if (row.label) button.setAttribute('aria-label', row.label);
    if (row.style !== 'circle' && row.text) button.textContent = row.text;
    return button;
  }
  if (row.kind === 'edit') {
    const input = document.createElement('input');
    input.readOnly = true;
    input.value = row.text ?? '';
    return input;
  }
  if (row.kind === 'memo') {
    const memo = document.createElement('textarea');
    memo.readOnly = true;
    memo.setAttribute('aria-label', 'Log');
    return memo;
  }
  // Panels, labels, and the hit areas that send nothing: the martyria chart's labels are
  // read as text.
  const div = document.createElement('div');
  if (row.kind === 'label') div.textContent = row.text ?? '';
  if (row.kind === 'speedbutton' && !row.pressable) {
    div.classList.add('inert');
    if (row.label) {
      div.setAttribute('role', 'img');
      div.setAttribute('aria-label', row.label);
    }
  }
  return div;
}

export class Keypad {
  // What shows at start is built at once; the screens and panels that start hidden, with all
  // they hold (three fifths of the rows), are built once the first screen has been drawn, or
  // as soon as something needs them. A comment holds the place of each, so that it lands
  // where its row stands among its siblings.
  constructor(stage, layout) {
    this.stage = stage;
    this.layout = layout;
    this.elements = new Map();
    this.later = [];
    this.places = new Map();
    this.pending = []; // what came for the parts not built yet, done again once they are
    const waiting = new Set();
    for (const row of layout.rows) {
      if (row.parent && waiting.has(row.parent)) {
        waiting.add(row.name);
        this.later.push(row);
        continue;
      }
      const parent = row.parent ? this.elements.get(row.parent) : stage;
      if (!parent) continue;
      if (!row.visible) {
        const place = document.createComment(row.name);
        parent.append(place);
        this.places.set(row.name, place);
        waiting.add(row.name);
        this.later.push(row);
        continue;
      }
      parent.append(this.build(row));
    }
    this.fit();
    addEventListener('resize', () => this.fit());
    this.loadPictures();
  }

  build(row) {
    const element = elementFor(row);
    element.classList.add('row', row.kind, row.style);
    element.dataset.row = row.name;
    if (!row.parent) element.classList.add('screen');
    let { x, y } = row;
    if (row.centred) {
      x = (this.layout.width - row.w) / 2;
      y = (this.layout.height - row.h) / 2;
    }
    if (row.kind === 'animation') {
      Object.assign(element.style, { left: '0', top: '0', width: '100%', height: '100%' });
    } else {
      Object.assign(element.style, {
        left: `${x}px`, top: `${y}px`, width: `${row.w}px`, height: `${row.h}px`,
      });
    }
    if (row.sx) element.style.transform = `scale(${row.sx}, ${row.sy})`;
    if (row.fontSize) element.style.fontSize = `${row.fontSize}px`;
    element.hidden = !row.visible;
    this.elements.set(row.name, element);
    return element;
  }

  buildRest() {
    if (!this.later) return;
    const later = this.later;
    this.later = null;
    for (const row of later) {
      const element = this.build(row);
      const place = this.places.get(row.name);
      if (place) place.replaceWith(element);
      else this.elements.get(row.parent)?.append(element);
    }
    this.places.clear();
    const pending = this.pending;
    this.pending = [];
    for (const done of pending) done();
  }

  // The pictures that show at start load at once, those of the first screen all from one
  // sheet. The others, of the screens and panels that start hidden, wait until those have
  // come in and been drawn, so that they do not hold up the first paint; a panel shown
  // before then loads its pictures as it shows.
  loadPictures() {
    // Whatever is built before the first paint shows: what starts hidden is built later.
    const now = [...this.stage.querySelectorAll('img[data-src]')];
    for (const img of now) img.src = img.dataset.src;
    const arrived = now.map((img) => new Promise((done) => {
      img.addEventListener('load', done, { once: true });
      img.addEventListener('error', done, { once: true });
    }));
    Promise.all(arrived).then(() => requestAnimationFrame(() => setTimeout(() => {
      this.buildRest();
      for (const img of this.stage.querySelectorAll('img[data-src]:not([src])')) img.src = img.dataset.src;
    }, 0)));
  }

  loadShownPictures(element) {
    for (const img of element.querySelectorAll('img[data-src]:not([src])')) {
      if (!img.closest('[hidden]')) img.src = img.dataset.src;
    }
  }

  // Stretched to the window on each axis, as the desktop window stretches its screens.
  fit() {
    const sx = innerWidth / this.layout.width;
    const sy = innerHeight / this.layout.height;
    this.stage.style.transform = `scale(${sx}, ${sy})`;
  }

  button(name) {
    if (!this.elements.has(name)) this.buildRest();
    const element = this.elements.get(name);
    return element instanceof HTMLButtonElement ? element : null;
  }

  show(state) {
    if (this.later) this.pending.push(() => this.show(state));
    let appeared = false;
    let needsLater = false; // the state shows a part not built yet
    for (const [panel, shown] of Object.entries(state.shown ?? {})) {
      const element = this.elements.get(panel);
      if (!element) {
        needsLater ||= shown;
        continue;
      }
      if (element.hidden === !shown) continue;
      element.hidden = !shown;
      appeared ||= shown;
    }
    for (const [toggle, alternate] of Object.entries(state.alternates ?? {})) {
      this.elements.get(toggle)?.setAttribute('aria-pressed', String(alternate));
    }
    if ('checked' in state) this.elements.get('CheckBox1')?.setAttribute('aria-pressed', String(state.checked));
    if ('connected' in state) {
      const tile = this.elements.get('con_SpeedButton');
      const connectedPicture = this.elements.get('BitmapListAnimation2');
      const searchingPicture = this.elements.get('BitmapListAnimation1');
      if (connectedPicture) connectedPicture.hidden = !state.connected;
      else needsLater ||= state.connected;
      if (searchingPicture) searchingPicture.hidden = state.connected;
      tile?.setAttribute('aria-description', state.connectedText ?? '');
      appeared = true;
    }
    if (appeared) this.loadShownPictures(this.stage);
    if ('host' in state && this.elements.get('Edit2')) this.elements.get('Edit2').value = state.host;
    if ('port' in state && this.elements.get('Edit3')) this.elements.get('Edit3').value = state.port;
    if (needsLater) this.buildRest();
  }

  log(line) {
    if (this.later) {
      this.pending.push(() => this.log(line));
      return;
    }
    const memo = this.elements.get('Memo1');
    if (memo) memo.value += (memo.value ? '\n' : '') + line;
  }

  flash(name) {
    const button = this.button(name);
    if (!button) return;
    const ms = Number(getComputedStyle(document.documentElement).getPropertyValue('--flash-ms'));
    button.classList.add('flash');
    clearTimeout(button.flashEnd);
    button.flashEnd = setTimeout(() => button.classList.remove('flash'), ms || 150);
    document.documentElement.dataset.lastFlash = name;
  }
}
