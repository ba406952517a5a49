#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The browser keypad in real browsers, through WebDriver: Chromium, and WebKit, the engine of
Safari on the iPad. Run by browser_netns.sh inside a network namespace of its own, with
zp-standin and zp-webpad already serving.

Usage: browser_test.py chromium|webkit URL STANDIN_LOG SCREENSHOT_DIR
"""
import os
import signal
import subprocess
import sys
import time
import urllib.error
import urllib.request

from selenium import webdriver
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder

REFUSAL = "Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server ZP"
SIZES = {"phone": (844, 390), "tablet": (1180, 820)}

browser, url, standin_log, shots = sys.argv[1:5]
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + f"{browser}: {what}", flush=True)
    if not condition:
        failures.append(what)


def wait_for(predicate, seconds=8.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


def differing_pixels(driver, first, second, tolerance):
    """Of two screenshots (PNG, base64), how many pixels differ beyond tolerance in any
    channel, and how many there are; None when their sizes differ. The browser decodes them."""
    return driver.execute_async_script(
        "const [first, second, tolerance, done] = arguments;"
        "const pixels = (png) => new Promise((ok, fail) => {"
        "  const image = new Image();"
        "  image.onload = () => {"
        "    const canvas = document.createElement('canvas');"
        "    canvas.width = image.naturalWidth; canvas.height = image.naturalHeight;"
        "    const context = canvas.getContext('2d'); context.drawImage(image, 0, 0);"
        "    ok(context.getImageData(0, 0, canvas.width, canvas.height));"
        "  };"
        "  image.onerror = fail; image.src = 'data:image/png;base64,' + png; });"
        "Promise.all([pixels(first), pixels(second)]).then(([a, b]) => {"
        "  if (a.width !== b.width || a.height !== b.height) return done(null);"
        "  let differ = 0;"
        "  for (let k = 0; k < a.data.length; k += 4) {"
        "    let most = 0;"
        "    for (let c = 0; c < 4; ++c) most = Math.max(most, Math.abs(a.data[k + c] - b.data[k + c]));"
        "    differ += most > tolerance;"
        "  }"
        "  done([differ, a.width * a.height]);"
        "}, () => done(null))", first, second, tolerance)


def lines_at_server():
    with open(standin_log, encoding="utf-8", errors="replace") as log:
        # "hh:mm:ss.mmm address:port line"
        return [parts[2] for parts in (l.split(" ", 2) for l in log.read().splitlines())
                if len(parts) == 3 and parts[0][:1].isdigit() and not parts[2].endswith("connected")]


def start():
    if browser == "chromium":
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                         "--disable-dev-shm-usage", "--hide-scrollbars"):
            options.add_argument(argument)
        return webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))
    options = webdriver.WebKitGTKOptions()
    options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    options.add_argument("--automation")
    return webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options)


def viewport(driver, size):
    width, height = size
    if browser == "chromium":
        # Headless Chromium's screen is 800 x 600: a larger window is cut to it now and then,
        # its screenshots too. The page gets the size as a device's instead, exactly.
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
        return
    # The window's frame differs between browsers, and a resize takes effect a little later:
    # the inside is measured once it has settled, and the window corrected until it fits.
    window = [width, height]
    for _ in range(5):
        driver.set_window_size(*window)
        inner = None
        for _ in range(20):
            time.sleep(0.05)
            now = driver.execute_script("return [innerWidth, innerHeight]")
            if now == inner:
                break
            inner = now
        if inner == [width, height]:
            return
        window = [window[0] + width - inner[0], window[1] + height - inner[1]]


def load(driver):
    driver.get(url)
    return wait_for(lambda: driver.execute_script(
        "return document.documentElement.dataset.link") == "open", 15)


def button(driver, name):
    return driver.find_element("css selector", f'button[data-name="{name}"]')


def touches(driver, *names):
    """Every finger down, one on each named button, then every finger up, in that order."""
    actions = ActionBuilder(driver)
    fingers = [actions.add_pointer_input(interaction.POINTER_TOUCH, f"finger{i}")
               for i in range(len(names))]
    for finger, name in zip(fingers, names):
        # From the button's centre, in the driver's own coordinates, whatever the page's zoom.
        finger.create_pointer_move(origin=button(driver, name))
        finger.create_pointer_down(button=0)
    for finger in fingers:
        finger.create_pointer_up(0)
    actions.perform()


def tap(driver, name):
    touches(driver, name)


def panel_shown(driver, panel):
    return driver.execute_script(
        "return !document.querySelector(`[data-row='${arguments[0]}']`).closest('[hidden]')",
        panel)


def new_lines(before, count, seconds=8.0):
    wait_for(lambda: len(lines_at_server()) >= before + count, seconds)
    return lines_at_server()[before:]


def page_without_key():
    base = url.split("/", 3)
    bare = f"{base[0]}//{base[2]}/"
    try:
        urllib.request.urlopen(bare, timeout=5)
        return None
    except urllib.error.HTTPError as error:
        return error.code, error.read()


driver = start()
try:
    for size_name, size in SIZES.items():
        viewport(driver, size)
        check(load(driver), f"the page loads and links at {size_name} size {size}")
        fits = driver.execute_script(
            "const r = document.getElementById('stage').getBoundingClientRect();"
            "return [Math.round(r.width), Math.round(r.height), innerWidth, innerHeight]")
        check(fits[0] == fits[2] and fits[1] == fits[3],
              f"the keypad fills the {size_name} screen: {fits}")
        driver.save_screenshot(os.path.join(shots, f"webpad-{browser}-{size_name}.png"))

    # Every picture is drawn, those of the screens and panels that start hidden too, which
    # come in after the first paint; and they come compressed.
    check(wait_for(lambda: driver.execute_script(
        "return [...document.images].every(i => i.getAttribute('src')"
        " && i.complete && i.naturalWidth > 0)")), "every picture loads and decodes")
    # A picture of the first screen is a view of the sheet they share: on the page it is the
    # picture its own file draws, not the whole sheet squeezed into its rectangle. The
    # picture's own file is laid over it, and the window compared before and after; WebKit
    # draws a screenshot of the element alone black.
    shown = driver.find_element("css selector", 'img[data-row="Image5"]')
    before = driver.get_screenshot_as_base64()
    area = driver.execute_script(
        "const shown = document.querySelector('img[data-row=\"Image5\"]');"
        "const own = shown.cloneNode(); own.id = 'own'; own.src = 'pictures/Image5.svg';"
        "shown.after(own); const r = shown.getBoundingClientRect();"
        "return Math.round(r.width * r.height * devicePixelRatio * devicePixelRatio)")
    wait_for(lambda: driver.execute_script(
        "const own = document.getElementById('own'); return own.complete && own.naturalWidth > 0"))
    driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "requestAnimationFrame(() => requestAnimationFrame(() => done()))")
    after = driver.get_screenshot_as_base64()
    driver.execute_script("document.getElementById('own').remove()")
    # Chromium smooths the edges of the sheet's view a little apart from those of the file:
    # up to a tenth of full scale. A view of the wrong place differs by far more.
    differ = differing_pixels(driver, before, after, tolerance=48)
    check(shown.get_attribute("src").endswith("start.svg#Image5") and differ is not None
          and differ[0] <= area // 100,
          f"a picture drawn from its view of the sheet is its own ({shown.get_attribute('src')}: "
          f"{differ[0] if differ else None} of its {area} pixels differ)")
    # Fetched past the browser's cache, which answers a file it revalidated with no sizes.
    sizes = driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "fetch('pictures/Image18.svg', {cache: 'no-store'}).then(r => r.text()).then(() => {"
        "  const r = performance.getEntriesByType('resource')"
        "    .filter(e => e.name.endsWith('/pictures/Image18.svg')).pop();"
        "  done(r ? [r.encodedBodySize, r.decodedBodySize] : null);"
        "}, () => done(null))")
    check(sizes is not None and 0 < sizes[0] < sizes[1] / 2,
          f"the pictures come gzipped (bytes on the wire, bytes of the picture): {sizes}")

    names = driver.execute_script(
        "return [...document.querySelectorAll('button[data-name]')].map("
        "b => [b.dataset.name, b.getAttribute('aria-label') || b.textContent.trim()])")
    unnamed = [name for name, label in names if not label]
    check(len(names) > 250 and not unnamed,
          f"all {len(names)} buttons have a name; without one: {unnamed}")
    # The panels that start hidden are built after the first screen: each stands where its
    # row does among its siblings, which decides what draws over what, and shows what the
    # keypad's state said of it before it was built.
    order = driver.execute_script(
        "const rows = JSON.parse(document.getElementById('layout').textContent).rows;"
        "const parent = (e) => e.parentElement.dataset.row ?? '';"
        "const built = [...document.querySelectorAll('#stage [data-row]')];"
        "return [rows.map(r => r.parent + '/' + r.name).join(' '),"
        "  built.map(e => parent(e) + '/' + e.dataset.row).join(' '),"
        "  document.querySelector('[data-row=\"Edit2\"]').value]")
    check(order[0] == order[1], "every part stands in the order of its rows")
    # browser_netns.sh gives zp-webpad the ZP server at 127.0.0.1.
    check(order[2] == "127.0.0.1",
          f"the settings screen, built later, shows the server's address: {order[2]!r}")
    spoken = {name: button(driver, name).accessible_name
              for name in ("a6", "enallagianavasi", "k1", "con_SpeedButton", "off")}
    check(all(spoken.values()), f"the browser computes the names: {spoken}")

    before = len(lines_at_server())
    tap(driver, "a6")
    check(new_lines(before, 1) == ["a6"], "a tap on a6 sends the line a6")
    check(wait_for(lambda: driver.execute_script(
        "return document.documentElement.dataset.lastFlash") == "a6"),
        "the confirmed sign flashes")

    tap(driver, "enallagianavasi")
    check(wait_for(lambda: panel_shown(driver, "Panelanavasi2")
                   and not panel_shown(driver, "Panelanavasi1")),
          "the ascent toggle shows the alternate chart")
    check(button(driver, "enallagianavasi").get_attribute("aria-pressed") == "true",
          "the toggle reads as pressed")
    before = len(lines_at_server())
    tap(driver, "b7")
    lines = new_lines(before, 1)
    check(lines == ["b7"], f"a sign of the alternate chart sends its line: {lines}")
    check(wait_for(lambda: panel_shown(driver, "Panelanavasi1")),
          "after a sign the ascent charts return to rest")

    before = len(lines_at_server())
    tap(driver, "m1")
    check(wait_for(lambda: panel_shown(driver, "PanelMartyries2")),
          "after a martyria letter its signs come up")
    tap(driver, "o1")
    lines = new_lines(before, 2)
    check(lines == ["m1", "o1"], f"a martyria letter then a sign send both lines: {lines}")
    check(wait_for(lambda: panel_shown(driver, "PanelMartyries1")),
          "after a martyria sign the letters come back")

    before = len(lines_at_server())
    touches(driver, "a6", "c4")
    lines = new_lines(before, 2)
    check(sorted(lines) == ["a6", "c4"], f"two overlapping touches send two lines: {lines}")

    # zp-standin refuses xr24.
    tap(driver, "xr24")
    dialog = wait_for(lambda: driver.execute_script(
        "return document.getElementById('message').open"))
    text = driver.execute_script("return document.getElementById('message-text').textContent")
    check(dialog and text == REFUSAL, f"a refused sign shows its message: {text!r}")
    button_ok = driver.find_element("id", "message-ok")
    button_ok.click()
    check(wait_for(lambda: not driver.execute_script(
        "return document.getElementById('message').open")), "the message goes with OK")

    # The flash of a confirmed sign, held long enough to be seen in a picture.
    viewport(driver, SIZES["tablet"])
    check(load(driver), "the page loads again after the refusal")
    wait_for(lambda: driver.execute_script(
        "return document.querySelector('[data-name=con_SpeedButton]') !== null"))
    driver.execute_script("document.documentElement.style.setProperty('--flash-ms', '60000')")
    tap(driver, "a6")
    if wait_for(lambda: driver.execute_script(
            "return document.querySelector('button.flash') !== null")):
        # WebKit's window may have dropped a bar since, and grown inside: sized again first.
        viewport(driver, SIZES["tablet"])
        driver.save_screenshot(os.path.join(shots, f"webpad-{browser}-tablet-flash.png"))

    # zp-webpad goes away, as when its machine restarts: the page says so and sends nothing;
    # when it is back, with the same key, the page links again by itself.
    with open(os.environ["ZP_WEBPAD_PIDFILE"]) as pidfile:
        os.kill(int(pidfile.read()), signal.SIGTERM)
    check(wait_for(lambda: driver.execute_script(
        "return !document.getElementById('nolink').hidden")), "without zp-webpad the page says so")
    before = len(lines_at_server())
    touches(driver, "a6")
    check(driver.execute_script("return document.getElementById('nolink').className")
          == "nudge", "a tap without a link points at the notice")
    restarted = subprocess.Popen(os.environ["ZP_WEBPAD_COMMAND"].split("\n"),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(os.environ["ZP_WEBPAD_PIDFILE"], "w") as pidfile:
        pidfile.write(str(restarted.pid))
    check(wait_for(lambda: driver.execute_script(
        "return document.documentElement.dataset.link") == "open", 15),
        "the page links again by itself, with the same key")
    check(driver.execute_script("return document.getElementById('nolink').hidden"),
          "the notice goes")
    tap(driver, "a6")
    lines = new_lines(before, 1)
    check(lines == ["a6"], f"the tap made without a link was not sent, the next one is: {lines}")

    refused = page_without_key()
    check(refused is not None and refused[0] == 403 and refused[1] == b"",
          f"a page without the key gets 403 and nothing else: {refused}")
    driver.get(url.rsplit("/", 2)[0] + "/")
    check(driver.execute_script("return document.getElementById('stage')") is None,
          "the browser shows no keypad without the key")
finally:
    driver.quit()

if failures:
    print(f"{browser}: {len(failures)} failed", flush=True)
    sys.exit(1)
