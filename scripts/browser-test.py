#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The virtual controller's receipts page in a real browser (scripts/browser-test runs this).

Starts tessivar-virtual-controller headless with --http on a free port, opens the page in
headless Chromium, driven over the DevTools protocol on a pipe (no WebSocket, no npm), prints
receipts over TCP once the page has loaded and checks that they appear without a reload, that
receipt text stays text, and that the download links give what they say. Every wait has a
deadline; nothing waits a fixed time for something to happen.

  browser-test.py --program PATH [--chromium PATH] [--screenshot FILE]
"""

import argparse
import json
import os
import queue
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

DEADLINE = 60.0  # seconds for anything to happen, on a loaded two-core machine

# Lines that would be markup, and would run, if the page took them as such; each short enough
# for one line of the paper.
HOSTILE_TEXT = '<script>pwned = 1</script>&amp;\n<img src=x onerror="pwned=2">'


def job(text, barcode):
    """A receipt: one line of text, a CODE39 barcode, a full cut."""
    return (b"\x1b@" + text.encode("latin-1") + b"\n" + b"\x1dk\x04" + barcode.encode() +
            b"\x00" + b"\x1dV\x00")


def wait_for(what, condition, deadline=DEADLINE):
    """Polls condition() until it is true; fails with `what` at the deadline."""
    end = time.monotonic() + deadline
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise TimeoutError(f"no {what} within {deadline:.0f} s")
        time.sleep(0.05)


class Controller:
    """The virtual controller, headless, with its TCP port and its receipts page."""

    def __init__(self, program, work):
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_RUNTIME_DIR=work, QT_QPA_PLATFORM="offscreen")
        self.process = subprocess.Popen(
            [program, "--headless", "--link", os.path.join(work, "tty"), "--listen", "0",
             "--http", "0", "--no-pacing", "--print-speed", "0"],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True, env=env)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.tcp_port = None
        self.url = None
        while self.url is None:
            line = self.lines.get(timeout=DEADLINE)
            if line is None:
                raise RuntimeError("the controller ended before it was ready")
            if line.startswith("Listening for jobs over TCP on "):
                self.tcp_port = int(line.rsplit(":", 1)[1])
            if line.startswith("Receipts page on "):
                self.url = line.split(" on ", 1)[1].strip()

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line)
        self.lines.put(None)

    def print(self, data):
        with socket.create_connection(("127.0.0.1", self.tcp_port), timeout=DEADLINE) as c:
            c.sendall(data)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class Browser:
    """Headless Chromium, spoken to over --remote-debugging-pipe: JSON messages ending in NUL,
    read by the browser on its descriptor 3 and written on its descriptor 4."""

    FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-extensions", "--disable-dev-shm-usage", "--no-default-browser-check",
             "--hide-scrollbars", "--mute-audio", "--window-size=1280,1000",
             "--remote-debugging-pipe"]

    def __init__(self, chromium, work):
        to_browser, self._commands = os.pipe()
        self._replies, from_browser = os.pipe()
        # Above 4, so that putting them on 3 and 4 in the child overwrites neither.
        to_browser_high = os.dup2(to_browser, 20)
        from_browser_high = os.dup2(from_browser, 21)

        def descriptors():
            os.dup2(to_browser_high, 3)
            os.dup2(from_browser_high, 4)

        self.process = subprocess.Popen(
            [chromium, *self.FLAGS, f"--user-data-dir={os.path.join(work, 'chromium')}",
             "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=descriptors, close_fds=False)
        for fd in (to_browser, from_browser, to_browser_high, from_browser_high):
            os.close(fd)
        self._next_id = 0
        self._answers = {}
        self.events = []
        self._inbox = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.session = None

    def _read(self):
        pending = b""
        while True:
            chunk = os.read(self._replies, 65536)
            if not chunk:
                self._inbox.put(None)
                return
            pending += chunk
            while b"\0" in pending:
                message, pending = pending.split(b"\0", 1)
                self._inbox.put(json.loads(message))

    def send(self, method, params=None, session=True):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self._commands, json.dumps(message).encode() + b"\0")
        end = time.monotonic() + DEADLINE
        while self._next_id not in self._answers:
            received = self._inbox.get(timeout=max(0.1, end - time.monotonic()))
            if received is None:
                raise RuntimeError("the browser went away")
            if "id" in received:
                self._answers[received["id"]] = received
            else:
                self.events.append(received)
        answer = self._answers.pop(self._next_id)
        if "error" in answer:
            raise RuntimeError(f"{method}: {answer['error']}")
        return answer["result"]

    def open(self, url):
        pages = [t for t in self.send("Target.getTargets", session=False)["targetInfos"]
                 if t["type"] == "page"]
        self.session = self.send("Target.attachToTarget",
                                 {"targetId": pages[0]["targetId"], "flatten": True},
                                 session=False)["sessionId"]
        for domain in ("Page", "Runtime", "Log"):
            self.send(f"{domain}.enable")
        self.send("Page.navigate", {"url": url})

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def screenshot(self, path):
        import base64
        shot = self.send("Page.captureScreenshot", {"format": "png"})
        with open(path, "wb") as out:
            out.write(base64.b64decode(shot["data"]))

    def problems(self):
        """Script errors and console errors (a blocked resource, a CSP violation) so far."""
        found = []
        for event in self.events:
            if event.get("method") == "Runtime.exceptionThrown":
                found.append(event["params"]["exceptionDetails"].get("text", "exception"))
            if (event.get("method") == "Log.entryAdded" and
                    event["params"]["entry"]["level"] == "error"):
                found.append(event["params"]["entry"]["text"])
        return found

    def close(self):
        try:
            self.send("Browser.close", session=False)
            self.process.wait(timeout=DEADLINE)
        except Exception:  # noqa: BLE001 - it goes either way
            self.process.kill()
            self.process.wait()


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print(f"PASS   {name}")
        else:
            self.failed += 1
            print(f"FAIL   {name}{': ' + str(detail) if detail else ''}")


def receipts_shown(browser):
    return browser.evaluate("document.querySelectorAll('article.receipt').length")


def fetch(url):
    with urllib.request.urlopen(url, timeout=DEADLINE) as answer:
        return answer.status, answer.headers, answer.read()


def check_page_loaded(browser, checks):
    # Until the page has replaced about:blank there is no status line.
    wait_for("page", lambda: browser.evaluate(
        "(s => s !== null && s.textContent.startsWith('Live'))(document.getElementById('status'))"))
    checks.check("the page loads and polls", True)
    checks.check("no receipt yet, and it says so",
                 receipts_shown(browser) == 0 and
                 browser.evaluate("!document.getElementById('empty').hidden"))
    # Gone if the page reloads.
    browser.evaluate("window.loadedOnce = true")


def check_first_receipt(browser, checks):
    wait_for("receipt on the page", lambda: receipts_shown(browser) == 1)
    checks.check("a receipt printed after loading appears without a reload",
                 browser.evaluate("window.loadedOnce === true"))
    shown = browser.evaluate("""(() => {
        const r = document.querySelector('article.receipt');
        const img = r.querySelector('img');
        return {title: r.querySelector('h2').textContent,
                lines: r.querySelector('.lines').textContent,
                symbols: Array.from(r.querySelectorAll('.symbols td'), td => td.textContent),
                scripts: document.scripts.length,
                markup: r.querySelectorAll('.lines *, .symbols td *').length,
                pwned: window.pwned === undefined ? null : window.pwned,
                emptyHidden: document.getElementById('empty').hidden,
                links: Array.from(r.querySelectorAll('.downloads a'),
                                  a => [a.textContent, a.href, a.getAttribute('download')])};
    })()""")
    checks.check("its title", shown["title"] == "Receipt 1", shown["title"])
    checks.check("its text, shown as text", shown["lines"] == HOSTILE_TEXT, shown["lines"])
    checks.check("markup in its text neither ran nor became elements",
                 shown["pwned"] is None and shown["scripts"] == 1 and shown["markup"] == 0,
                 shown)
    checks.check("its barcode's symbology and data",
                 len(shown["symbols"]) == 2 and shown["symbols"][1] == "TESS",
                 shown["symbols"])
    checks.check("the note about no receipts is gone", shown["emptyHidden"])
    wait_for("picture", lambda: browser.evaluate(
        "(i => i.complete && i.naturalWidth > 0)(document.querySelector('article.receipt img'))"))
    checks.check("its picture loads", True)
    return shown["links"]


def check_downloads(links, checks):
    expected = {"PNG": ("image/png", b"\x89PNG\r\n"), "JSON": ("application/json", b"{"),
                "PDF": ("application/pdf", b"%PDF-")}
    checks.check("three download links", sorted(l[0].strip() for l in links) ==
                 sorted(expected), links)
    for label, url, name in links:
        kind = label.strip()
        status, headers, body = fetch(url)
        content_type, start = expected.get(kind, ("?", b"?"))
        checks.check(f"{kind} download ({name})",
                     status == 200 and headers["Content-Type"] == content_type and
                     headers["X-Content-Type-Options"] == "nosniff" and body.startswith(start) and
                     name == f"receipt-1.{kind.lower()}",
                     (status, headers["Content-Type"], body[:8], name))
        if kind == "JSON":
            record = json.loads(body)
            text = "\n".join(line["text"] for line in record["lines"])
            checks.check("the JSON download holds the text", text == HOSTILE_TEXT, text)


def check_second_receipt(browser, controller, checks):
    controller.print(job("Second receipt", "SECOND"))
    wait_for("second receipt", lambda: receipts_shown(browser) == 2)
    order = browser.evaluate(
        "Array.from(document.querySelectorAll('article.receipt h2'), h => h.textContent)")
    checks.check("the newest receipt comes first", order == ["Receipt 2", "Receipt 1"], order)
    checks.check("still the page first loaded", browser.evaluate("window.loadedOnce === true"))


def run(args, work):
    checks = Checks()
    controller = Controller(args.program, work)
    browser = None
    try:
        browser = Browser(args.chromium, work)
        browser.open(controller.url)
        check_page_loaded(browser, checks)
        controller.print(job(HOSTILE_TEXT, "TESS"))
        links = check_first_receipt(browser, checks)
        check_downloads(links, checks)
        check_second_receipt(browser, controller, checks)
        problems = browser.problems()
        checks.check("no script error, console error or blocked resource", not problems,
                     problems)
        if args.screenshot:
            browser.screenshot(args.screenshot)
        controller.stop()
        wait_for("offline status", lambda: browser.evaluate(
            "document.getElementById('status').classList.contains('offline')"))
        checks.check("the page says so when the controller has gone, and keeps its receipts",
                     receipts_shown(browser) == 2)
    except (TimeoutError, RuntimeError, OSError, queue.Empty, KeyError) as problem:
        checks.check("every check ran", False, problem or type(problem).__name__)
    finally:
        if browser:
            browser.close()
        controller.stop()
    print(f"browser-test: {checks.passed} passed, {checks.failed} failed")
    return 0 if checks.failed == 0 else 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="tessivar-virtual-controller")
    parser.add_argument("--chromium", default=shutil.which("chromium") or "chromium")
    parser.add_argument("--screenshot", help="write the page as it ends to this PNG file")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="tessivar-browser-") as work:
        return run(args, work)


if __name__ == "__main__":
    sys.exit(main())
