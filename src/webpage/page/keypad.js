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
  constructor(stage, layout) {
    this.stage = stage;
    this.rows = new Map();
    this.elements = new Map();
    for (const row of layout.rows) {
      const element = elementFor(row);
      element.classList.add('row', row.kind, row.style);
      element.dataset.row = row.name;
      if (!row.parent) element.classList.add('screen');
      const parent = row.parent ? this.elements.get(row.parent) : stage;
      if (!parent) continue;
      let { x, y } = row;
      if (row.centred) {
        x = (layout.width - row.w) / 2;
        y = (layout.height - row.h) / 2;
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
      parent.append(element);
      this.rows.set(row.name, row);
      this.elements.set(row.name, element);
    }
    this.width = layout.width;
    this.height = layout.height;
    this.fit();
    addEventListener('resize', () => this.fit());
    this.loadPictures();
  }

  // The pictures that show at start load at once. The others, of the screens and panels that
  // start hidden (two thirds of all the pictures' bytes), wait until those have come in and
  // been drawn, so that they do not hold up the first paint; a panel shown before then loads
  // its pictures as it shows.
  loadPictures() {
    const now = [];
    const later = [];
    for (const img of this.stage.querySelectorAll('img[data-src]')) {
      (img.closest('[hidden]') ? later : now).push(img);
    }
    for (const img of now) img.src = img.dataset.src;
    const arrived = now.map((img) => new Promise((done) => {
      img.addEventListener('load', done, { once: true });
      img.addEventListener('error', done, { once: true });
    }));
    Promise.all(arrived).then(() => requestAnimationFrame(() => setTimeout(() => {
      for (const img of later) if (!img.hasAttribute('src')) img.src = img.dataset.src;
    }, 0)));
  }

  loadShownPictures(element) {
    for (const img of element.querySelectorAll('img[data-src]:not([src])')) {
      if (!img.closest('[hidden]')) img.src = img.dataset.src;
    }
  }

  // Stretched to the window on each axis, as the desktop window stretches its screens.
  fit() {
    const sx = innerWidth / this.width;
    const sy = innerHeight / this.height;
    this.stage.style.transform = `scale(${sx}, ${sy})`;
  }

  button(name) {
    const element = this.elements.get(name);
    return element instanceof HTMLButtonElement ? element : null;
  }

  show(state) {
    let appeared = false;
    for (const [panel, shown] of Object.entries(state.shown ?? {})) {
      const element = this.elements.get(panel);
      if (!element || element.hidden === !shown) continue;
      element.hidden = !shown;
      appeared ||= shown;
    }
    for (const [toggle, alternate] of Object.entries(state.alternates ?? {})) {
      this.button(toggle)?.setAttribute('aria-pressed', String(alternate));
    }
    if ('checked' in state) this.button('CheckBox1')?.setAttribute('aria-pressed', String(state.checked));
    if ('connected' in state) {
      const tile = this.button('con_SpeedButton');
      const connectedPicture = this.elements.get('BitmapListAnimation2');
      const searchingPicture = this.elements.get('BitmapListAnimation1');
      if (connectedPicture) connectedPicture.hidden = !state.connected;
      if (searchingPicture) searchingPicture.hidden = state.connected;
      tile?.setAttribute('aria-description', state.connectedText ?? '');
      appeared = true;
    }
    if (appeared) this.loadShownPictures(this.stage);
    if ('host' in state && this.elements.get('Edit2')) this.elements.get('Edit2').value = state.host;
    if ('port' in state && this.elements.get('Edit3')) this.elements.get('Edit3').value = state.port;
  }

  log(line) {
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
