#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The browser keypad's two rows, in headless Chromium, each against its floor in the same run.

W1, tap to wire: from the page's pointerup to the line at the ZP server. zp-webpad's page,
model and link, against a minimal page whose WebSocket sends the same line to a minimal Beast
server that writes it to TCP (zp-bench-webpadfloor).
W2, load to first complete paint: from navigation to the first frame that shows the page built
and every picture it shows loaded, at a tablet size, against a page that shows one
full-viewport SVG.

Prints the bench's result lines ("result KEY PINNING COUNT MEDIAN P99", nanoseconds) for
bench/run's report. The pinning is only a label: bench/run pins this script, and with it the
browser, zp-webpad and the floor's server, which inherit its CPU.

Usage: webpad_bench.py BUILD_DIR PINNING [--quick]
"""
import math
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder

build, pinning = sys.argv[1], sys.argv[2]
quick = "--quick" in sys.argv
BLOCKS = 4  # the taps in blocks, the page and its floor in turns, so that drift hits both
taps_per_block = 3 if quick else 15
loads = 3 if quick else 15
TABLET = (1180, 820)

# Installed before any of a page's own scripts: the time, on the page's clock, of the first
# frame after which the page is built (its module has run, if it has one) and every picture it
# shows has loaded. Checked before every frame; the time is taken in a task after
# the frame, so that the frame's own style, layout and paint count. Pictures of parts that
# are hidden are not shown, so they do not count; a picture that appears later counts from
# then on, when it shows.
FIRST_PAINT_PROBE = """
(() => {
  const shown = () => [...document.images].filter(
    (image) => image.getAttribute('src') && image.getClientRects().length > 0);
  const built = () => document.readyState !== 'loading'
    && (document.documentElement.dataset.ready === 'true'
        || !document.querySelector('script[type=module]'));
  const frame = () => {
    const images = built() ? shown() : [];
    if (images.length === 0 || !images.every((image) => image.complete)) {
      requestAnimationFrame(frame);
      return;
    }
    const after = new MessageChannel();
    after.port1.onmessage = () => { window.firstCompletePaint = performance.now(); };
    after.port2.postMessage(0);
  };
  requestAnimationFrame(frame);
})();
"""


class ZpServer:
    """A ZP server that answers "ok" and notes when each line arrived, on the wall clock
    the browser's event times are on too."""

    def __init__(self):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen()
        self.port = self.listener.getsockname()[1]
        self.arrivals = []
        self.connections = 0
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            connection, _ = self.listener.accept()
            self.connections += 1
            threading.Thread(target=self.serve, args=(connection,), daemon=True).start()

    def serve(self, connection):
        buffered = b""
        while True:
            try:
                data = connection.recv(4096)
            except OSError:
                return
            if not data:
                return
            now = time.time_ns()
            buffered += data
            while b"\n" in buffered:
                _, buffered = buffered.split(b"\n", 1)
                self.arrivals.append(now)
                connection.sendall(b"ok\r\n")


def chromium():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                     f"--window-size={TABLET[0]},{TABLET[1]}"):
        options.add_argument(argument)
    driver = webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FIRST_PAINT_PROBE})
    return driver


def wait_for(predicate, what, seconds=15):
    end = time.monotonic() + seconds
    while not predicate():
        if time.monotonic() > end:
            raise RuntimeError(f"timed out: {what}")
        time.sleep(0.02)


def open_for_taps(driver, url, zp):
    connections = zp.connections
    driver.get(url)
    wait_for(lambda: driver.execute_script("return document.documentElement.dataset.link")
             == "open", f"no link at {url}")
    # Both servers connect to the ZP server when the WebSocket opens: a tap before that
    # would time the connect. A user taps once the page has come in, so the taps wait for
    # every picture too, those that load after the first paint included.
    wait_for(lambda: zp.connections > connections, f"no ZP connection from {url}")
    wait_for(lambda: driver.execute_script(
        "return [...document.images].every(i => i.complete"
        " && (i.getAttribute('src') || !i.dataset.src))"), f"pictures still loading at {url}")
    driver.execute_script(
        "window.ups = []; document.addEventListener('pointerup',"
        " e => ups.push(performance.timeOrigin + e.timeStamp), true)")


