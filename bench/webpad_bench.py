#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The browser keypad's two rows, in headless Chromium, each against its floor in the same run.

tap to wire: from the page's pointerup to the line at the ZP server. zp-webpad's page, model
and link, against a minimal page whose WebSocket sends the same line to a minimal Beast
server that writes it to TCP (zp-bench-webpadfloor).
load to first paint: from navigation to the first frame after every picture has loaded, at a
tablet size, against a page that shows one full-viewport SVG.

Usage: webpad_bench.py BUILD_DIR [--quick]
"""
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder

build = sys.argv[1]
quick = "--quick" in sys.argv
taps = 10 if quick else 60
loads = 3 if quick else 15
TABLET = (1180, 820)


class ZpServer:
    """A ZP server that answers "ok" and notes when each line arrived, on the wall clock
    the browser's event times are on too."""

    def __init__(self):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen()
        self.port = self.listener.getsockname()[1]
        self.arrivals = []
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            connection, _ = self.listener.accept()
            threading.Thread(target=self.serve, args=(connection,), daemon=True).start()

    def serve(self, connection):
        buffered = b""
        while True:
            data = connection.recv(4096)
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
    return webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))


def tap_to_wire(driver, url, selector, zp):
    driver.get(url)
    end = time.monotonic() + 15
    while driver.execute_script("return document.documentElement.dataset.link") != "open":
        if time.monotonic() > end:
            raise RuntimeError(f"no link at {url}")
        time.sleep(0.05)
    driver.execute_script(
        "window.ups = []; document.addEventListener('pointerup',"
        " e => ups.push(performance.timeOrigin + e.timeStamp), true)")
    target = driver.find_element("css selector", selector)
    delays = []
    for _ in range(taps):
        before = len(zp.arrivals)
        actions = ActionBuilder(driver)
        finger = actions.add_pointer_input(interaction.POINTER_TOUCH, "finger")
        finger.create_pointer_move(origin=target)
        finger.create_pointer_down(button=0)
        finger.create_pointer_up(0)
        actions.perform()
        end = time.monotonic() + 5
        while len(zp.arrivals) == before and time.monotonic() < end:
            time.sleep(0.002)
        up = driver.execute_script("return ups[ups.length - 1]")
        delays.append((zp.arrivals[-1] / 1e6 - up) * 1000)  # microseconds
        time.sleep(0.2)  # a human's pace, under zp-webpad's rate limit
    return statistics.median(delays)


def load_to_paint(driver, url):
    samples = []
    for _ in range(loads):
        driver.get("about:blank")
        driver.get(url)
        done = driver.execute_async_script(
            "const finish = arguments[arguments.length - 1];"
            "const built = () => document.documentElement.dataset.ready === 'true'"
            "  || !document.querySelector('script[type=module]');"
            "const loaded = () => built() && document.images.length > 0"
            "  && [...document.images].every(i => i.complete);"
            "const check = () => loaded() ? requestAnimationFrame(() => finish(performance.now()))"
            "  : setTimeout(check, 1);"
            "check();")
        samples.append(done * 1000)
    return statistics.median(samples)


def row(what, ours, floor, goal):
    print(f"| {what} | {ours:.0f} µs | {floor:.0f} µs | {ours / floor:.2f}× | {goal} |", flush=True)


def main():
    zp = ZpServer()
    work = tempfile.mkdtemp()
    webpad = subprocess.Popen(
        [os.path.join(build, "zp-webpad"), "--headless", "--port", "0", "--listen", "127.0.0.1",
         "--url-host", "127.0.0.1", "--server", f"127.0.0.1:{zp.port}",
         "--key-file", os.path.join(work, "key")],
        stdout=subprocess.PIPE, text=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    url = webpad.stdout.readline().split()[-1]
    floor = subprocess.Popen([os.path.join(build, "bench", "zp-bench-webpadfloor"), str(zp.port)],
                             stdout=subprocess.PIPE, text=True)
    floor_url = f"http://127.0.0.1:{floor.stdout.readline().strip()}/"
    svg_page = os.path.join(work, "svg.html")
    with open(svg_page, "w") as page:
        page.write('<!DOCTYPE html><html><body style="margin:0"><img src="' + url
                   + 'pictures/Image5.svg" style="width:100vw;height:100vh;display:block">'
                   '</body></html>')
    driver = chromium()
    try:
        print("| what | zp-webpad | floor | ratio | goal |\n|---|---:|---:|---:|---|")
        ours = tap_to_wire(driver, url, 'button[data-name="a6"]', zp)
        bare = tap_to_wire(driver, floor_url, "#b", zp)
        row("tap to wire, pointerup to the line at the server", ours, bare, "≤ 1.3×")
        row(f"page load to first complete paint, {TABLET[0]} × {TABLET[1]}",
            load_to_paint(driver, url), load_to_paint(driver, "file://" + svg_page), "≤ 1.5×")
    finally:
        driver.quit()
        webpad.terminate()
        floor.terminate()


main()
