#!/usr/bin/python3
"""Loads the built page in WebKitGTK (the engine the program uses), replays the initial state,
drags a slider with synthetic pointer events and checks what the page posted. Needs a display."""
import base64
import json
import os
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
from gi.repository import GLib, Gtk, WebKit2  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
PAGE = os.path.join(HERE, "..", "..", "dist", "index.html")
SHOT = os.environ.get("VLM_WEBKIT_SHOT", "")

HOST = """
window.__posted = [];
window.chrome = { webview: { postMessage: function (m) { window.__posted.push(JSON.parse(JSON.stringify(m))); } } };
function IKeelSendMsg(m) { window.chrome.webview.postMessage(m) };
"""

DRAG = """
(function () {
  var body = document.querySelector('.slider[data-param="29"] .slider-body');
  var r = body.getBoundingClientRect();
  var x = r.left + r.width / 2, y = r.top + r.height / 2;
  function ev(type, dy) {
    body.dispatchEvent(new PointerEvent(type, { bubbles: true, cancelable: true, pointerId: 7, button: 0, clientX: x, clientY: y - dy }));
  }
  ev('pointerdown', 0);
  for (var k = 1; k <= 10; k++) ev('pointermove', 5 * k);
  ev('pointerup', 50);
  return 'ok';
})()
"""

REPORT = """
JSON.stringify({
  panels: document.querySelectorAll('.tone-panel').length,
  patch: (document.querySelector('[data-testid=patch-name]') || {}).textContent,
  volume: (document.querySelector('.knob[data-param="168"] .ctl-value') || {}).textContent,
  posted: window.__posted
})
"""


def imported_names(posted):
    """Names of the patches the page sent back with bulkImportComplete."""
    for m in posted:
        if m.get("msg") == "SAMFUI" and m.get("msgTag") == 202 and "data" in m:
            action = json.loads(base64.b64decode(m["data"]).decode("utf-8"))
            if action.get("operation") == "bulkImportComplete":
                return [p.get("name") for p in action.get("patches", [])]
    return None


def main():
    scripts = json.loads(sys.stdin.read())
    result = {}
    manager = WebKit2.UserContentManager()
    manager.add_script(WebKit2.UserScript.new(HOST, WebKit2.UserContentInjectedFrames.TOP_FRAME, WebKit2.UserScriptInjectionTime.START, None, None))
    view = WebKit2.WebView.new_with_user_content_manager(manager)
    view.get_settings().set_enable_write_console_messages_to_stdout(True)
    win = Gtk.OffscreenWindow()
    win.set_default_size(1180, 760)
    win.add(view)
    win.show_all()

    def evaluate(js, then):
        def done(v, res):
            try:
                value = v.run_javascript_finish(res).get_js_value()
                then(value.to_string() if value is not None else None)
            except Exception as e:  # a script error fails the test below
                result["error"] = str(e)
                Gtk.main_quit()
        view.run_javascript(js, None, done)

    def report(_=None):
        def got(text):
            result.update(json.loads(text))
            if SHOT:
                def shot(v, res):
                    surface = v.get_snapshot_finish(res)
                    surface.write_to_png(SHOT)
                    Gtk.main_quit()
                view.get_snapshot(WebKit2.SnapshotRegion.VISIBLE, WebKit2.SnapshotOptions.NONE, None, shot)
            else:
                Gtk.main_quit()
        evaluate(REPORT, got)

    def after_init(_):
        GLib.timeout_add(300, lambda: (evaluate(DRAG, lambda _v: GLib.timeout_add(100, lambda: (report(), False)[1])), False)[1])

    def on_load(v, event):
        if event == WebKit2.LoadEvent.FINISHED:
            evaluate(";".join(scripts) + ";'done'", after_init)

    view.connect("load-changed", on_load)
    view.load_uri("file://" + os.path.abspath(PAGE))
    GLib.timeout_add_seconds(20, lambda: (result.setdefault("error", "timed out"), Gtk.main_quit()))
    Gtk.main()

    failures = []
    if "error" in result:
        failures.append(result["error"])
    else:
        posted = result.get("posted", [])
        values = [m["value"] for m in posted if m.get("msg") == "SPVFUI" and m.get("paramIdx") == 29]
        checks = {
            "one tone panel": result.get("panels") == 1,
            "patch name restored": result.get("patch") == "WebKit Pad",
            "real value shown": result.get("volume") == "3.5 dB",
            "gesture begins": any(m.get("msg") == "BPCFUI" and m.get("paramIdx") == 29 for m in posted),
            "gesture ends": any(m.get("msg") == "EPCFUI" and m.get("paramIdx") == 29 for m in posted),
            "values rise": len(values) > 5 and all(b > a for a, b in zip(values, values[1:])),
            "bank state sent": any(m.get("msg") == "SAMFUI" and m.get("msgTag") == 200 for m in posted),
            "dump decoded into patches": imported_names(posted) == ["11", "12", "13"],
        }
        failures = [name for name, ok in checks.items() if not ok]
    for f in failures:
        print("webkit smoke: FAILED:", f)
    print(f"{8 - len(failures) if 'error' not in result else 0} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