def tap_block(driver, selector, zp, samples):
    target = driver.find_element("css selector", selector)
    for _ in range(taps_per_block):
        before = len(zp.arrivals)
        actions = ActionBuilder(driver)
        finger = actions.add_pointer_input(interaction.POINTER_TOUCH, "finger")
        finger.create_pointer_move(origin=target)
        finger.create_pointer_down(button=0)
        finger.create_pointer_up(0)
        actions.perform()
        wait_for(lambda: len(zp.arrivals) > before, "no line at the ZP server", 5)
        up = driver.execute_script("return ups[ups.length - 1]")
        samples.append(round(zp.arrivals[-1] - up * 1e6))  # nanoseconds
        time.sleep(0.2)  # a human's pace, under zp-webpad's rate limit


def load_to_paint(driver, url):
    """One cold load: nothing of the page's files kept from the last one."""
    driver.get("about:blank")
    driver.execute_cdp_cmd("Network.clearBrowserCache", {})
    driver.get(url)
    wait_for(lambda: driver.execute_script("return window.firstCompletePaint !== undefined"),
             f"no complete paint at {url}", 30)
    return round(driver.execute_script("return window.firstCompletePaint") * 1e6)


def percentile(values, p):
    ordered = sorted(values)
    return ordered[max(0, min(len(ordered) - 1, math.ceil(p / 100 * len(ordered)) - 1))]


def result(key, samples):
    print(f"result {key} {pinning} {len(samples)} {percentile(samples, 50)} "
          f"{percentile(samples, 99)}", flush=True)


def main():
    zp = ZpServer()
    work = tempfile.mkdtemp()
    webpad = subprocess.Popen(
        [os.path.join(build, "zp-webpad"), "--headless", "--port", "0", "--listen", "127.0.0.1",
         "--url-host", "127.0.0.1", "--server", f"127.0.0.1:{zp.port}",
         "--key-file", os.path.join(work, "key")],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
        env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    url = webpad.stdout.readline().split()[-1]
    floor = subprocess.Popen([os.path.join(build, "bench", "zp-bench-webpadfloor"), str(zp.port)],
                             stdout=subprocess.PIPE, text=True)
    floor_url = f"http://127.0.0.1:{floor.stdout.readline().strip()}/"
    # The floor of the load: the largest chart of the main screen, as zp-webpad serves it,
    # from a page that needs no request of its own. Beside it, not a row: the same page
    # showing the sheet of every picture the first screen shows, for how much of the keypad's
    # time its pictures alone take.
    svg_page = os.path.join(work, "svg.html")
    sheet_page = os.path.join(work, "sheet.html")
    for path, picture in ((svg_page, "pictures/Image5.svg"), (sheet_page, "pictures/start.svg")):
        with open(path, "w") as page:
            page.write('<!DOCTYPE html><html><body style="margin:0"><img src="' + url + picture
                       + '" style="width:100vw;height:100vh;display:block"></body></html>')
    driver = chromium()
    try:
        ours, bare = [], []
        for _ in range(BLOCKS):
            open_for_taps(driver, url, zp)
            tap_block(driver, 'button[data-name="a6"]', zp, ours)
            open_for_taps(driver, floor_url, zp)
            tap_block(driver, "#b", zp, bare)
        result("webtap.keypad", ours)
        result("webtap.floor", bare)

        ours, bare, sheet = [], [], []
        for _ in range(loads):
            ours.append(load_to_paint(driver, url))
            bare.append(load_to_paint(driver, "file://" + svg_page))
            sheet.append(load_to_paint(driver, "file://" + sheet_page))
        result("webload.keypad", ours)
        result("webload.floor", bare)
        pictures, least = percentile(sheet, 50), percentile(bare, 50)
        print(f"note {pinning} webload: the first screen's pictures alone, their sheet as one "
              f"full-viewport SVG, {pictures / 1e6:.1f} ms ({pictures / least:.2f}× the floor; "
              f"the keypad {percentile(ours, 50) / least:.2f}×)", flush=True)
    finally:
        driver.quit()
        webpad.terminate()
        floor.terminate()


main()
