// SPDX-License-Identifier: GPL-3.0-or-later
// The page's WebSocket to zp-webpad. It reconnects by itself, soon after a loss and at once
// when the page comes back from the background, and checks a link that may have died while
// the tablet slept.

const PingEveryMs = 10000;
const PongWithinMs = 3000;

export class Link {
  constructor(onMessage, onOpenChanged) {
    this.onMessage = onMessage;
    this.onOpenChanged = onOpenChanged;
    this.socket = null;
    this.open = false;
    this.retryMs = 250;
    this.closedForGood = false;
    this.url = new URL('ws', location.href);
    this.url.protocol = location.protocol === 'https:' ? 'wss:' : 'ws:';
    const wake = () => this.check();
    document.addEventListener('visibilitychange', () => {
      if (document.visibilityState === 'visible') wake();
    });
    addEventListener('pageshow', wake);
    addEventListener('online', wake);
    addEventListener('focus', wake);
    setInterval(() => this.ping(), PingEveryMs);
    this.connect();
  }

  connect() {
    if (this.socket || this.closedForGood) return;
    clearTimeout(this.retry);
    const socket = new WebSocket(this.url);
    this.socket = socket;
    socket.onopen = () => {
      this.retryMs = 250;
      this.setOpen(true);
    };
    socket.onmessage = (e) => {
      clearTimeout(this.pongDue);
      let message;
      try {
        message = JSON.parse(e.data);
      } catch {
        return;
      }
      if (message.t !== 'pong') this.onMessage(message);
    };
    socket.onclose = () => {
      if (this.socket !== socket) return;
      this.socket = null;
      this.setOpen(false);
      this.retry = setTimeout(() => this.connect(), this.retryMs);
      this.retryMs = Math.min(this.retryMs * 2, 4000);
    };
  }

  setOpen(open) {
    if (this.open === open) return;
    this.open = open;
    this.onOpenChanged(open);
  }

  send(message) {
    if (!this.open) return false;
    this.socket.send(JSON.stringify(message));
    return true;
  }

  ping() {
    if (!this.open) return;
    this.send({ t: 'ping' });
    clearTimeout(this.pongDue);
    this.pongDue = setTimeout(() => this.drop(), PongWithinMs);
  }

  // Back from sleep: a socket that looks open may be dead; one that is closed is retried now.
  check() {
    if (this.socket && this.open) {
      this.ping();
    } else {
      this.retryMs = 250;
      this.connect();
    }
  }

  drop() {
    const socket = this.socket;
    if (!socket) return;
    this.socket = null;
    socket.close();
    this.setOpen(false);
    this.connect();
  }

  closeForGood() {
    this.closedForGood = true;
    this.socket?.close();
  }
}
