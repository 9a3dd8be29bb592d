#!/usr/bin/python3
"""Loads the built page in WebKitGTK (the engine the program uses), replays the initial state,
drags a slider with synthetic pointer events and checks what the page posted; then switches to Japanese
and checks by pixels that every label shows, and by geometry that no control covers a text.
Needs a display; run by run.sh with a font configuration that offers no font at all, so that only the
page's own inlined fonts can draw."""
import base64
import json
import os
import subprocess
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk, WebKit2  # noqa: E402

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


JAPANESE = """
(function () {
  var jp = Array.prototype.find.call(document.querySelectorAll('.lang-switch button'), function (b) { return b.textContent.trim() === 'Jp'; });
  jp.click();
  return 'ok';
})()
"""

# The box of every visible text of the page (one per text node), with the text.
TEXT_BOXES = """
(function () {
  var out = [];
  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (var n = walker.nextNode(); n; n = walker.nextNode()) {
    var text = n.textContent.trim();
    if (!text) continue;
    var el = n.parentElement, cs = getComputedStyle(el);
    if (cs.visibility === 'hidden' || Number(cs.opacity) === 0 || el.closest('svg, [aria-hidden]')) continue;
    var range = document.createRange();
    range.selectNodeContents(n);
    var r = range.getBoundingClientRect();
    if (r.width < 3 || r.height < 3 || r.right > innerWidth || r.bottom > innerHeight || r.left < 0 || r.top < 0) continue;
    out.push({ text: text, x: r.left, y: r.top, w: r.width, h: r.height });
  }
  return JSON.stringify(out);
})()
"""

# Texts that a control draws over: the box of a text overlaps the box of a control that is neither the
# text's own element nor holds it.
COVERED_TEXTS = """
(function () {
  var controls = Array.prototype.slice.call(document.querySelectorAll('.slider-thumb, .slider-track, .knob-face, .wheel-body, .meter, select, .resize-grip'));
  var out = [];
  document.querySelectorAll('.ctl-value, .ctl-label, .module-title, .bar-label, .patch-name, .slider-scale span, .opt, .tone-tab').forEach(function (el) {
    var range = document.createRange();
    range.selectNodeContents(el);
    var t = range.getBoundingClientRect();
    if (t.width < 1 || t.height < 1 || !el.textContent.trim()) return;
    controls.forEach(function (c) {
      if (c.contains(el) || el.contains(c)) return;
      var r = c.getBoundingClientRect();
      var w = Math.min(t.right, r.right) - Math.max(t.left, r.left), h = Math.min(t.bottom, r.bottom) - Math.max(t.top, r.top);
      if (w > 0.5 && h > 0.5) out.push(el.textContent.trim() + ' under ' + c.className.baseVal + c.className);
    });
  });
  return JSON.stringify(out);
})()
"""

# Where the patch bar's buttons are, how tall the bar is, and how the name shows.
PATCH_BAR = """
(function () {
  function box(sel) { var r = document.querySelector(sel).getBoundingClientRect(); return [Math.round(r.left), Math.round(r.top), Math.round(r.width), Math.round(r.height)]; }
  var name = document.querySelector('[data-testid=patch-name]');
  return JSON.stringify({ buttons: ['[data-testid=preset-prev]', '[data-testid=preset-next]', '[data-testid=preset-browse]', '[data-testid=preset-save-as]'].map(box),
    bar: box('.patch-bar'), panels: box('.tone-panel'), title: name.title, cut: name.scrollWidth > name.clientWidth });
})()
"""

