"""A headless Chromium driven through the DevTools protocol over a pipe.

Python's standard library only: Chromium is started with
--remote-debugging-pipe, reads the protocol's JSON messages from file
descriptor 3 and writes its own to file descriptor 4, each ended by a NUL.
No port is opened, so nothing else on the machine can talk to it.
"""
import base64
import fcntl
import json
import os
import shutil
import subprocess
import tempfile
import time

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu",
         "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--no-first-run", "--no-default-browser-check",
         "--disable-extensions", "--disable-dev-shm-usage", "--mute-audio"]


def find_chromium():
    """The Chromium executable, or None."""
    for name in (os.environ.get("CHROMIUM"), "chromium", "chromium-browser"):
        if name and shutil.which(name):
            return shutil.which(name)
    return None


def _high(fd):
    high = fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10)
    os.close(fd)
    return high


class BrowserError(Exception):
    pass


class Browser:
    """One Chromium process with one page; close() ends both."""

    def __init__(self, executable, log_path, width=1400, height=900):
        self.profile = tempfile.mkdtemp(prefix="krvwd7-chromium-")
        # Above the descriptors the child is given, so that dup2 never
        # meets its own target.
        to_browser_r, to_browser_w = map(_high, os.pipe())
        from_browser_r, from_browser_w = map(_high, os.pipe())

        def give_pipes():  # in the child, before exec
            os.dup2(to_browser_r, 3)
            os.dup2(from_browser_w, 4)

        self.log = open(log_path, "wb")
        self.process = subprocess.Popen(
            [executable, *FLAGS, "--user-data-dir=" + self.profile,
             "--remote-debugging-pipe", "--window-size=%d,%d" % (width, height),
             "about:blank"],
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT,
            close_fds=False, preexec_fn=give_pipes)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.out = to_browser_w
        self.inp = from_browser_r
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget",
                                 {"targetId": target, "flatten": True})["sessionId"]
        for domain in ("Page", "Runtime", "Log", "Network"):
            self.call(domain + ".enable")
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            if time.monotonic() > deadline:
                raise BrowserError("no answer from Chromium in time")
            if self.process.poll() is not None:
                raise BrowserError("Chromium stopped (exit %s)" % self.process.returncode)
            chunk = os.read(self.inp, 1 << 20)
            if not chunk:
                raise BrowserError("Chromium closed its pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, timeout=60):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if self.session:
            message["sessionId"] = self.session
        os.write(self.out, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            answer = self._read_message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise BrowserError("%s: %s" % (method, answer["error"]))
                return answer.get("result", {})
            if "method" in answer:
                self.events.append(answer)

    def evaluate(self, expression, timeout=60):
        """The value of a JavaScript expression (JSON-able), awaited."""
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, timeout)
        if "exceptionDetails" in result:
            raise BrowserError("script failed: %s" % json.dumps(result["exceptionDetails"])[:500])
        return result["result"].get("value")

    def open(self, url, ready, timeout=120):
        """Loads url and waits until the expression ready is true; the
        seconds from the navigation to then."""
        start = time.monotonic()
        deadline = start + timeout
        seen = len(self.events)
        self.call("Page.navigate", {"url": url})
        # The old page may still answer until the new one has loaded.
        while not any(e["method"] == "Page.loadEventFired" for e in self.events[seen:]):
            message = self._read_message(deadline)
            if "method" in message:
                self.events.append(message)
        while not self.evaluate("!!(%s)" % ready):
            if time.monotonic() > deadline:
                raise BrowserError("%s was not ready after %d s" % (url, timeout))
            time.sleep(0.02)
        return time.monotonic() - start

    def drain(self):
        """Reads the events that arrived since the last call."""
        self.evaluate("0")

    def errors(self):
        """Script errors, console errors and error log entries so far."""
        self.drain()
        found = []
        for event in self.events:
            method, params = event["method"], event.get("params", {})
            if method == "Runtime.exceptionThrown":
                details = params["exceptionDetails"]
                found.append("exception: %s" % details.get("exception", {}).get(
                    "description", details.get("text")))
            elif method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"):
                found.append("console.%s: %s" % (params["type"], params.get("args")))
            elif method == "Log.entryAdded" and params["entry"].get("level") == "error":
                found.append("log: %s" % params["entry"].get("text"))
        return found

    def requests(self):
        """The URLs the page asked for so far."""
        self.drain()
        return [e["params"]["request"]["url"] for e in self.events
                if e["method"] == "Network.requestWillBeSent"]

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", {"format": "png"})["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))

    def close(self):
        try:
            self.session = None
            self.call("Browser.close", timeout=10)
        except (BrowserError, OSError):
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        for fd in (self.out, self.inp):
            try:
                os.close(fd)
            except OSError:
                pass
        self.log.close()
        shutil.rmtree(self.profile, ignore_errors=True)
