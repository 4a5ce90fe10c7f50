#!/usr/bin/env python3
"""The main job's browser route as a person uses it: headless Chromium, driven over its DevTools
protocol (on a pipe), opens the address the main job printed, waits until the noVNC page shows
the remote screen with the settings program's main menu, clicks the main menu's "Component
life time" button in the page and waits for the dialog it opens.

    browser_route.py ADDRESS PICTURES WHERE...

WHERE... is the command that prints a dialog's or control's screen place ("X Y WIDTH HEIGHT")
given a title list and a control ID (settings_tour --where in the main job's prefix). The page's
pictures go into PICTURES. Exits 0 when the dialog came up after the click, else 1 with the step
that failed.
"""
import base64
import json
import os
import subprocess
import sys
import time

MAIN_MENU = "Main menu|メインメニュー"
LIFETIME = "Component life time information Browse/Setting|部品寿命情報 参照・設定"
LIFETIME_BUTTON = 1003
LIMIT = 120  # seconds a step may take on a busy machine


class Browser:
    """Chromium with --remote-debugging-pipe: JSON messages ending in NUL on fds 3 and 4."""

    def __init__(self):
        to_browser_read, self.to_browser = os.pipe()
        self.from_browser, from_browser_write = os.pipe()

        def descriptors():
            os.dup2(to_browser_read, 3)
            os.dup2(from_browser_write, 4)

        self.process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
             "--remote-debugging-pipe", "--window-size=1280,960", "about:blank"],
            preexec_fn=descriptors, pass_fds=(3, 4), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.next_id, self.pending, self.session = 0, b"", None
        page = next(t for t in self.call("Target.getTargets")["targetInfos"] if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=page["targetId"], flatten=True)["sessionId"]

    def call(self, method, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if self.session:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.pending:
                chunk = os.read(self.from_browser, 1 << 20)
                if not chunk:
                    raise RuntimeError("Chromium ended")
                self.pending += chunk
            text, self.pending = self.pending.split(b"\0", 1)
            answer = json.loads(text)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer["result"]

    def evaluate(self, expression):
        return self.call("Runtime.evaluate", expression=expression, returnByValue=True)["result"].get("value")

    def picture(self, path):
        with open(path, "wb") as out:
            out.write(base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"]))

    def close(self):
        self.process.kill()
        self.process.wait()


CANVAS = """(() => {
    const canvas = document.querySelector('canvas');
    if (!canvas || canvas.width < 640) return null;
    const r = canvas.getBoundingClientRect();
    return [r.left, r.top, r.width / canvas.width, r.height / canvas.height];
})()"""


def eventually(step, what):
    started = time.monotonic()
    while time.monotonic() - started < LIMIT:
        result = step()
        if result:
            return result
        time.sleep(0.5)
    raise RuntimeError(f"no {what} within {LIMIT} s")


def place(where, titles, control):
    run = subprocess.run(where + [titles, str(control)], capture_output=True, text=True, timeout=LIMIT + 30)
    fields = run.stdout.split()
    return [int(f) for f in fields] if run.returncode == 0 and len(fields) == 4 else None


def shows_window(pictures, name, browser, canvas, rect):
    """Whether the page's picture holds a window at the screen place `rect`: not one flat colour."""
    path = os.path.join(pictures, f"{name}.png")
    browser.picture(path)
    left, top, sx, sy = canvas
    x, y, w, h = rect
    crop = f"{max(1, int(w * sx))}x{max(1, int(h * sy))}+{int(left + x * sx)}+{int(top + y * sy)}"
    spread = subprocess.run(["convert", path, "-crop", crop, "-format", "%[fx:standard_deviation]", "info:"],
                            capture_output=True, text=True).stdout.strip()
    return float(spread or 0) > 0.05


def main(address, pictures, where):
    browser = Browser()
    try:
        browser.call("Page.enable")
        browser.call("Page.navigate", url=address)
        canvas = eventually(lambda: browser.evaluate(CANVAS), "remote screen in the page")
        print(f"the page shows the remote screen (scale {canvas[2]:.3f})")
        menu = eventually(lambda: place(where, MAIN_MENU, 0), "main menu on the remote screen")
        eventually(lambda: shows_window(pictures, "browser-main-menu", browser, canvas, menu), "main menu in the picture")
        print(f"the main menu is in the page's picture at {menu}")
        x, y, w, h = place(where, MAIN_MENU, LIFETIME_BUTTON)
        left, top, sx, sy = canvas
        page_x, page_y = left + (x + w / 2) * sx, top + (y + h / 2) * sy
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            browser.call("Input.dispatchMouseEvent", type=kind, x=page_x, y=page_y, button="left", clickCount=1)
        print(f"clicked the component lifetime button at ({page_x:.0f}, {page_y:.0f}) in the page")
        dialog = eventually(lambda: place(where, LIFETIME, 0), "component lifetime dialog after the click")
        eventually(lambda: shows_window(pictures, "browser-lifetime", browser, canvas, dialog), "dialog in the picture")
        print(f"the component lifetime dialog came up and is in the page's picture at {dialog}")
        return 0
    except (RuntimeError, StopIteration, subprocess.TimeoutExpired) as error:
        print(f"failed: {error}")
        return 1
    finally:
        browser.close()


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