# Menus, tooltips and dialogs as a user meets them: the patch menu (its button's tooltip gone while it is open,
# no internal address as a tooltip, Escape closes it without reaching the host), a dialog that Enter
# confirms, and the words after SET DEFAULT.
KEYS = """
(async function () {
  var wait = function (ms) { return new Promise(function (r) { setTimeout(r, ms); }); };
  var key = function (k) {
    var init = { key: k, code: k, bubbles: true, cancelable: true };
    document.body.dispatchEvent(new KeyboardEvent('keydown', init));
    document.body.dispatchEvent(new KeyboardEvent('keyup', init));
  };
  var q = function (s) { return document.querySelector(s); };
  var out = {};
  var forwarded = function () { return window.__posted.filter(function (m) { return m.msg === 'SAMFUI' && m.msgTag === 212; }).length; };
  q('[data-testid=preset-browse]').click();
  await wait(100);
  out.menuOpened = !!q('[data-testid=preset-menu]');
  out.tooltipWhileOpen = q('[data-testid=preset-browse]').getAttribute('title');
  var deepShown = function () { return Array.prototype.some.call(document.querySelectorAll('[data-testid=preset-item]'), function (b) { return b.textContent.indexOf('Wide Analogue') >= 0; }); };
  for (var depth = 0; depth < 6 && !deepShown() && document.querySelector('[data-testid=preset-folder]'); depth++) {
    document.querySelector('[data-testid=preset-folder]').click();
    await wait(50);
  }
  out.itemTooltips = Array.prototype.map.call(document.querySelectorAll('[data-testid=preset-item]'), function (b) { return b.getAttribute('title'); });
  var deep = Array.prototype.find.call(document.querySelectorAll('[data-testid=preset-item]'), function (b) { return b.textContent.indexOf('Wide Analogue') >= 0; });
  if (deep) deep.dispatchEvent(new MouseEvent('mouseover', { bubbles: true }));
  if (deep) deep.dispatchEvent(new MouseEvent('mouseenter'));
  await wait(50);
  var path = q('[data-testid=preset-path]');
  var pr = path ? path.getBoundingClientRect() : null;
  out.pathShown = path ? path.textContent : null;
  out.pathInside = !!pr && pr.left >= 0 && pr.right <= innerWidth && pr.bottom <= innerHeight;
  var before = forwarded();
  key('Escape');
  await wait(100);
  out.menuAfterEscape = !!q('[data-testid=preset-menu]');
  out.escapeForwarded = forwarded() - before;
  q('[data-testid=notices-btn]').click();
  await wait(100);
  out.dialogOpened = !!q('[data-testid=dialog]');
  key('Enter');
  await wait(100);
  out.dialogAfterEnter = !!q('[data-testid=dialog]');
  var b64 = function (o) { return btoa(unescape(encodeURIComponent(JSON.stringify(o)))); };
  var learn = b64({ active: true, selectedParamIdx: null, assignments: {} });
  SAMFD(219, learn.length + 1, learn);
  var result = b64({ op: 'setDefault', status: 'ok' });
  SAMFD(220, result.length + 1, result);
  await wait(100);
  out.learnResult = (q('[data-testid=learn-result]') || {}).textContent || null;
  return JSON.stringify(out);
})()
"""

SLIDER_CENTRE = """
(function () {
  var r = document.querySelector('.slider[data-param="29"] .slider-body').getBoundingClientRect();
  return JSON.stringify([r.left + r.width / 2, r.top + r.height / 2]);
})()
"""

POSTED_29 = """
JSON.stringify(window.__posted.filter(function (m) { return m.msg === 'SPVFUI' && m.paramIdx === 29; }).map(function (m) { return m.value; }))
"""

# Every drop-down as drawn, and every item of an open list, for the contrast of its text.
SELECT_BOXES = """
JSON.stringify(Array.prototype.map.call(document.querySelectorAll('select, .dropdown-button, .dropdown-list .menu-item'), function (s) {
  var r = s.getBoundingClientRect();
  return { item: s.classList.contains('menu-item'), name: (s.closest('[data-param]') ? s.closest('[data-param]').dataset.param + ' ' : '') + s.textContent, x: r.left, y: r.top, w: r.width, h: r.height,
    inside: r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight };
}).filter(function (b) { return b.w > 4 && b.h > 4; }))
"""

OPEN_FX_TYPE = """
(function () {
  var b = document.querySelector('[data-testid=fx-type] .dropdown-button, select[data-testid=fx-type]');
  if (b.tagName === 'SELECT') return 'native';
  b.click();
  return 'clicked';
})()
"""

FONTS = """
(function () {
  var faces = Array.from(document.fonts);
  function loaded(family) {
    return faces.some(function (f) { return f.family.replace(/["']/g, '') === family && f.status === 'loaded'; });
  }
  return JSON.stringify({ jp: loaded('Velmora JP'), sans: loaded('Velmora Sans'),
    statuses: faces.map(function (f) { return f.family + ' ' + f.status; }) });
})()
"""


def blank_texts(surface, boxes):
    """Texts whose box on the screen holds no ink: no pixel stands out from the box's commonest colour."""
    data = surface.get_data()
    stride = surface.get_stride()
    width, height = surface.get_width(), surface.get_height()
    blank = []
    for b in boxes:
        x0, y0 = max(0, int(b["x"])), max(0, int(b["y"]))
        x1, y1 = min(width, int(b["x"] + b["w"] + 0.999)), min(height, int(b["y"] + b["h"] + 0.999))
        counts = {}
        pixels = []
        for y in range(y0, y1):
            row = y * stride
            for x in range(x0, x1):
                p = tuple(data[row + 4 * x: row + 4 * x + 3])
                pixels.append(p)
                counts[p] = counts.get(p, 0) + 1
        if not pixels:
            continue
        ground = max(counts, key=counts.get)
        ink = sum(1 for p in pixels if sum(abs(a - c) for a, c in zip(p, ground)) > 90)
        if ink < max(4, len(b["text"])):
            blank.append(b["text"])
    return blank


