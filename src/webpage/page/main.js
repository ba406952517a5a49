// SPDX-License-Identifier: GPL-3.0-or-later
import { Keypad } from './keypad.js';
import { Link } from './link.js';
import { Taps } from './taps.js';

const stage = document.getElementById('stage');
const noLink = document.getElementById('nolink');
const dialog = document.getElementById('message');
const dialogText = document.getElementById('message-text');

// The layout comes inside the page, which saves the wait for a request of its own.
const layout = JSON.parse(document.getElementById('layout').textContent);
const keypad = new Keypad(stage, layout);
let asked = false;

function goFullScreen() {
  if (asked) return;
  asked = true;
  const root = document.documentElement;
  const request = root.requestFullscreen ?? root.webkitRequestFullscreen;
  if (request && !matchMedia('(display-mode: fullscreen)').matches)
    Promise.resolve(request.call(root)).catch(() => {});
}

const taps = new Taps(stage, (name) => {
  goFullScreen();
  if (!link.send({ t: 'press', name })) {
    // Not swallowed: the tablet says why nothing was sent.
    noLink.classList.remove('nudge');
    void noLink.offsetWidth;
    noLink.classList.add('nudge');
  }
});

function showMessage(text) {
  taps.dropAll();
  dialogText.textContent = text;
  if (!dialog.open) dialog.showModal();
}

const link = new Link(
  (message) => {
    switch (message.t) {
    case 'state':
      keypad.show(message);
      break;
    case 'flash':
      keypad.flash(message.name);
      break;
    case 'message':
      showMessage(message.text);
      break;
    case 'log':
      keypad.log(message.line);
      break;
    case 'closed':
      // The power tile: this tablet's keypad ends; reloading the page opens a new one.
      link.closeForGood();
      noLink.replaceChildren(...['Το πληκτρολόγιο έκλεισε. Ανανεώστε τη σελίδα για να ανοίξει ξανά.',
        'The keypad was closed. Reload the page to open it again.'].map((text, i) => {
        const p = document.createElement('p');
        p.textContent = text;
        if (i) p.lang = 'en';
        return p;
      }));
      break;
    }
  },
  (open) => {
    noLink.hidden = open;
    document.body.classList.toggle('offline', !open);
    document.documentElement.dataset.link = open ? 'open' : 'closed';
  });

document.documentElement.dataset.ready = 'true';
