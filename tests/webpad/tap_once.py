#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One tap through zp-webpad's WebSocket, as its page sends it; succeeds when the sign is
confirmed (flashed). Python's standard library only, for a machine without browsers.

Usage: tap_once.py PAGE_URL CONTROL
"""
import base64
import json
import os
import socket
import sys
import time
import urllib.parse

url = urllib.parse.urlsplit(sys.argv[1])
control = sys.argv[2]
host, port = url.hostname, url.port
connection = socket.create_connection((host, port), timeout=10)
key = base64.b64encode(os.urandom(16)).decode()
connection.sendall((f"GET {url.path}ws HTTP/1.1\r\nHost: {host}:{port}\r\n"
                    f"Origin: http://{host}:{port}\r\nUpgrade: websocket\r\n"
                    f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                    "Sec-WebSocket-Version: 13\r\n\r\n").encode())
buffered = b""
while b"\r\n\r\n" not in buffered:
    buffered += connection.recv(4096)
head, buffered = buffered.split(b"\r\n\r\n", 1)
if b" 101 " not in head.split(b"\r\n")[0]:
    sys.exit(f"refused: {head.splitlines()[0]!r}")


def send(text):
    payload = text.encode()
    mask = os.urandom(4)
    masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
    connection.sendall(bytes([0x81, 0x80 | len(payload)]) + mask + masked)


def messages():
    global buffered
    while True:
        while len(buffered) < 2 or len(buffered) < frame_length():
            buffered += connection.recv(65536)
        length, start = frame_length(header_only=True)
        yield buffered[start:start + length].decode()
        buffered = buffered[start + length:]


def frame_length(header_only=False):
    length = buffered[1] & 0x7F
    start = 2
    if length == 126:
        if len(buffered) < 4:
            return 4 if not header_only else (0, 4)
        length, start = int.from_bytes(buffered[2:4], "big"), 4
    elif length == 127:
        if len(buffered) < 10:
            return 10 if not header_only else (0, 10)
        length, start = int.from_bytes(buffered[2:10], "big"), 10
    return (length, start) if header_only else start + length


deadline = time.monotonic() + 10
pressed = False
for text in messages():
    message = json.loads(text)
    if message.get("t") == "state" and message.get("connected") and not pressed:
        send(json.dumps({"t": "press", "name": control}))
        pressed = True
    if message.get("t") == "flash" and message.get("name") == control:
        sys.exit(0)
    if message.get("t") == "message":
        sys.exit(f"message: {message.get('text')}")
    if time.monotonic() > deadline:
        sys.exit("no confirmation")