def luminance(p):
    def lin(c):
        c = c / 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    b, g, r = p  # the surface holds BGRA
    return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b)


def low_contrast_selects(surface, boxes):
    """Drop-downs whose text stands out from their ground by less than 4.5:1 (the most contrasting pixel
    against the commonest one, inside the box less its border)."""
    data, stride = surface.get_data(), surface.get_stride()
    low = []
    for b in boxes:
        # The text only: the arrow at the right end is no measure of it.
        x0, y0 = max(0, int(b["x"]) + 2), max(0, int(b["y"]) + 2)
        x1 = min(surface.get_width(), int(b["x"] + b["w"]) - 18)
        y1 = min(surface.get_height(), int(b["y"] + b["h"]) - 2)
        counts = {}
        for y in range(y0, y1):
            for x in range(x0, x1):
                p = tuple(data[y * stride + 4 * x: y * stride + 4 * x + 3])
                counts[p] = counts.get(p, 0) + 1
        if not counts:
            continue
        ground = luminance(max(counts, key=counts.get))
        best = max((max(luminance(p), ground) + 0.05) / (min(luminance(p), ground) + 0.05) for p in counts)
        if best < 4.5 or not b.get("inside", True):
            low.append(f"{b['name']} {best:.2f}{'' if b.get('inside', True) else ' (outside the view)'}")
    return low


def keys_ok(k):
    if not k:
        return False
    return (k.get("menuOpened") is True and not k.get("tooltipWhileOpen") and len(k.get("itemTooltips", [])) > 0
            and all(t is None or not t.startswith("builtin:") for t in k["itemTooltips"])
            and k.get("menuAfterEscape") is False and k.get("escapeForwarded") == 0
            and k.get("pathShown") == "Factory/Pads and Strings/Evening Ensembles/Slow Attack/Wide Analogue Strings Ensemble.80p"
            and k.get("pathInside") is True)


def fine_notch(before, after):
    if not before or not after or len(after) != len(before) + 1:
        return False
    return abs(after[-1] - before[-1] - 0.004) < 1e-9


def no_system_cjk_font():
    """fontconfig, as this process sees it, offers no font with Japanese."""
    out = subprocess.run(["fc-list", ":lang=ja", "family"], capture_output=True, text=True)
    return out.returncode == 0 and out.stdout.strip() == ""


def imported_names(posted):
    """Names of the patches the page sent back with bulkImportComplete."""
    for m in posted:
        if m.get("msg") == "SAMFUI" and m.get("msgTag") == 202 and "data" in m:
            action = json.loads(base64.b64decode(m["data"]).decode("utf-8"))
            if action.get("operation") == "bulkImportComplete":
                return [p.get("name") for p in action.get("patches", [])]
    return None


