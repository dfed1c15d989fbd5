"""Headless Chromium driven over the DevTools protocol on a pipe (--remote-debugging-pipe):
no driver program and no network port. Software WebGL (SwiftShader), no sandbox (CI runs as
root), and every network request refused and recorded."""
import base64
import fcntl
import json
import os
import shutil
import struct
import subprocess
import tempfile
import time
import zlib

SKIP = 77  # ctest's SKIP_RETURN_CODE for these tests


def find_chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    return None


class Browser:
    def __init__(self, width=1000, height=700):
        executable = find_chromium()
        if executable is None:
            raise FileNotFoundError("chromium")
        self.profile = tempfile.mkdtemp(prefix="kalvane-chromium-")
        commands_read, self._commands = os.pipe()
        self._replies, replies_write = os.pipe()
        # The browser reads commands on fd 3 and writes replies on fd 4. Copies above 4 (closed
        # on exec) are put there in the child; every other descriptor closes on exec too.
        high_read = fcntl.fcntl(commands_read, fcntl.F_DUPFD_CLOEXEC, 5)
        high_write = fcntl.fcntl(replies_write, fcntl.F_DUPFD_CLOEXEC, 5)

        def pipes():
            os.dup2(high_read, 3)
            os.dup2(high_write, 4)

        self.process = subprocess.Popen(
            [executable, "--headless=new", "--no-sandbox", "--remote-debugging-pipe",
             "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--ignore-gpu-blocklist",
             "--no-first-run", "--no-default-browser-check", "--disable-extensions", "--disable-dev-shm-usage",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--proxy-server=127.0.0.1:9", "--host-resolver-rules=MAP * ~NOTFOUND",
             "--user-data-dir=" + self.profile, f"--window-size={width},{height}", "about:blank"],
            close_fds=False, preexec_fn=pipes,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for fd in (commands_read, replies_write, high_read, high_write):
            os.close(fd)
        self._buffer = b""
        self._next_id = 0
        self.events = []
        deadline = time.monotonic() + 30
        while True:  # the first tab may come a moment after the browser answers
            pages = [t for t in self.call("Target.getTargets")["targetInfos"] if t["type"] == "page"]
            if pages or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        if not pages:
            raise RuntimeError("chromium opened no tab")
        target = pages[0]
        self.session = self.call("Target.attachToTarget", targetId=target["targetId"], flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Network"):
            self.page(domain + ".enable")
        self.page("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1, mobile=False)

    def close(self):
        try:
            os.close(self._commands)
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()
        os.close(self._replies)
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def _message(self, deadline):
        while b"\0" not in self._buffer:
            if time.monotonic() > deadline:
                raise TimeoutError("no answer from chromium")
            chunk = os.read(self._replies, 1 << 20)
            if not chunk:
                raise RuntimeError("chromium closed its pipe")
            self._buffer += chunk
        text, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(text)

    def call(self, method, session=None, timeout=30, **params):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        os.write(self._commands, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            reply = self._message(deadline)
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            if "method" in reply:
                self._event(reply)

    def _event(self, event):
        self.events.append(event)
        if event["method"] == "Page.javascriptDialogOpening":  # answer it, or the page hangs
            os.write(self._commands, json.dumps({"id": 0, "method": "Page.handleJavaScriptDialog",
                                                 "params": {"accept": True}, "sessionId": self.session}).encode() + b"\0")

    def page(self, method, **params):
        return self.call(method, session=self.session, **params)

    def evaluate(self, expression):
        result = self.page("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = self.evaluate(expression)
            if value:
                return value
            time.sleep(0.05)
        raise TimeoutError(f"waited {timeout} s for {expression}")

    def open(self, path, timeout=60):
        """Loads a file and waits until the page says it is drawn (or failed)."""
        self.page("Page.navigate", url="file://" + os.path.abspath(path))
        self.wait_for("document.documentElement && (document.documentElement.dataset.ready === 'true' || document.documentElement.dataset.error)",
                      timeout)
        error = self.evaluate("document.documentElement.dataset.error || ''")
        if error:
            raise RuntimeError("the page failed: " + error)

    def attribute(self, name):
        return self.evaluate(f"document.documentElement.getAttribute({json.dumps(name)})")

    def move_mouse(self, x, y):
        self.page("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y, button="none", pointerType="mouse")

    def screenshot(self):
        """The page as (width, height, rows of RGB bytes)."""
        return decode_png(base64.b64decode(self.page("Page.captureScreenshot", format="png")["data"]))

    def requests(self):
        return [e["params"]["request"]["url"] for e in self.events if e["method"] == "Network.requestWillBeSent"]

    def dialogs(self):
        return [e["params"]["message"] for e in self.events if e["method"] == "Page.javascriptDialogOpening"]


def decode_png(data):
    """An 8-bit RGB or RGBA, non-interlaced PNG (what Chromium writes) as rows of RGB bytes."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG form"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = line
        rows.append(bytes(line) if channels == 3 else bytes(b for i, b in enumerate(line) if i % 4 != 3))
    return width, height, rows