def main():
    given = json.loads(sys.stdin.read())
    scripts, longName = given["init"], given["longName"]
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

    def japanese(_=None):
        def boxes_then_shot(text):
            boxes = json.loads(text)
            result["jaBoxes"] = len(boxes)
            result["jaTexts"] = [b["text"] for b in boxes]

            def shot(v, res):
                surface = v.get_snapshot_finish(res)
                if SHOT:
                    surface.write_to_png(SHOT)
                result["blank"] = blank_texts(surface, boxes)
                evaluate(SELECT_BOXES, lambda t: (result.update(lowContrast=low_contrast_selects(surface, json.loads(t))), after_shot()))
            view.get_snapshot(WebKit2.SnapshotRegion.VISIBLE, WebKit2.SnapshotOptions.NONE, None, shot)

        def after_shot():
            evaluate(COVERED_TEXTS, lambda t: (result.update(covered=json.loads(t)),
                                               evaluate(FONTS, lambda f: (result.update(fonts=json.loads(f)), long_name()))))

        def keys():
            evaluate("window.__keys = null; " + KEYS.strip() + ".then(function (r) { window.__keys = r; }, function (e) { window.__keys = JSON.stringify({ error: String(e) }); }); 'started'",
                     lambda _v: GLib.timeout_add(1500, lambda: (evaluate("window.__keys", lambda t: (result.update(keys=json.loads(t) if t and t != 'null' else {}), open_list())), False)[1]))

        # The effect type list, open, as the user reads it.
        def open_list():
            def shot(v, res):
                surface = v.get_snapshot_finish(res)
                if SHOT:
                    surface.write_to_png(SHOT.replace(".png", "-list.png"))
                evaluate(SELECT_BOXES, lambda t: (result.update(openList=json.loads(t), lowContrastOpen=low_contrast_selects(surface, json.loads(t))), Gtk.main_quit()))
            evaluate(OPEN_FX_TYPE, lambda n: (result.update(openItems=n), GLib.timeout_add(200, lambda: (view.get_snapshot(WebKit2.SnapshotRegion.VISIBLE, WebKit2.SnapshotOptions.NONE, None, shot), False)[1])))

        # One notch of the mouse wheel with Shift held, as the window system delivers it to the view.
        def shift_wheel():
            def at(centre_text):
                x, y = json.loads(centre_text)

                def scroll(before_text):
                    result["wheelBefore"] = json.loads(before_text)
                    event = Gdk.Event.new(Gdk.EventType.SCROLL)
                    event.scroll.window = view.get_window()
                    event.scroll.send_event = 1
                    event.scroll.time = Gdk.CURRENT_TIME
                    event.scroll.x, event.scroll.y = x, y
                    event.scroll.direction = Gdk.ScrollDirection.UP
                    event.scroll.state = Gdk.ModifierType.SHIFT_MASK
                    event.set_device(Gdk.Display.get_default().get_default_seat().get_pointer())
                    view.event(event)
                    GLib.timeout_add(300, lambda: (evaluate(POSTED_29, lambda t: (result.update(wheelAfter=json.loads(t)), keys())), False)[1])
                evaluate(POSTED_29, scroll)
            evaluate(SLIDER_CENTRE, at)

        def long_name():
            def after(before):
                result["barBefore"] = json.loads(before)
                evaluate(longName + ";'done'", lambda _v: GLib.timeout_add(300, lambda: (evaluate(PATCH_BAR, lambda a: (result.update(barAfter=json.loads(a)), shift_wheel())), False)[1]))
            evaluate(PATCH_BAR, after)
        evaluate(JAPANESE, lambda _v: GLib.timeout_add(400, lambda: (evaluate(TEXT_BOXES, boxes_then_shot), False)[1]))

    def report(_=None):
        def got(text):
            result.update(json.loads(text))
            japanese()
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
    checks = {}
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
            "no Japanese font on the system": no_system_cjk_font(),
            "the page's fonts are loaded": result.get("fonts", {}).get("jp") is True and result.get("fonts", {}).get("sans") is True,
            "Japanese labels on screen": result.get("jaBoxes", 0) > 40 and any("パッチ" in t for t in result.get("jaTexts", [])),
            "every label shows ink": result.get("blank") == [],
            "no control covers a text": result.get("covered") == [],
            "every drop-down legible": result.get("lowContrast") == [],
            "the open effect list legible and inside the view": len([b for b in result.get("openList", []) if b.get("item")]) == 13
                and result.get("lowContrastOpen") == [],
            "patch bar buttons stay in place": bool(result.get("barBefore")) and result.get("barBefore", {}).get("buttons") == result.get("barAfter", {}).get("buttons"),
            "patch bar keeps its height": bool(result.get("barBefore")) and result.get("barBefore", {}).get("bar") == result.get("barAfter", {}).get("bar")
                and result.get("barBefore", {}).get("panels") == result.get("barAfter", {}).get("panels"),
            "Shift and one wheel notch move by 0.004": fine_notch(result.get("wheelBefore"), result.get("wheelAfter")),
            "patch menu: no tooltip over it, no internal address, Escape closes it here only": keys_ok(result.get("keys")),
            "Enter confirms a dialog": result.get("keys", {}).get("dialogOpened") is True and result.get("keys", {}).get("dialogAfterEnter") is False,
            "SET DEFAULT answered in words": result.get("keys", {}).get("learnResult") == "既定のMIDIマップとして保存しました",
            "long name cut, full name in tooltip": result.get("barAfter", {}).get("cut") is True
                and result.get("barAfter", {}).get("title") == "Resonant Pluck with a very long name that no bar holds",
        }
        for name in ("blank", "covered", "fonts", "lowContrast", "barBefore", "barAfter", "wheelAfter", "keys", "lowContrastOpen"):
            if result.get(name) and [f for f in checks if not checks[f]]:
                print(f"webkit smoke: {name}:", json.dumps(result[name], ensure_ascii=False)[:2000])
        failures = [name for name, ok in checks.items() if not ok]
    for f in failures:
        print("webkit smoke: FAILED:", f)
    print(f"{(len(checks) - len(failures)) if 'error' not in result else 0} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
