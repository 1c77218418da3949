#!/usr/bin/python3
"""Draws the bundle's artwork and writes the skin property lists.

Every picture of resources/ that the screens name is drawn here with cairo, by day and by
night, so the bundle carries only our own artwork. Run from anywhere:

    tools/artwork/draw_artwork.py [resources-folder]

It rewrites the pictures (each ".png" also as "<name>@2x.png" at twice the density), the
eight skin lists ("skin{Images,Fonts,Colors,Others}{Default,Night}.plist") and
"artwork-manifest.txt" (one line per picture: file name, pixel width, pixel height). Run
without a folder, it also draws the sample service's covers, thumbnails and article pictures
into tools/sample-service/documents/images/.
The output depends only on this file, so running it twice gives the same bytes.
"""

import math
import os
import plistlib
import sys

import cairo

# --- palettes -------------------------------------------------------------------------------

DAY = {
    "bar_top": (0.98, 0.98, 0.98), "bar_bottom": (0.86, 0.87, 0.89), "bar_line": (0.70, 0.71, 0.74),
    "button_top": (0.99, 0.99, 0.99), "button_bottom": (0.88, 0.89, 0.91),
    "button_press_top": (0.80, 0.81, 0.84), "button_press_bottom": (0.90, 0.91, 0.93),
    "border": (0.62, 0.64, 0.68), "accent": (0.74, 0.17, 0.14), "accent_press": (0.58, 0.11, 0.09),
    "blue": (0.16, 0.40, 0.74), "glyph": (0.35, 0.36, 0.40), "glyph_press": (0.15, 0.15, 0.18),
    "back_top": (0.40, 0.44, 0.51), "back_bottom": (0.27, 0.30, 0.36), "title_band": (0.93, 0.94, 0.95),
    "press_top": (0.94, 0.945, 0.955), "press_bottom": (0.965, 0.97, 0.975),
    "bar_glyph": (0.95, 0.96, 0.98), "bar_glyph_press": (0.72, 0.78, 0.88),
    "back_press_top": (0.24, 0.27, 0.32), "back_press_bottom": (0.32, 0.35, 0.41),
    "panel": (0.97, 0.97, 0.97), "field": (1.0, 1.0, 1.0), "line": (0.84, 0.85, 0.87),
    "shade": (0.0, 0.0, 0.0), "empty": (0.78, 0.79, 0.81), "cover_top": (0.93, 0.55, 0.30),
    "cover_bottom": (0.62, 0.20, 0.28), "text": (0.25, 0.25, 0.28),
    # Marks without words in the accent and the blue: by day the colours themselves.
    "mark_accent": (0.74, 0.17, 0.14), "mark_accent_press": (0.58, 0.11, 0.09), "mark_blue": (0.16, 0.40, 0.74),
}

NIGHT = {
    "bar_top": (0.22, 0.23, 0.26), "bar_bottom": (0.13, 0.14, 0.16), "bar_line": (0.05, 0.05, 0.06),
    "button_top": (0.30, 0.31, 0.34), "button_bottom": (0.20, 0.21, 0.24),
    "button_press_top": (0.14, 0.15, 0.17), "button_press_bottom": (0.22, 0.23, 0.26),
    "border": (0.08, 0.08, 0.09), "accent": (0.55, 0.18, 0.16), "accent_press": (0.40, 0.12, 0.10),
    "back_top": (0.30, 0.31, 0.34), "back_bottom": (0.20, 0.21, 0.24), "title_band": (0.13, 0.14, 0.16),
    "press_top": (0.10, 0.10, 0.12), "press_bottom": (0.14, 0.145, 0.165),
    "bar_glyph": (0.85, 0.86, 0.88), "bar_glyph_press": (0.62, 0.63, 0.66),
    "back_press_top": (0.14, 0.15, 0.17), "back_press_bottom": (0.22, 0.23, 0.26),
    "blue": (0.22, 0.38, 0.60), "glyph": (0.72, 0.73, 0.76), "glyph_press": (0.92, 0.92, 0.94),
    "panel": (0.17, 0.17, 0.19), "field": (0.27, 0.28, 0.31), "line": (0.27, 0.28, 0.30),
    "shade": (0.0, 0.0, 0.0), "empty": (0.33, 0.34, 0.37), "cover_top": (0.30, 0.24, 0.36),
    "cover_bottom": (0.10, 0.10, 0.16), "text": (0.80, 0.80, 0.83),
    # By night the deep accent and blue behind white words are too dark for a mark on the dark
    # bars and rows: marks take lighter ones that stand out 4.5:1 from them.
    "mark_accent": (0.93, 0.42, 0.38), "mark_accent_press": (0.80, 0.33, 0.30), "mark_blue": (0.45, 0.63, 0.92),
}

# --- drawing helpers ------------------------------------------------------------------------


def rounded(ctx, x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def gradient(h, top, bottom):
    g = cairo.LinearGradient(0, 0, 0, h)
    g.add_color_stop_rgb(0, *top)
    g.add_color_stop_rgb(1, *bottom)
    return g


def bar(ctx, w, h, p):
    ctx.set_source(gradient(h, p["bar_top"], p["bar_bottom"]))
    ctx.rectangle(0, 0, w, h)
    ctx.fill()
    ctx.set_source_rgb(*p["bar_line"])
    ctx.rectangle(0, h - 1, w, 1)
    ctx.fill()


def button(ctx, w, h, p, pressed=False, accent=None, back=False, disabled=False):
    top, bottom = (p["button_press_top"], p["button_press_bottom"]) if pressed else (p["button_top"], p["button_bottom"])
    if accent:
        base = p[accent + "_press"] if pressed and accent == "accent" else p[accent]
        top, bottom = tuple(min(1, c * 1.12) for c in base), base
    if disabled:
        top, bottom = p["empty"], p["empty"]
    if back:
        # A back button carries the bar's white title: a dark slate face in both looks.
        top, bottom = (p["back_press_top"], p["back_press_bottom"]) if pressed else (p["back_top"], p["back_bottom"])
        tip = min(12, w / 3)
        ctx.move_to(0.5, h / 2)
        ctx.line_to(tip, 0.5)
        ctx.line_to(w - 4.5, 0.5)
        ctx.arc(w - 4.5, 4.5, 4, -math.pi / 2, 0)
        ctx.line_to(w - 0.5, h - 4.5)
        ctx.arc(w - 4.5, h - 4.5, 4, 0, math.pi / 2)
        ctx.line_to(tip, h - 0.5)
        ctx.close_path()
    else:
        rounded(ctx, 0.5, 0.5, w - 1, h - 1, min(5, h / 3))
    ctx.set_source(gradient(h, top, bottom))
    ctx.fill_preserve()
    ctx.set_source_rgb(*p["border"])
    ctx.set_line_width(1)
    ctx.stroke()


def panel(ctx, w, h, p, key="panel", border=True, radius=6):
    rounded(ctx, 0.5, 0.5, w - 1, h - 1, radius)
    ctx.set_source_rgb(*p[key])
    ctx.fill_preserve()
    if border:
        ctx.set_source_rgb(*p["line"])
        ctx.set_line_width(1)
        ctx.stroke()
    else:
        ctx.new_path()


def fill(ctx, w, h, color, alpha=1.0):
    ctx.set_source_rgba(*color, alpha)
    ctx.rectangle(0, 0, w, h)
    ctx.fill()


def glyph(ctx, w, h, kind, color):
    """A simple line symbol centred in w x h."""
    s = min(w, h)
    cx, cy = w / 2, h / 2
    u = s / 10
    ctx.save()
    ctx.set_source_rgb(*color)
    ctx.set_line_width(max(1.2, u * 0.9))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    if kind == "check":
        ctx.move_to(cx - 3 * u, cy)
        ctx.line_to(cx - u, cy + 2.5 * u)
        ctx.line_to(cx + 3.5 * u, cy - 3 * u)
        ctx.stroke()
    elif kind in ("right", "left", "back", "forward"):
        d = 1 if kind in ("right", "forward") else -1
        ctx.move_to(cx - d * 1.5 * u, cy - 3 * u)
        ctx.line_to(cx + d * 1.5 * u, cy)
        ctx.line_to(cx - d * 1.5 * u, cy + 3 * u)
        ctx.stroke()
    elif kind == "swipe":  # a line with a head at each end: turn sideways
        ctx.move_to(cx - 3.5 * u, cy)
        ctx.line_to(cx + 3.5 * u, cy)
        for d in (-1, 1):
            ctx.move_to(cx + d * 1.8 * u, cy - 1.8 * u)
            ctx.line_to(cx + d * 3.5 * u, cy)
            ctx.line_to(cx + d * 1.8 * u, cy + 1.8 * u)
        ctx.stroke()
    elif kind in ("x", "close", "cancel"):
        for a, b in ((-1, -1), (-1, 1)):
            ctx.move_to(cx + a * 2.5 * u, cy + b * 2.5 * u)
            ctx.line_to(cx - a * 2.5 * u, cy - b * 2.5 * u)
        ctx.stroke()
    elif kind == "plus":
        ctx.move_to(cx - 3 * u, cy)
        ctx.line_to(cx + 3 * u, cy)
        ctx.move_to(cx, cy - 3 * u)
        ctx.line_to(cx, cy + 3 * u)
        ctx.stroke()
    elif kind == "minus":
        ctx.move_to(cx - 3 * u, cy)
        ctx.line_to(cx + 3 * u, cy)
        ctx.stroke()
    elif kind == "refresh":
        ctx.arc(cx, cy, 3 * u, 0.3, 2 * math.pi - 0.6)
        ctx.stroke()
        ctx.move_to(cx + 3 * u + 1.5 * u, cy - 1.8 * u)
        ctx.line_to(cx + 3 * u, cy)
        ctx.line_to(cx + 1.5 * u, cy - 1.8 * u)
        ctx.stroke()
    elif kind == "down":
        ctx.move_to(cx, cy - 3.5 * u)
        ctx.line_to(cx, cy + 2 * u)
        ctx.move_to(cx - 2 * u, cy)
        ctx.line_to(cx, cy + 2 * u)
        ctx.line_to(cx + 2 * u, cy)
        ctx.move_to(cx - 3 * u, cy + 3.5 * u)
        ctx.line_to(cx + 3 * u, cy + 3.5 * u)
        ctx.stroke()
    elif kind == "edit":
        ctx.move_to(cx - 3 * u, cy + 3 * u)
        ctx.line_to(cx - 2.5 * u, cy + 1.2 * u)
        ctx.line_to(cx + 2 * u, cy - 3.3 * u)
        ctx.line_to(cx + 3.3 * u, cy - 2 * u)
        ctx.line_to(cx - 1.2 * u, cy + 2.5 * u)
        ctx.close_path()
        ctx.stroke()
    elif kind == "search":
        ctx.arc(cx - u, cy - u, 2.3 * u, 0, 2 * math.pi)
        ctx.stroke()
        ctx.move_to(cx + 0.8 * u, cy + 0.8 * u)
        ctx.line_to(cx + 3 * u, cy + 3 * u)
        ctx.stroke()
    elif kind == "heart":
        ctx.move_to(cx, cy + 3 * u)
        ctx.curve_to(cx - 5 * u, cy - u, cx - 2 * u, cy - 4.5 * u, cx, cy - 1.5 * u)
        ctx.curve_to(cx + 2 * u, cy - 4.5 * u, cx + 5 * u, cy - u, cx, cy + 3 * u)
        ctx.fill()
    elif kind == "star":
        star_path(ctx, cx, cy, 4 * u)
        ctx.fill()
    elif kind == "share":
        ctx.move_to(cx - 3 * u, cy + 3 * u)
        ctx.line_to(cx - 3 * u, cy - u)
        ctx.line_to(cx + 2 * u, cy - u)
        ctx.stroke()
        ctx.move_to(cx + 0.5 * u, cy - 2.5 * u)
        ctx.line_to(cx + 2 * u, cy - u)
        ctx.line_to(cx + 0.5 * u, cy + 0.5 * u)
        ctx.stroke()
    elif kind == "comment":
        rounded(ctx, cx - 3.5 * u, cy - 3 * u, 7 * u, 5 * u, u)
        ctx.stroke()
        ctx.move_to(cx - 1.5 * u, cy + 2 * u)
        ctx.line_to(cx - 2.5 * u, cy + 3.5 * u)
        ctx.line_to(cx, cy + 2 * u)
        ctx.stroke()
    elif kind == "person":
        ctx.arc(cx, cy - 1.5 * u, 1.8 * u, 0, 2 * math.pi)
        ctx.fill()
        ctx.arc(cx, cy + 4 * u, 3.5 * u, math.pi, 2 * math.pi)
        ctx.fill()
    elif kind == "present":
        ctx.rectangle(cx - 3 * u, cy - 2 * u, 6 * u, 5 * u)
        ctx.stroke()
        ctx.move_to(cx, cy + u)
        ctx.line_to(cx, cy - 4 * u)
        ctx.move_to(cx - 1.5 * u, cy - 2.5 * u)
        ctx.line_to(cx, cy - 4 * u)
        ctx.line_to(cx + 1.5 * u, cy - 2.5 * u)
        ctx.stroke()
    elif kind == "grid":
        for i in range(2):
            for j in range(2):
                ctx.rectangle(cx - 3 * u + i * 3.4 * u, cy - 3 * u + j * 3.4 * u, 2.6 * u, 2.6 * u)
        ctx.fill()
    elif kind == "book":
        ctx.move_to(cx, cy - 2 * u)
        ctx.line_to(cx - 3.5 * u, cy - 3 * u)
        ctx.line_to(cx - 3.5 * u, cy + 2.5 * u)
        ctx.line_to(cx, cy + 3.5 * u)
        ctx.line_to(cx + 3.5 * u, cy + 2.5 * u)
        ctx.line_to(cx + 3.5 * u, cy - 3 * u)
        ctx.close_path()
        ctx.move_to(cx, cy - 2 * u)
        ctx.line_to(cx, cy + 3.5 * u)
        ctx.stroke()
    elif kind == "dots":
        for i in (-1, 0, 1):
            ctx.arc(cx + i * 2.5 * u, cy, 0.9 * u, 0, 2 * math.pi)
            ctx.fill()
    elif kind == "bulb":
        ctx.arc(cx, cy - u, 2.6 * u, 0, 2 * math.pi)
        ctx.stroke()
        ctx.move_to(cx - u, cy + 2.5 * u)
        ctx.line_to(cx + u, cy + 2.5 * u)
        ctx.stroke()
    elif kind == "bug":
        ctx.arc(cx, cy + 0.5 * u, 2.2 * u, 0, 2 * math.pi)
        ctx.stroke()
        for a in (-1, 1):
            ctx.move_to(cx + a * 2.2 * u, cy)
            ctx.line_to(cx + a * 3.7 * u, cy - u)
            ctx.move_to(cx + a * 2.2 * u, cy + 1.5 * u)
            ctx.line_to(cx + a * 3.7 * u, cy + 2.5 * u)
        ctx.stroke()
    elif kind == "question":
        ctx.arc(cx, cy - 1.5 * u, 1.8 * u, math.pi, 2.3 * math.pi)
        ctx.line_to(cx, cy + 1.2 * u)
        ctx.stroke()
        ctx.arc(cx, cy + 3 * u, 0.6 * u, 0, 2 * math.pi)
        ctx.fill()
    elif kind == "logo":
        ctx.arc(cx, cy, 3.8 * u, 0, 2 * math.pi)
        ctx.stroke()
        ctx.move_to(cx - 2 * u, cy - 2 * u)
        ctx.line_to(cx + 2 * u, cy - 2 * u)
        ctx.line_to(cx - 2 * u, cy + 2 * u)
        ctx.line_to(cx + 2 * u, cy + 2 * u)
        ctx.stroke()
    elif kind == "picture":
        ctx.rectangle(cx - 3.5 * u, cy - 2.5 * u, 7 * u, 5 * u)
        ctx.stroke()
        ctx.move_to(cx - 3 * u, cy + 2 * u)
        ctx.line_to(cx - u, cy - 0.5 * u)
        ctx.line_to(cx + 0.5 * u, cy + u)
        ctx.line_to(cx + 1.5 * u, cy)
        ctx.line_to(cx + 3 * u, cy + 2 * u)
        ctx.stroke()
    ctx.restore()


def star_path(ctx, cx, cy, r):
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        rr = r if i % 2 == 0 else r * 0.45
        (ctx.move_to if i == 0 else ctx.line_to)(cx + rr * math.cos(a), cy + rr * math.sin(a))
    ctx.close_path()


def icon_button(ctx, w, h, p, kind, pressed=False, disabled=False, round_=True):
    if round_:
        ctx.arc(w / 2, h / 2, min(w, h) / 2 - 1, 0, 2 * math.pi)
        ctx.set_source(gradient(h, p["button_press_top"] if pressed else p["button_top"],
                                p["button_press_bottom"] if pressed else p["button_bottom"]))
        ctx.fill_preserve()
        ctx.set_source_rgb(*p["border"])
        ctx.set_line_width(1)
        ctx.stroke()
    color = p["empty"] if disabled else (p["glyph_press"] if pressed else p["glyph"])
    glyph(ctx, w, h, kind, color)


def titled(ctx, w, h, p, text, color_key="text", size=None):
    ctx.set_source_rgb(*p[color_key])
    ctx.select_font_face("WenQuanYi Micro Hei", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    ctx.set_font_size(size or h * 0.45)
    ext = ctx.text_extents(text)
    ctx.move_to((w - ext.width) / 2 - ext.x_bearing, (h - ext.height) / 2 - ext.y_bearing)
    ctx.show_text(text)


def feedback_tab(kind, caption, pressed=False):
    """A segment of the feedback screen's kind row (80 x 54): a flat tab with the kind's symbol
    over its caption; the chosen one is pressed in and tinted."""
    def draw(ctx, w, h, p):
        top, bottom = (p["button_press_top"], p["button_press_bottom"]) if pressed else (p["button_top"], p["button_bottom"])
        ctx.rectangle(0, 0, w, h)
        ctx.set_source(gradient(h, top, bottom))
        ctx.fill()
        ctx.set_source_rgb(*p["border"])
        ctx.set_line_width(1)
        ctx.move_to(w - 0.5, 0)
        ctx.line_to(w - 0.5, h)
        ctx.move_to(0, h - 0.5)
        ctx.line_to(w, h - 0.5)
        ctx.stroke()
        color = p["glyph_press"] if pressed else p["glyph"]
        ctx.save()
        ctx.translate(w / 2 - 15, 4)
        glyph(ctx, 30, 30, kind, color)
        ctx.restore()
        ctx.save()
        ctx.translate(0, h - 18)
        titled(ctx, w, 16, dict(p, tab=color), caption, "tab", 11)
        ctx.restore()
    return draw


# --- the pictures ---------------------------------------------------------------------------
# Each entry: file name -> (width, height, draw(ctx, w, h, palette)).

def B(**kw):
    return lambda ctx, w, h, p: button(ctx, w, h, p, **kw)


def I(kind, **kw):
    return lambda ctx, w, h, p: icon_button(ctx, w, h, p, kind, **kw)


def row_add_button(kind, **kw):
    """The self-defined screen's round subscribe button. Its picture hangs from the top of a row
    70 high, so its disc is smaller than the picture: it keeps clear of the line above the row,
    centred where the waiting spinner over it turns."""
    def draw(ctx, w, h, p):
        side = 40
        ctx.save()
        ctx.translate((w - side) / 2, (h - side) / 2)
        icon_button(ctx, side, side, p, kind, **kw)
        ctx.restore()
    return draw


def G(kind, key="glyph"):
    return lambda ctx, w, h, p: glyph(ctx, w, h, kind, p[key])


def P(key="panel", border=True, radius=6):
    return lambda ctx, w, h, p: panel(ctx, w, h, p, key, border, radius)


def F(key, alpha=1.0):
    return lambda ctx, w, h, p: fill(ctx, w, h, p[key], alpha)


def BAR(ctx, w, h, p):
    bar(ctx, w, h, p)


def T(text, pressed=False, accent=None, disabled=False):
    def draw(ctx, w, h, p):
        button(ctx, w, h, p, pressed=pressed, accent=accent, disabled=disabled)
        # On a coloured button the title is white in both looks.
        titled(ctx, w, h, dict(p, on_accent=(1.0, 1.0, 1.0)), text, "on_accent" if accent else "text")
    return draw


def layered(*draws):
    def draw(ctx, w, h, p):
        for d in draws:
            d(ctx, w, h, p)
    return draw


def logo(ctx, w, h, p):
    glyph(ctx, h, h, "logo", p["accent"])
    ctx.save()
    ctx.translate(h, 0)
    titled(ctx, w - h, h, p, "zu reader", "text", h * 0.42)
    ctx.restore()


def shadow_strip(ctx, w, h, p):
    g = cairo.LinearGradient(0, 0, 0, h)
    g.add_color_stop_rgba(0, 0, 0, 0, 0)
    g.add_color_stop_rgba(1, 0, 0, 0, 0.35)
    ctx.set_source(g)
    ctx.rectangle(0, 0, w, h)
    ctx.fill()


def progress(key):
    def draw(ctx, w, h, p):
        rounded(ctx, 0, 0, w, h, h / 2)
        ctx.set_source_rgb(*p[key])
        ctx.fill()
    return draw


def spinner_frame(i):
    def draw(ctx, w, h, p):
        for k in range(12):
            a = 2 * math.pi * k / 12
            fade = ((k - i * 12 / 17) % 12) / 12
            ctx.set_source_rgba(*p["blue"], 0.15 + 0.85 * fade)
            ctx.set_line_width(2)
            ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            ctx.move_to(w / 2 + math.cos(a) * w * 0.2, h / 2 + math.sin(a) * h * 0.2)
            ctx.line_to(w / 2 + math.cos(a) * w * 0.42, h / 2 + math.sin(a) * h * 0.42)
            ctx.stroke()
    return draw


def tab(kind, state):
    def draw(ctx, w, h, p):
        top = p["bar_bottom"] if state == "normal" else p["button_press_top"]
        ctx.set_source(gradient(h, p["bar_top"] if state == "normal" else top, p["bar_bottom"]))
        ctx.rectangle(0, 0, w, h)
        ctx.fill()
        color = {"normal": p["glyph"], "press": p["glyph_press"], "current": p["mark_accent"]}[state]
        glyph(ctx, w, h * 0.8, kind, color)
    return draw


def tile(key):
    def draw(ctx, w, h, p):
        fill(ctx, w, h, p[key])
        ctx.set_source_rgba(*p["line"], 0.6)
        ctx.rectangle(0, h - 1, w, 1)
        ctx.fill()
    return draw


LAUNCH_COVERS = (
    # (scene, masthead colour, the cover's lines)
    ("harbour", (0.62, 0.12, 0.10), ("港口的清晨", "新闻 · 图片 · 微博，一处读完")),
    ("lantern", (0.12, 0.20, 0.40), ("灯笼夜话", "今晚值得一读的十篇文章")),
    ("workshop", (0.18, 0.30, 0.20), ("手艺人的一天", "离线下载，路上慢慢读")),
)


def cover(index):
    """A launch cover as a magazine's: the masthead band, a full-bleed picture, and the issue's
    lines on a dark band at the foot, all in white."""
    def draw(ctx, w, h, p):
        kind, masthead, (headline, strap) = LAUNCH_COVERS[index % len(LAUNCH_COVERS)]
        scene(ctx, w, h, kind)
        white = {"text": (1, 1, 1)}
        ctx.set_source_rgb(*masthead)
        ctx.rectangle(0, 0, w, 86)
        ctx.fill()
        titled(ctx, w, 62, white, "zu reader", "text", 38)
        ctx.save()
        ctx.translate(0, 58)
        titled(ctx, w, 24, white, "第 %d 期 · 每日精选" % (index + 1), "text", 13)
        ctx.restore()
        ctx.set_source_rgba(0, 0, 0, 0.62)
        ctx.rectangle(0, h - 110, w, 110)
        ctx.fill()
        ctx.save()
        ctx.translate(0, h - 100)
        titled(ctx, w, 48, white, headline, "text", 30)
        ctx.translate(0, 50)
        titled(ctx, w, 30, white, strap, "text", 15)
        ctx.restore()
    return draw


def help_page(text, kind="down"):
    """A help sheet over the dimmed screen, laid out for the picture's own size: a panel in the
    middle with the symbol `kind` above its caption (at least 11 points, so a small sheet
    reads)."""
    def draw(ctx, w, h, p):
        fill(ctx, w, h, p["shade"], 0.6)
        pw, ph = w * 0.76, h * 0.36
        ctx.save()
        ctx.translate((w - pw) / 2, (h - ph) / 2)
        panel(ctx, pw, ph, p)
        glyph(ctx, pw, ph * 0.62, kind, p["blue"])
        ctx.translate(0, ph * 0.58)
        titled(ctx, pw, ph * 0.34, p, text, "text", max(11, w * 0.047))
        ctx.restore()
    return draw


GUIDE_PAGES = {
    "help": [("grid", "栏目", "轻点封面阅读栏目"), ("plus", "订阅", "点加号添加新的栏目"),
             ("book", "阅读", "左右滑动翻到下一篇"), ("star", "收藏", "喜欢的文章收藏起来"),
             ("down", "离线", "在 Wi-Fi 下离线下载栏目"), ("share", "分享", "把好文章分享给朋友")],
    "newhelp": [("refresh", "更新", "下拉刷新最新文章"), ("comment", "评论", "看看大家怎么说"),
                ("bulb", "夜间", "夜间模式保护眼睛"), ("person", "帐号", "绑定帐号同步订阅"),
                ("check", "开始", "向左滑动开始阅读")],
}


def guide_page(index, count, kind, title, caption):
    """A page of the user guide: a coloured field, a large glyph, its title and a caption,
    and the page's number of the guide's pages."""
    def draw(ctx, w, h, p):
        hue = index / max(count, 1)
        top = (0.20 + 0.5 * hue, 0.45, 0.75 - 0.4 * hue)
        ctx.set_source(gradient(h, top, tuple(c * 0.55 for c in top)))
        ctx.rectangle(0, 0, w, h)
        ctx.fill()
        ctx.save()
        ctx.translate(w / 2 - 60, 70)
        ctx.set_source_rgba(1, 1, 1, 0.9)
        rounded(ctx, 0, 0, 120, 120, 24)
        ctx.fill()
        glyph(ctx, 120, 120, kind, top)
        ctx.restore()
        ctx.save()
        ctx.translate(0, 210)
        titled(ctx, w, 50, {"text": (1, 1, 1)}, title, "text", 30)
        ctx.translate(0, 50)
        titled(ctx, w, 40, {"text": (0.95, 0.95, 0.95)}, caption, "text", 17)
        ctx.translate(0, 60)
        titled(ctx, w, 30, {"text": (0.85, 0.85, 0.90)}, "%d / %d" % (index + 1, count), "text", 14)
        ctx.restore()
    return draw


def stars(key):
    def draw(ctx, w, h, p):
        star_path(ctx, w / 2, h / 2 + h * 0.05, w * 0.46)
        ctx.set_source_rgb(*((0.98, 0.76, 0.12) if key == "yellow" else (0.55, 0.56, 0.60)))
        ctx.fill()
    return draw


def done_mark(ctx, w, h, p):
    """The offline download row's done mark: a white tick on a green disc (66A300)."""
    ctx.arc(w / 2, h / 2, min(w, h) / 2 - 0.5, 0, 2 * math.pi)
    ctx.set_source_rgb(0x66 / 255, 0xA3 / 255, 0)
    ctx.fill()
    glyph(ctx, w, h, "check", (1, 1, 1))


def toast(kind):
    def draw(ctx, w, h, p):
        glyph(ctx, w, h, kind, (1, 1, 1))
    return draw


# The placeholders of a microblog column whose account is not bound yet: the tile's cover and
# the detail's list icon, in the microblog's own colour with a speech bubble.
MICROBLOG_COLORS = {"zelvane": ((0.36, 0.62, 0.90), (0.16, 0.36, 0.70)),
                    "sina": ((0.96, 0.42, 0.30), (0.78, 0.16, 0.14))}


def microblog_cover(brand):
    def draw(ctx, w, h, p):
        top, bottom = MICROBLOG_COLORS[brand]
        ctx.set_source(gradient(h, top, bottom))
        ctx.rectangle(0, 0, w, h)
        ctx.fill()
        for k in range(3):
            ctx.set_source_rgba(1, 1, 1, 0.10 + 0.04 * k)
            ctx.arc(w * (0.15 + 0.35 * k), h * (0.85 - 0.25 * k), 14 + 10 * k, 0, 2 * math.pi)
            ctx.fill()
        glyph(ctx, w, h * 0.62, "comment", (1, 1, 1))
    return draw


def rounded_glyph_icon(top, bottom):
    def draw(ctx, w, h, p):
        rounded(ctx, 0, 0, w, h, w * 0.18)
        ctx.set_source(gradient(h, top, bottom))
        ctx.fill()
        glyph(ctx, w, h, "comment", (1, 1, 1))
    return draw


def microblog_icon(brand):
    return rounded_glyph_icon(*MICROBLOG_COLORS[brand])
# --- the home screens' bars, rings and covers --------------------------------------------
# The home screens' navigation bars carry white titles (the bar's own title and the bar
# buttons' skin colour), so by day their bar and back button are a deep slate, not the light
# gradient of the skinned bars.

def home_bar_colors(p):
    if p is NIGHT:
        return p["bar_top"], p["bar_bottom"], p["bar_line"]
    return (0.34, 0.40, 0.49), (0.20, 0.25, 0.33), (0.12, 0.15, 0.20)


def home_bar(ctx, w, h, p):
    top, bottom, line = home_bar_colors(p)
    bar(ctx, w, h, dict(p, bar_top=top, bar_bottom=bottom, bar_line=line))


def home_back_button(pressed=False):
    def draw(ctx, w, h, p):
        top, bottom, line = home_bar_colors(p)
        lift = 0.0 if pressed else 0.10
        face = dict(p, border=line,
                    button_top=tuple(min(1, c + lift + 0.06) for c in top),
                    button_bottom=tuple(min(1, c + lift) for c in bottom),
                    button_press_top=bottom, button_press_bottom=top)
        button(ctx, w, h, face, pressed=pressed, back=True)
    return draw


def empty_ring(ctx, w, h, p):
    """A round button's face and rim with nothing on it: the background of a button whose
    own image carries the symbol."""
    ctx.arc(w / 2, h / 2, min(w, h) / 2 - 1, 0, 2 * math.pi)
    ctx.set_source(gradient(h, p["button_top"], p["button_bottom"]))
    ctx.fill_preserve()
    ctx.set_source_rgb(*p["border"])
    ctx.set_line_width(1)
    ctx.stroke()


def text_mode_card(ctx, w, h, p):
    """A text-only tile's face: an opaque mid-dark card under the tile's white title, with a
    faint book in its upper half."""
    top, bottom = ((0.42, 0.47, 0.55), (0.26, 0.30, 0.37)) if p is not NIGHT else \
        ((0.27, 0.28, 0.32), (0.17, 0.18, 0.21))
    rounded(ctx, 0.5, 0.5, w - 1, h - 1, 4)
    ctx.set_source(gradient(h, top, bottom))
    ctx.fill_preserve()
    ctx.set_source_rgba(1, 1, 1, 0.18)
    ctx.set_line_width(1)
    ctx.stroke()
    glyph(ctx, w, h * 0.55, "book", tuple(min(1, c + 0.22) for c in top))


def column_default_cover(ctx, w, h, p):
    """The cover a column shows until it has its own: a small landscape on a warm ground."""
    ctx.set_source(gradient(h, (0.95, 0.80, 0.55), (0.85, 0.52, 0.34)))
    ctx.rectangle(0, 0, w, h)
    ctx.fill()
    ctx.set_source_rgba(1, 0.97, 0.88, 0.9)
    ctx.arc(w * 0.82, h * 0.20, w * 0.09, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgba(0.45, 0.22, 0.20, 0.55)
    ctx.move_to(0, h * 0.78)
    ctx.curve_to(w * 0.3, h * 0.52, w * 0.55, h * 0.62, w, h * 0.70)
    ctx.line_to(w, h)
    ctx.line_to(0, h)
    ctx.close_path()
    ctx.fill()
    glyph(ctx, w, h * 0.9, "book", (1, 1, 1))


def check_box(checked):
    """A check box: an empty rounded square when off; filled in the screens' blue with a white
    tick when on."""
    def draw(ctx, w, h, p):
        side = min(w, h) - 4
        x, y = (w - side) / 2, (h - side) / 2
        rounded(ctx, x + 0.5, y + 0.5, side - 1, side - 1, 3)
        ctx.set_source_rgb(*(p["blue"] if checked else p["field"]))
        ctx.fill_preserve()
        ctx.set_source_rgb(*(p["blue"] if checked else p["border"]))
        ctx.set_line_width(1.5)
        ctx.stroke()
        if checked:
            glyph(ctx, w, h, "check", (1, 1, 1))
    return draw


# Skin images by code name: (file stem, w, h, draw). The Night list names "night_" files for
# every picture that has a surface; logos and pictures keep the default.
SKIN_IMAGES = {
    "imageKdpCenterLogo": ("skin_center_logo", 120, 40, logo),
    "imageKdpCheckmark": ("skin_checkmark", 14, 14, G("check", "mark_blue")),
    "imageKdpCustomDisclosureIndicator": ("skin_disclosure", 10, 14, G("right")),
    "imageKdpNavigationBarBackground": ("skin_navbar", 320, 44, BAR),
    "imageKdpNavigationBarButtonBackHighlighted": ("skin_navbutton_back_press", 50, 30, B(back=True, pressed=True)),
    "imageKdpNavigationBarButtonBackNormal": ("skin_navbutton_back", 50, 30, B(back=True)),
    "imageKdpNavigationBarButtonDoneHighlighted": ("skin_navbutton_done_press", 50, 30, B(accent="accent", pressed=True)),
    "imageKdpNavigationBarButtonDoneNormal": ("skin_navbutton_done", 50, 30, B(accent="accent")),
    "imageKdpProgressBarAll": ("skin_progress_all", 20, 8, progress("empty")),
    "imageKdpProgressBarDone": ("skin_progress_done", 20, 8, progress("blue")),
    "imageKdpSearchBarBackground": ("skin_searchbar", 320, 44, BAR),
    "imageKdpSearchBarClearButtonHighlighted": ("skin_search_clear_press", 19, 19, I("x", pressed=True)),
    "imageKdpSearchBarClearButtonNormal": ("skin_search_clear", 19, 19, I("x")),
    "imageKdpSearchBarDisabled": ("skin_search_disabled", 320, 44, B(disabled=True)),
    "imageKdpSearchBarFieldBackground": ("skin_search_field", 30, 31, P("field", True, 14)),
    "imageKdpSearchBarIcon": ("skin_search_icon", 14, 14, G("search")),
    "imageKdpSelectableButtonNO": ("skin_select_no", 22, 22, check_box(False)),
    "imageKdpSelectableButtonYES": ("skin_select_yes", 22, 22, check_box(True)),
    "imageKdpSelfSearchLeftScopeNormal": ("skin_scope_left", 20, 29, B()),
    "imageKdpSelfSearchLeftScopeSelected": ("skin_scope_left_on", 20, 29, B(accent="blue")),
    "imageKdpSelfSearchMiddleScopeNormal": ("skin_scope_middle", 20, 29, B()),
    "imageKdpSelfSearchMiddleScopeSelected": ("skin_scope_middle_on", 20, 29, B(accent="blue")),
    "imageKdpSelfSearchRightScopeNormal": ("skin_scope_right", 20, 29, B()),
    "imageKdpSelfSearchRightScopeSelected": ("skin_scope_right_on", 20, 29, B(accent="blue")),
    "imageKdpSelfSearchScopeBackground": ("skin_scope_background", 320, 44, BAR),
    "imageKdpTableViewCellBottomLine": ("skin_cell_line", 320, 1, F("line")),
    "imageKdpTouxiang152": ("skin_avatar", 76, 76, layered(P("field"), G("person", "empty"))),
    "imageKdpwvBackButtonNormal": ("skin_web_back", 30, 30, G("back")),
    "imageKdpwvCloseButtonNormal": ("skin_web_close", 30, 30, G("close")),
    "imageKdpwvForwardButtonNormal": ("skin_web_forward", 30, 30, G("forward")),
    "imageKdpwvPresentButton": ("skin_web_present", 30, 30, G("present")),
    "imageKdpwvRefreshButtonNormal": ("skin_web_refresh", 30, 30, G("refresh")),
    "imageKdpwvShareButtonNormal": ("skin_web_share", 30, 30, G("share")),
    "imageKdccDefaultIcon": ("skin_cc_icon", 50, 50, layered(P("field"), G("book", "empty"))),
    # The disabled face is the one a column already held shows: it says so. (It also shows for
    # the moment a subscribing request runs; a refusal enables the button again.)
    "imageKdccSubscribeDisabled": ("skin_cc_subscribe_off", 56, 28, T("已订阅", disabled=True)),
    "imageKdccSubscribeHighlighted": ("skin_cc_subscribe_press", 56, 28, T("订阅", accent="blue", pressed=True)),
    "imageKdccSubscribeNormal": ("skin_cc_subscribe", 56, 28, T("订阅", accent="blue")),
    "imageKdccTitleViewBackground": ("skin_cc_titleview", 320, 30, BAR),
    "imageKdlgCancelButtonHighlighted": ("skin_lg_cancel_press", 60, 30, B(pressed=True)),
    "imageKdlgCancelButtonNormal": ("skin_lg_cancel", 60, 30, B()),
    "imageKdlgClearButtonHighlighted": ("skin_lg_clear_press", 19, 19, I("x", pressed=True)),
    "imageKdlgClearButtonNormal": ("skin_lg_clear", 19, 19, I("x")),
    "imageKdlgInfoBackground": ("skin_lg_info", 300, 90, P("field")),
    "imageKdlgLoginButtonDisable": ("skin_lg_login_off", 60, 44, B(disabled=True)),
    "imageKdlgLoginButtonHighlighted": ("skin_lg_login_press", 60, 44, B(accent="accent", pressed=True)),
    "imageKdlgLoginButtonNormal": ("skin_lg_login", 60, 44, B(accent="accent")),
    "imageKdlgLogo": ("skin_lg_logo", 160, 50, logo),
    "imageKdmsBindJiebangButtonHighlighted": ("skin_ms_unbind_press", 60, 28, T("解绑", pressed=True)),
    "imageKdmsBindJiebangButtonNormal": ("skin_ms_unbind", 60, 28, T("解绑")),
    "imageKdmsClearcacheBackground": ("skin_ms_clearcache", 280, 160, P()),
    "imageKdmsClearcacheCancelHighlighted": ("skin_ms_clearcache_cancel_press", 60, 40, B(pressed=True)),
    "imageKdmsClearcacheCancelNormal": ("skin_ms_clearcache_cancel", 60, 40, B()),
    "imageKdmsFeedbackBiaoyang": ("skin_ms_feedback_praise", 60, 60, I("heart")),
    "imageKdmsFeedbackTibug": ("skin_ms_feedback_bug", 60, 60, I("bug")),
    "imageKdmsFeedbackTijianyi": ("skin_ms_feedback_idea", 60, 60, I("bulb")),
    "imageKdmsFeedbackTiwenti": ("skin_ms_feedback_question", 60, 60, I("question")),
    # The feedback screen's segments take each kind's "Normal" and "Highlighted" (selected) face.
    "imageKdmsFeedbackBiaoyangNormal": ("skin_ms_feedback_praise_tab", 80, 54, feedback_tab("heart", "表扬")),
    "imageKdmsFeedbackBiaoyangHighlighted": ("skin_ms_feedback_praise_tab_press", 80, 54, feedback_tab("heart", "表扬", pressed=True)),
    "imageKdmsFeedbackTibugNormal": ("skin_ms_feedback_bug_tab", 80, 54, feedback_tab("bug", "Bug提交")),
    "imageKdmsFeedbackTibugHighlighted": ("skin_ms_feedback_bug_tab_press", 80, 54, feedback_tab("bug", "Bug提交", pressed=True)),
    "imageKdmsFeedbackTijianyiNormal": ("skin_ms_feedback_idea_tab", 80, 54, feedback_tab("bulb", "提建议")),
    "imageKdmsFeedbackTijianyiHighlighted": ("skin_ms_feedback_idea_tab_press", 80, 54, feedback_tab("bulb", "提建议", pressed=True)),
    "imageKdmsFeedbackTiwentiNormal": ("skin_ms_feedback_question_tab", 80, 54, feedback_tab("question", "提问题")),
    "imageKdmsFeedbackTiwentiHighlighted": ("skin_ms_feedback_question_tab_press", 80, 54, feedback_tab("question", "提问题", pressed=True)),
    "imageKdmsLogoutButtonHighlighted": ("skin_ms_logout_press", 60, 44, B(accent="accent", pressed=True)),
    "imageKdmsLogoutButtonNormal": ("skin_ms_logout", 60, 44, B(accent="accent")),
    "imageKdmsNicknameInputBackground": ("skin_ms_nickname", 60, 40, P("field")),
    "imageKdmsOfflineButtonsBackground": ("skin_ms_offline_buttons", 300, 44, P()),
    "imageKdmsOfflineCloseallHighlighted": ("skin_ms_closeall_press", 60, 36, B(pressed=True)),
    "imageKdmsOfflineCloseallNormal": ("skin_ms_closeall", 60, 36, B()),
    "imageKdmsOfflineOpenallHighlighted": ("skin_ms_openall_press", 60, 36, B(accent="blue", pressed=True)),
    "imageKdmsOfflineOpenallNormal": ("skin_ms_openall", 60, 36, B(accent="blue")),
    "imageKdmsTableViewBackground": ("skin_ms_table", 320, 4, F("panel")),
    "imageKdnrBottomBar": ("skin_nr_bottombar", 320, 44, BAR),
    "imageKdnrCommentButtonHighlighted": ("skin_nr_comment_press", 44, 44, I("comment", pressed=True, round_=False)),
    "imageKdnrCommentButtonNormal": ("skin_nr_comment", 44, 44, I("comment", round_=False)),
    "imageKdnrCommentPostButtonHighlighted": ("skin_nr_post_press", 60, 30, B(accent="accent", pressed=True)),
    "imageKdnrCommentPostButtonNormal": ("skin_nr_post", 60, 30, B(accent="accent")),
    "imageKdnrCommentWriteBackground": ("skin_nr_write", 300, 100, P("field")),
    "imageKdnrFavoriteButtonHighlighted": ("skin_nr_favorite_press", 44, 44, I("star", pressed=True, round_=False)),
    "imageKdnrFavoriteButtonNormal": ("skin_nr_favorite", 44, 44, I("star", round_=False)),
    "imageKdnrFavoriteButtonSelected": ("skin_nr_favorite_on", 44, 44, G("star", "mark_accent")),
    "imageKdnrFavoriteButtonSelectedHighlighted": ("skin_nr_favorite_on_press", 44, 44, G("star", "mark_accent_press")),
    "imageKdnrHelp": ("skin_nr_help", 320, 480, help_page("左右滑动翻页", "swipe")),
    "imageKdnrLoveButtonHighlighted": ("skin_nr_love_press", 44, 44, I("heart", pressed=True, round_=False)),
    "imageKdnrLoveButtonNormal": ("skin_nr_love", 44, 44, I("heart", round_=False)),
    "imageKdnrLoveButtonSelected": ("skin_nr_love_on", 44, 44, G("heart", "mark_accent")),
    "imageKdnrLoveButtonSelectedHighlighted": ("skin_nr_love_on_press", 44, 44, G("heart", "mark_accent_press")),
    "imageKdnrNopicImage": ("skin_nr_nopic", 100, 75, layered(P("field"), G("picture", "empty"))),
    "imageKdnrReturnButtonHighlighted": ("skin_nr_return_press", 44, 44, I("back", pressed=True, round_=False)),
    "imageKdnrReturnButtonNormal": ("skin_nr_return", 44, 44, I("back", round_=False)),
    "imageKdnrShareButtonHighlighted": ("skin_nr_share_press", 44, 44, I("share", pressed=True, round_=False)),
    "imageKdnrShareButtonNormal": ("skin_nr_share", 44, 44, I("share", round_=False)),
    "imageKdssBiezhen": ("skin_ss_clip", 20, 40, G("edit")),
    "imageKdssInputBoard": ("skin_ss_input", 300, 150, P("field")),
    "imageKdssPictureBoard": ("skin_ss_picture", 80, 80, layered(P("field"), G("picture", "empty"))),
    "imageKdssTableViewBackground": ("skin_ss_table", 320, 4, F("panel")),
}

# Pictures the Night skin leaves to Default: they carry no day or night surface. (The logos carry
# the words "zu reader" in the text colour, so each look has its own.)
SKIN_IMAGES_SHARED = {"imageKdnrHelp"}

# The home screens' pictures, drawn by day under their name and at night as "black_" + name.
LOOK_IMAGES = {
    "topbar.png": (320, 44, home_bar),
    "back1_normal.png": (50, 30, home_back_button()),
    "back1_press.png": (50, 30, home_back_button(pressed=True)),
    "button_red_normal.png": (60, 30, B(accent="accent")),
    "button_red_press.png": (60, 30, B(accent="accent", pressed=True)),
    "mainmenu_topshadow.png": (320, 4, shadow_strip),
    "home_logo.png": (100, 30, logo),
    "homebut_refresh_normal.png": (44, 44, I("refresh")),
    "homebut_refresh_press.png": (44, 44, I("refresh", pressed=True)),
    "homebut_refresh_empty.png": (44, 44, empty_ring),
    "homebut_down_normal.png": (44, 44, G("down")),
    "homebut_down_press.png": (44, 44, G("down", "glyph_press")),
    "homebut_edit_normal.png": (44, 44, I("edit")),
    "homebut_edit_press.png": (44, 44, I("edit", pressed=True)),
    "homebut_done_normal.png": (44, 44, I("check")),
    "homebut_done_press.png": (44, 44, I("check", pressed=True)),
    "square_press.png": (90, 110, F("shade", 0.3)),
    "homeadd_normal.png": (90, 110, layered(P("field"), G("plus"))),
    "homeadd_press.png": (90, 110, layered(P("button_press_top"), G("plus", "glyph_press"))),
    "home_darkmask.png": (90, 110, F("shade", 0.45)),
    "text_mode_cover.png": (90, 110, text_mode_card),
    "but_lixian_cancel_normal.png": (60, 30, T("取消")),
    "but_lixian_cancel_press.png": (60, 30, T("取消", pressed=True)),
    "but_lixian_hide_normal.png": (60, 30, T("隐藏")),
    "but_lixian_hide_press.png": (60, 30, T("隐藏", pressed=True)),
    "jindubar_gray.png": (200, 9, progress("empty")),
    "lixianbar_blue.png": (200, 9, progress("blue")),
    # The column detail's section titles (white 0.4 by day) need a light band under them.
    "graytitlebar.png": (320, 24, tile("title_band")),
    "btn_assess_normal.png": (90, 30, T("评价")),
    "btn_assess_press.png": (90, 30, T("评价", pressed=True)),
    "btn_assess_null.png": (90, 30, T("评价", disabled=True)),
    "btn_add3_normal.png": (90, 30, T("订阅", accent="blue")),
    "btn_add3_press.png": (90, 30, T("订阅", accent="blue", pressed=True)),
    "btn_cancel_normal.png": (90, 30, T("退订")),
    "btn_cancel_press.png": (90, 30, T("退订", pressed=True)),
    "pingjia_topbj.png": (320, 100, tile("panel")),
}
for tab_name, kind in (("home", "grid"), ("favorites", "star"), ("content", "book"), ("more", "dots")):
    for state in ("current", "press", "normal"):
        LOOK_IMAGES["homemenu_%s_%s.png" % (tab_name, state)] = (80, 49, tab(kind, state))
for frame in range(1, 18):
    LOOK_IMAGES["lixian_mov%d.png" % frame] = (30, 30, spinner_frame(frame - 1))

# The article list's rows, pull-to-refresh header and empty favourites.
def arrow_down(ctx, w, h, p):
    ctx.set_source_rgb(*p["glyph"])
    ctx.set_line_width(2)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.move_to(w / 2, 2)
    ctx.line_to(w / 2, h - 3)
    ctx.stroke()
    ctx.move_to(1, h - 9)
    ctx.line_to(w / 2, h - 1)
    ctx.line_to(w - 1, h - 9)
    ctx.close_path()
    ctx.fill()


def line_strip(ctx, w, h, p):
    fill(ctx, w, h, p["line"])
    ctx.set_source_rgba(1, 1, 1, 0.25)
    ctx.rectangle(0, h - 1, w, 1)
    ctx.fill()


def press_background(ctx, w, h, p):
    """A pressed row's ground, also the pull-to-refresh header's: light enough by day and dark
    enough by night that the header's fixed greys read on it."""
    ctx.set_source(gradient(h, p["press_top"], p["press_bottom"]))
    ctx.rectangle(0, 0, w, h)
    ctx.fill()


def empty_favorites(ctx, w, h, p):
    """No favourites yet, on whatever the list's background is (no ground of its own): an empty
    star's outline, what it means, and how a favourite is made."""
    s = h * 0.42
    cx, cy = w / 2, h * 0.30
    ctx.save()
    ctx.new_path()
    for i in range(10):
        r = s / 2 if i % 2 == 0 else s / 5
        a = -math.pi / 2 + i * math.pi / 5
        ctx.line_to(cx + r * math.cos(a), cy + r * math.sin(a))
    ctx.close_path()
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(3)
    ctx.set_source_rgb(*p["glyph"])
    ctx.stroke()
    ctx.restore()
    ctx.save()
    ctx.translate(0, h * 0.55)
    titled(ctx, w, h * 0.16, p, "还没有收藏的文章", "text", 16)
    ctx.translate(0, h * 0.15)
    titled(ctx, w, h * 0.12, p, "阅读时点底栏的星形按钮即可收藏", "glyph", 12)
    ctx.restore()


def forward_bubble(ctx, w, h, p):
    """The box behind a retweeted post: a rounded panel with a notch at its top left."""
    ctx.set_source_rgb(*p["line"])
    rounded(ctx, 0.5, 6.5, w - 1, h - 7, 4)
    ctx.move_to(14, 7)
    ctx.line_to(20, 0.5)
    ctx.line_to(26, 7)
    ctx.fill()
    ctx.set_source_rgb(*p["panel"])
    rounded(ctx, 1.5, 7.5, w - 3, h - 9, 3)
    ctx.move_to(15.5, 8)
    ctx.line_to(20, 2.5)
    ctx.line_to(24.5, 8)
    ctx.fill()


def paper_board(ctx, w, h, p):
    """The album list's backdrop: a paper tone with faint horizontal grain."""
    ctx.set_source(gradient(h, p["panel"], p["empty"]))
    ctx.rectangle(0, 0, w, h)
    ctx.fill()
    ctx.set_source_rgba(*p["line"], 0.35)
    for y in range(3, h, 6):
        ctx.rectangle(0, y, w, 1)
    ctx.fill()


def video_board(ctx, w, h, p):
    """The video list's backdrop: dark, with a film strip's holes down both edges."""
    ctx.set_source(gradient(h, (0.20, 0.21, 0.24), (0.10, 0.10, 0.12)))
    ctx.rectangle(0, 0, w, h)
    ctx.fill()
    ctx.set_source_rgba(1, 1, 1, 0.08)
    for y in range(6, h, 16):
        rounded(ctx, 3, y, 6, 8, 1.5)
        rounded(ctx, w - 9, y, 6, 8, 1.5)
    ctx.fill()


def info_mark(color_key):
    def draw(ctx, w, h, p):
        titled(ctx, w, h, p, "i", color_key, 22)
    return draw


def no_content(ctx, w, h, p):
    glyph(ctx, h, h, "picture", p["empty"])
    ctx.save()
    ctx.translate(h * 0.6, 0)
    titled(ctx, w - h * 0.6, h, p, "暂无内容", "empty", 16)
    ctx.restore()


LOOK_IMAGES.update({
    # The article list's home and "i" buttons stand on its dark bar ("topbar"): light marks.
    "topbut_home_normal.png": (42, 44, G("grid", "bar_glyph")),
    "topbut_home_press.png": (42, 44, G("grid", "bar_glyph_press")),
    "topbut_i_normal.png": (42, 44, info_mark("bar_glyph")),
    "topbut_i_press.png": (42, 44, info_mark("bar_glyph_press")),
    "nocontent_logo.png": (180, 44, no_content),
    "listpage_line.png": (320, 2, line_strip),
    "list_press_bj.png": (320, 85, press_background),
    "list_pic_bj.png": (84, 66, P("field")),
    "weibo_pic_bg.png": (44, 44, P("field", radius=3)),
    "weibo_forward_bg.png": (60, 40, forward_bubble),
    "album_board.png": (150, 120, P("panel")),
    "album_pic_loading.png": (140, 100, layered(P("empty", border=False), G("picture", "field"))),
    "refresh_down.png": (12, 25, arrow_down),
    "shoucang_nocontent.png": (320, 240, empty_favorites),
    # The comments' more-comments button, on the comment rows' ground of the look.
    "but_morepinglun_normal.png": (300, 34, T("更多评论")),
    "but_morepinglun_press.png": (300, 34, T("更多评论", pressed=True)),
})

# Pictures with one look (day palette).
OTHER_IMAGES = {
    "help_download.png": (320, 480, help_page("先在设置里选择离线栏目")),
    "help_download_nowifi.png": (320, 480, help_page("请连接 Wi-Fi 后再离线下载")),
    "lixian_finish.png": (16, 16, done_mark),
    "imageloadingbj.png": (100, 80, layered(P("empty", border=False), G("picture", "field"))),
    # The picture viewer's page of a picture that did not download.
    "pb_nowifi_smallpic.png": (100, 80, layered(P("empty", border=False), G("picture", "glyph"))),
    "picgroupbut_favorite_mark.png": (40, 40, toast("star")),
    "picgroupbut_favorite_normal.png": (40, 40, toast("minus")),
    "picgroupbut_love_normal.png": (40, 40, toast("heart")),
    "picgroupbut_xiepinglun_normal.png": (40, 40, toast("comment")),
    "picgroupbut_share_normal.png": (40, 40, toast("share")),
    "weibo_touxiang.png": (40, 40, layered(P("field", radius=3), G("person"))),
    "videolist_pagebj.png": (320, 480, video_board),
    "0_large": (320, 480, cover(0)),
    "1_large": (320, 480, cover(1)),
    "2_large": (320, 480, cover(2)),
}
OTHER_IMAGES["column_cover_default.png"] = (60, 60, column_default_cover)
# The about screen's recommended applications: the icon shown while one loads, and the built-in
# three.
def about_background(ctx, w, h, p):
    ctx.set_source(gradient(h, (0.97, 0.97, 0.98), (0.86, 0.88, 0.91)))
    ctx.rectangle(0, 0, w, h)
    ctx.fill()
    ctx.save()
    ctx.translate(w / 2 - 90, 24)
    logo(ctx, 180, 48, p)
    ctx.restore()


# The comments: a reader without a cached picture and the comment sheet's backgrounds upright
# and on its side.
OTHER_IMAGES.update({
    "touxiang64x64.png": (64, 64, layered(P("field", radius=8), G("person", "empty"))),
    "pinglun_bj.png": (310, 185, P("field")),
    "pinglun_h_bj.png": (470, 88, P("field")),
})
OTHER_IMAGES["about_bj.png"] = (320, 416, about_background)
OTHER_IMAGES["about_icon_loading.png"] = (66, 66, layered(P("field", radius=12), G("picture", "empty")))
for stem, kind in (("news", "book"), ("album", "picture"), ("dict", "search")):
    OTHER_IMAGES["about_app_%s.png" % stem] = (66, 66, layered(P("panel", radius=12), G(kind, "blue")))
for size_name, side in (("bigstar", 30), ("smallstar", 14), ("tinystar", 10)):
    for key in ("yellow", "black"):
        OTHER_IMAGES["%s_%s.png" % (size_name, key)] = (side, side, stars(key))

for brand in MICROBLOG_COLORS:
    OTHER_IMAGES["ipadweibo_%s_default_bg.png" % brand] = (140, 108, microblog_cover(brand))
    OTHER_IMAGES["ipadweibo_%s_list_icon.png" % brand] = (60, 60, microblog_icon(brand))

# The subscription centre's search bar: a rounded board stretched between 50-point side caps,
# the magnifier, the clear button (its normal picture is spelt "delate" by the screens) and
# the dark cancel button behind its grey title.
OTHER_IMAGES.update({
    "contentC_search_input.png": (120, 34, P("field", True, 14)),
    "contentC_search_icon.png": (16, 16, G("search")),
    "contentC_search_delate_btn_normal.png": (19, 19, I("x")),
    "contentC_search_delete_btn_selected.png": (19, 19, I("x", pressed=True)),
    # The search bar's cancel button carries a mid-grey title: a near-black face under it.
    "contentC_cancel_btn_normal.png": (54, 32, B(accent="glyph_press")),
    "contentC_cancel_btn_click.png": (54, 32, B(accent="shade")),
})
# The share screen's comment toggle: a speech bubble on red when comments go with a share.
OTHER_IMAGES["zhuanfa_but_selected.png"] = (24, 24, layered(P("accent", radius=5), G("comment", "field")))
OTHER_IMAGES["zhuanfa_but_noselected.png"] = (24, 24, layered(P("empty", radius=5), G("comment", "field")))
# The custom subscription screens: the lists' boards (the second one stretched between 300-point
# caps), the big magnifier shown while the reader types, the return button and title line of
# their headers, the social rows' line, arrow and round add button (its empty face carries the
# waiting spinner).
OTHER_IMAGES.update({
    "contentC_list1st_bg.png": (320, 416, F("panel")),
    "contentC_list2nd_bg.png": (320, 60, layered(F("panel"), lambda ctx, w, h, p: line_strip(ctx, w, 2, p))),
    "contentC_icon_search.png": (60, 60, G("search", "line")),
    "contentC_back_btn_normal.png": (65, 34, B(back=True)),
    "contentC_back_btn_click.png": (65, 34, B(back=True, pressed=True)),
    "contentC_title_line.png": (300, 2, line_strip),
    "contentC_list_line.png": (294, 1, F("line")),
    "contentC_list_arrow_icon_normal.png": (9, 14, G("right")),
    "contentC_list_arrow_icon_selected.png": (9, 14, G("right", "glyph_press")),
    "contentC_add_btn_normal.png": (58, 56, row_add_button("plus")),
    "contentC_add_btn_click.png": (58, 56, row_add_button("plus", pressed=True)),
    "contentC_add_btn_selected.png": (58, 56, row_add_button("check", disabled=True)),
    "contentC_add_btn_empty.png": (58, 56, row_add_button("dots", disabled=True)),
})
# --- the sample service's pictures -------------------------------------------------------
# Covers, thumbnails and article pictures of tools/sample-service: small painted scenes, the
# covers and thumbnails with the column's name on a band, as a reader's shelf shows them.

SCENES = {
    # sky top, sky bottom, sun or moon, far land, near land or sea
    "harbour": ((0.99, 0.78, 0.52), (0.98, 0.56, 0.42), (1.0, 0.93, 0.75), (0.42, 0.36, 0.50), (0.16, 0.32, 0.48)),
    "lantern": ((0.16, 0.14, 0.32), (0.42, 0.24, 0.42), (1.0, 0.80, 0.40), (0.20, 0.14, 0.24), (0.10, 0.08, 0.14)),
    "workshop": ((0.86, 0.90, 0.84), (0.96, 0.90, 0.74), (1.0, 0.98, 0.90), (0.56, 0.64, 0.48), (0.52, 0.36, 0.22)),
    "tide": ((0.10, 0.22, 0.40), (0.30, 0.52, 0.66), (0.96, 0.96, 0.88), (0.18, 0.30, 0.42), (0.06, 0.20, 0.34)),
    "tea": ((0.80, 0.90, 0.96), (0.96, 0.96, 0.86), (1.0, 0.96, 0.80), (0.46, 0.62, 0.42), (0.26, 0.46, 0.26)),
}


def scene(ctx, w, h, kind):
    sky_top, sky_bottom, light, far, near = SCENES[kind]
    ctx.set_source(gradient(h, sky_top, sky_bottom))
    ctx.rectangle(0, 0, w, h)
    ctx.fill()
    ctx.set_source_rgba(*light, 0.95)
    ctx.arc(w * 0.68, h * 0.26, min(w, h) * 0.10, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgb(*far)
    ctx.move_to(0, h * 0.58)
    for k in range(7):
        ctx.line_to(w * (k + 0.5) / 7, h * (0.44 + 0.08 * ((k * 5) % 3)))
    ctx.line_to(w, h * 0.55)
    ctx.line_to(w, h)
    ctx.line_to(0, h)
    ctx.close_path()
    ctx.fill()
    ctx.set_source_rgb(*near)
    ctx.move_to(0, h * 0.68)
    ctx.curve_to(w * 0.35, h * 0.62, w * 0.65, h * 0.74, w, h * 0.66)
    ctx.line_to(w, h)
    ctx.line_to(0, h)
    ctx.close_path()
    ctx.fill()
    if kind in ("harbour", "tide"):
        ctx.set_source_rgba(1, 1, 1, 0.35)
        ctx.set_line_width(max(1, w / 160))
        for k in range(4):
            y = h * (0.74 + 0.06 * k)
            ctx.move_to(w * 0.1, y)
            ctx.curve_to(w * 0.3, y - h * 0.015, w * 0.5, y + h * 0.015, w * 0.7, y)
            ctx.stroke()
    if kind == "harbour":
        ctx.set_source_rgb(0.30, 0.18, 0.14)
        ctx.move_to(w * 0.22, h * 0.70)
        ctx.line_to(w * 0.46, h * 0.70)
        ctx.line_to(w * 0.42, h * 0.75)
        ctx.line_to(w * 0.26, h * 0.75)
        ctx.close_path()
        ctx.fill()
        ctx.rectangle(w * 0.335, h * 0.56, w * 0.01, h * 0.14)
        ctx.fill()
    if kind == "lantern":
        for k in range(5):
            x, y = w * (0.15 + 0.18 * k), h * (0.30 + 0.04 * (k % 2))
            ctx.set_source_rgba(1.0, 0.45, 0.25, 0.95)
            ctx.arc(x, y, min(w, h) * 0.04, 0, 2 * math.pi)
            ctx.fill()
    if kind == "workshop":
        ctx.set_source_rgba(0.30, 0.20, 0.12, 0.5)
        ctx.set_line_width(max(1, w / 200))
        for k in range(5):
            ctx.move_to(0, h * (0.76 + 0.05 * k))
            ctx.line_to(w, h * (0.74 + 0.05 * k))
            ctx.stroke()


def name_band(ctx, w, h, title, size):
    band = size * 2.2
    ctx.set_source_rgba(0, 0, 0, 0.45)
    ctx.rectangle(0, h - band, w, band)
    ctx.fill()
    ctx.save()
    ctx.translate(0, h - band)
    ctx.select_font_face("WenQuanYi Micro Hei", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    ctx.set_font_size(size)
    while ctx.text_extents(title).width > w * 0.9 and size > 6:
        size -= 1
        ctx.set_font_size(size)
    titled(ctx, w, band, {"text": (1, 1, 1)}, title, "text", size)
    ctx.restore()


def column_cover(kind, title):
    def draw(ctx, w, h, p):
        scene(ctx, w, h, kind)
        name_band(ctx, w, h, title, max(9, w / 11))
    return draw


def article_picture(kind):
    return lambda ctx, w, h, p: scene(ctx, w, h, kind)


SAMPLE_COLUMNS = {
    # picture name: column's scene and name, and whether the catalogue links a thumbnail
    "news": ("harbour", "Harbour Morning News", True),
    "photo": ("lantern", "Lantern Photo Walks", True),
    "video": ("tide", "潮汐人物志", True),
    "mblog": ("harbour", "码头微博", False),
}

SAMPLE_PICTURES = {}
for stem, (kind, title, thumbnail) in SAMPLE_COLUMNS.items():
    SAMPLE_PICTURES["cover-%s.png" % stem] = (180, 216, column_cover(kind, title))
    if thumbnail:
        SAMPLE_PICTURES["thumb-%s.png" % stem] = (60, 60, article_picture(kind))
for stem, kind, caption in (("harbour", "harbour", "港口的清晨"), ("tea", "tea", "Tea terraces")):
    SAMPLE_PICTURES["cover-%s-large.png" % stem] = (320, 480, column_cover(kind, caption))
    SAMPLE_PICTURES["cover-%s-portrait.png" % stem] = (320, 480, column_cover(kind, caption))
    SAMPLE_PICTURES["cover-%s-landscape.png" % stem] = (480, 320, column_cover(kind, caption))
for article, kind in (("art-photo-3", "lantern"), ("art-photo-2", "lantern"), ("art-photo-1", "lantern"),
                      ("art-rss-1", "workshop"), ("art-video-1", "tide"), ("art-news-3", "harbour"),
                      ("art-news-2", "harbour"), ("mblog-3", "harbour"), ("mblog-1", "workshop")):
    SAMPLE_PICTURES["%s-picture.png" % article] = (300, 200, article_picture(kind))
    SAMPLE_PICTURES["%s-thumb.png" % article] = (80, 60, article_picture(kind))
# The album column's pictures, full size, in the shapes a camera gives (wide, tall, a panorama,
# square), each with its article's street and its place in the album on a band. "Rope Street"
# has a third picture without an address, so it has no file.
def album_picture(kind, caption):
    def draw(ctx, w, h, p):
        scene(ctx, w, h, kind)
        name_band(ctx, w, h, caption, max(9, min(w, h) / 12))
    return draw


SAMPLE_ALBUMS = {
    "art-photo-2": ("Rope Street", ((1, "lantern", 480, 320), (2, "harbour", 320, 480), (4, "tide", 600, 240))),
    "art-photo-1": ("Chapel steps", ((1, "workshop", 300, 450), (2, "tea", 400, 400), (3, "lantern", 480, 300))),
}
for article, (street, shots) in SAMPLE_ALBUMS.items():
    for seq, kind, w, h in shots:
        SAMPLE_PICTURES["%s-album-%d.png" % (article, seq)] = (w, h, album_picture(kind, "%s %d" % (street, seq)))
# The columns the content centre offers beyond the home grid's, and the workshop's cover.
for stem, kind, title in (("rss", "workshop", "安静的木工坊"), ("weather", "tide", "港口天气"),
                          ("kitchen", "tea", "码头厨房")):
    SAMPLE_PICTURES["cover-%s.png" % stem] = (180, 216, column_cover(kind, title))
    SAMPLE_PICTURES["thumb-%s.png" % stem] = (60, 60, article_picture(kind))
for article, kind in (("zelvane-3", "tide"), ("art-weather-1", "tide"), ("art-kitchen-1", "tea"),
                      ("art-news-1", "tide"), ("art-news-0", "workshop")):
    SAMPLE_PICTURES["%s-picture.png" % article] = (300, 200, article_picture(kind))
    SAMPLE_PICTURES["%s-thumb.png" % article] = (80, 60, article_picture(kind))
# The covers of the reader's own microblog timeline and of the custom columns a reader can
# subscribe to (their tiles on the home grid), each a scene under its name.
SAMPLE_PICTURES["cover-zelvane.png"] = (180, 216, column_cover("tide", "My Zelvane Microblog"))
for custom, kind, title in (("custom-mblog-1", "harbour", "harbour_master"), ("custom-mblog-2", "tide", "harbour_pilot"),
                            ("custom-mblog-3", "tea", "harbour_cook"), ("custom-qq-1", "lantern", "QQ空间 10001"),
                            ("custom-qq-2", "workshop", "QQ空间 100012"), ("custom-qq-3", "harbour", "QQ空间 100013"),
                            ("custom-blog-1", "tea", "Harbour kitchen blog"),
                            ("custom-blog-2", "harbour", "Harbour knots blog"),
                            ("custom-blog-3", "lantern", "Lantern street blog"),
                            ("custom-rss-1", "harbour", "Harbour news RSS"),
                            ("custom-rss-2", "tide", "Harbour weather RSS"),
                            ("custom-rss-3", "tide", "Harbour tides RSS")):
    SAMPLE_PICTURES["cover-%s.png" % custom] = (180, 216, column_cover(kind, title))
# The custom columns' articles (documents/column-custom-<kind>.xml): the list's thumbnail and
# the page's picture (also the picture list's one).
for article, kind in (("art-custom-mblog-3", "harbour"), ("art-custom-mblog-2", "tide"),
                      ("art-custom-mblog-1", "tea"), ("art-custom-qq-2", "harbour"), ("art-custom-qq-1", "lantern"),
                      ("art-custom-blog-2", "workshop"), ("art-custom-blog-1", "tea"),
                      ("art-custom-rss-2", "tide"), ("art-custom-rss-1", "workshop")):
    SAMPLE_PICTURES["%s-thumb.png" % article] = (80, 60, article_picture(kind))
    SAMPLE_PICTURES["%s-picture.png" % article] = (300, 200, article_picture(kind))
# The icons of the four applications the sample notice recommends.
for stem, kind in (("reader", "book"), ("album", "picture"), ("dict", "search"), ("notes", "edit")):
    SAMPLE_PICTURES["app-%s.png" % stem] = (66, 66, layered(P("panel", radius=12), G(kind, "blue")))


# --- the sample service's portraits ---------------------------------------------------------
# The readers of the sample service as the screens show them: the reader's own portrait (the
# profile's, 64 points at most, and the bound accounts' "avatar"), the microblog posters' and
# the commenters' small round pictures. Each is a head and shoulders on a colour of its own, at
# twice the largest size a screen shows it, so it stays sharp on a double-density screen.

PORTRAITS = {
    # picture name: (size, background, skin, hair, shirt, long hair)
    "reader-icon": (128, (0.55, 0.75, 0.90), (0.98, 0.84, 0.72), (0.22, 0.16, 0.12), (0.20, 0.40, 0.62), False),
    "avatar": (128, (0.62, 0.82, 0.74), (0.98, 0.84, 0.72), (0.22, 0.16, 0.12), (0.20, 0.40, 0.62), False),
    "mblog-user-harbour": (80, (0.30, 0.46, 0.66), (0.94, 0.78, 0.64), (0.10, 0.10, 0.12), (0.95, 0.95, 0.95), False),
    "mblog-user-fish": (80, (0.96, 0.72, 0.40), (0.96, 0.80, 0.66), (0.36, 0.22, 0.12), (0.26, 0.52, 0.40), True),
    "mblog-user-lighthouse": (80, (0.86, 0.30, 0.28), (0.92, 0.76, 0.62), (0.80, 0.80, 0.82), (0.18, 0.22, 0.36), False),
    "mblog-user-workshop": (80, (0.62, 0.48, 0.32), (0.96, 0.82, 0.68), (0.30, 0.20, 0.10), (0.46, 0.58, 0.36), False),
    "mblog-user-pilot": (80, (0.20, 0.30, 0.44), (0.90, 0.74, 0.60), (0.16, 0.14, 0.14), (0.88, 0.70, 0.22), False),
    "mblog-user-lantern": (80, (0.56, 0.26, 0.44), (0.98, 0.86, 0.74), (0.08, 0.06, 0.08), (0.92, 0.42, 0.28), True),
    "commenter-0": (80, (0.70, 0.72, 0.78), (0.96, 0.82, 0.70), (0.40, 0.28, 0.18), (0.36, 0.44, 0.58), False),
    "commenter-1": (80, (0.50, 0.70, 0.56), (0.92, 0.76, 0.62), (0.14, 0.12, 0.12), (0.80, 0.36, 0.30), True),
    "commenter-2": (80, (0.90, 0.66, 0.52), (0.98, 0.86, 0.74), (0.52, 0.34, 0.16), (0.24, 0.34, 0.50), False),
    "commenter-3": (80, (0.46, 0.56, 0.82), (0.94, 0.80, 0.66), (0.20, 0.14, 0.10), (0.92, 0.88, 0.76), True),
}


def portrait(background, skin, hair, shirt, long_hair):
    def draw(ctx, w, h, p):
        ctx.set_source(gradient(h, tuple(min(1, c + 0.12) for c in background), background))
        ctx.rectangle(0, 0, w, h)
        ctx.fill()
        cx = w / 2
        if long_hair:
            ctx.set_source_rgb(*hair)
            rounded(ctx, cx - w * 0.25, h * 0.20, w * 0.50, h * 0.52, w * 0.20)
            ctx.fill()
        # Shoulders.
        ctx.set_source_rgb(*shirt)
        ctx.move_to(w * 0.10, h)
        ctx.curve_to(w * 0.12, h * 0.74, w * 0.30, h * 0.68, cx, h * 0.68)
        ctx.curve_to(w * 0.70, h * 0.68, w * 0.88, h * 0.74, w * 0.90, h)
        ctx.close_path()
        ctx.fill()
        # Neck and head.
        ctx.set_source_rgb(*skin)
        ctx.rectangle(cx - w * 0.07, h * 0.56, w * 0.14, h * 0.14)
        ctx.fill()
        ctx.save()
        ctx.translate(cx, h * 0.42)
        ctx.scale(w * 0.19, h * 0.22)
        ctx.arc(0, 0, 1, 0, 2 * math.pi)
        ctx.restore()
        ctx.fill()
        # Hair over the forehead.
        ctx.set_source_rgb(*hair)
        ctx.save()
        ctx.translate(cx, h * 0.34)
        ctx.scale(w * 0.20, h * 0.15)
        ctx.arc(0, 0, 1, math.pi, 2 * math.pi)
        ctx.restore()
        ctx.fill()
        # Eyes.
        ctx.set_source_rgba(0.15, 0.12, 0.12, 0.85)
        for ex in (cx - w * 0.07, cx + w * 0.07):
            ctx.arc(ex, h * 0.44, max(1, w * 0.018), 0, 2 * math.pi)
            ctx.fill()
    return draw


for name, (size, background, skin, hair, shirt, long_hair) in PORTRAITS.items():
    SAMPLE_PICTURES[name + ".png"] = (size, size, portrait(background, skin, hair, shirt, long_hair))


def draw_sample_pictures(folder):
    os.makedirs(folder, exist_ok=True)
    for name, (w, h, draw) in SAMPLE_PICTURES.items():
        draw_png(os.path.join(folder, name), w, h, draw, DAY)
    return len(SAMPLE_PICTURES)


# The bound accounts screen's logos of the seven platforms, by platform number.
PLATFORM_COLORS = [((0.36, 0.62, 0.90), (0.16, 0.36, 0.70)), ((0.96, 0.42, 0.30), (0.78, 0.16, 0.14)),
                   ((0.40, 0.72, 0.95), (0.10, 0.45, 0.75)), ((0.98, 0.70, 0.30), (0.85, 0.45, 0.10)),
                   ((0.40, 0.75, 0.45), (0.15, 0.52, 0.22)), ((0.30, 0.50, 0.85), (0.12, 0.28, 0.62)),
                   ((0.92, 0.38, 0.50), (0.70, 0.15, 0.30))]


def platform_icon(number):
    def draw(ctx, w, h, p):
        top, bottom = PLATFORM_COLORS[number]
        ctx.set_source(gradient(h, top, bottom))
        ctx.rectangle(0, 0, w, h)
        ctx.fill()
        glyph(ctx, w, h, "comment", (1, 1, 1))
    return draw


for number in range(len(PLATFORM_COLORS)):
    OTHER_IMAGES["MB_Icon%d.png" % number] = (45, 45, platform_icon(number))


# The subscription centre's social rows: the platforms' coloured icons, by the names the rows use
# (platform 0 and 1 under two names each: the content centre's and the self-defined screen's).
for name, number in (("weibo_hengxi_color", 0), ("weibo_zelvane", 0), ("weibo_xinlang_color", 1),
                     ("weibo_sina", 1), ("weibo_qq", 2), ("weibo_sohu", 3), ("weibo_douban", 4),
                     ("weibo_renren", 5)):
    OTHER_IMAGES[name + ".png"] = (45, 45, rounded_glyph_icon(*PLATFORM_COLORS[number]))

# --- the skin lists -------------------------------------------------------------------------

def C(hex_text, alpha=None):
    return hex_text if alpha is None else {"color": hex_text, "alpha": alpha}


DEFAULT_COLORS = {
    "colorKdpContentBackground": C("F7F7F7"),
    # A disabled bar button's face is drawn faded over the light bar: its word is a deep rose
    # that reads on that pale pink face and still looks greyed beside the white of an enabled one.
    "colorKdpNavigationItemTitleDisabled": C("8E3B37"),
    "colorKdpNavigationItemTitleHighlighted": C("E8E8E8"),
    "colorKdpNavigationItemTitleNormal": C("FFFFFF"),
    "colorKdpNavigationItemTitleShadowDisabled": C("000000", 0.0),
    "colorKdpNavigationItemTitleShadowHighlighted": C("000000", 0.35),
    "colorKdpNavigationItemTitleShadowNormal": C("000000", 0.35),
    "colorKdpNavigationTitle": C("3A3B40"),
    "colorKdpNavigationTitleShadow": C("FFFFFF", 0.8),
    "colorKdpSearchBarDisabledTextHighlighted": C("FFFFFF"),
    "colorKdpSearchBarDisabledTextNormal": C("505258"),
    "colorKdpSearchBarPlaceholder": C("8A8C92"),
    "colorKdpSearchBarScopeTextNormal": C("5A5C62"),
    "colorKdpSearchBarScopeTextSelected": C("FFFFFF"),
    "colorKdpSearchBarScopeTextShadowNormal": C("FFFFFF", 0.6),
    "colorKdpSearchBarScopeTextShadowSelected": C("000000", 0.3),
    "colorKdpSearchBarText": C("333333"),
    "colorKdccCellDetail": C("6B6D73"),
    "colorKdccCellSubscribedNumber": C("C0302A"),
    "colorKdccCellTitle": C("222222"),
    "colorKdccSelfNoresultSorryCommon": C("666666"),
    "colorKdccSelfNoresultSorryKeyword": C("C0302A"),
    "colorKdccSelfNoresultSuggest": C("696B70"),
    "colorKdccSelfWaitingLabel": C("6B6B6B"),
    "colorKdccSocialCellDetailUnbind": C("6B6D73"),
    "colorKdccTableJishuCellBackground": C("FFFFFF"),
    "colorKdccTableLoadMoreCellBackground": C("F0F0F0"),
    "colorKdccTableOushuCellBackground": C("F7F7F7"),
    "colorKdccTableTitle": C("555555"),
    "colorKdccTableTitleShadow": C("FFFFFF", 0.8),
    "colorKdlgForgetAndRegisterText": C("2A66BF"),
    "colorKdlgLoggingLabel": C("666666"),
    "colorKdlgTextFieldText": C("222222"),
    "colorKdmsCellBackground": C("FFFFFF"),
    "colorKdmsCellDetail": C("6B6D73"),
    "colorKdmsCellInputPlaceholder": C("8A8C92"),
    "colorKdmsCellSubtitle": C("696B70"),
    "colorKdmsCellTitle": C("222222"),
    "colorKdmsHeaderViewText": C("6A6C72"),
    "colorKdmsHeaderViewTextShadow": C("FFFFFF", 0.8),
    "colorKdmsTableViewSeparator": C("DCDDDF"),
    "colorKdnrCommentCellBackgroundJishu": C("FFFFFF"),
    "colorKdnrCommentCellBackgroundOushu": C("F7F7F7"),
    "colorKdnrCommentComment": C("222222"),
    "colorKdnrCommentTime": C("696B70"),
    "colorKdnrCommentUsername": C("2A66BF"),
    "colorKdnrCommentWriteAlsoForward": C("666666"),
    "colorKdnrShareCount10More": C("C0302A"),
    "colorKdnrShareCountNormal": C("6B6D73"),
    "colorKdnrShareCountOut": C("C0302A"),
    "colorKdnrShareCountText": C("666666"),
    "colorKdnrShareSharetoAccount": C("2A66BF"),
    "colorKdnrShareSharetoName": C("222222"),
    "colorKdnrShareWriteText": C("222222"),
    "colorKdnrShareWriteTextPlaceholder": C("8A8C92"),
}

# At night the light surfaces turn dark and dark texts light; accents lighten so they still
# read on the dark rows.
NIGHT_COLORS = {
    "colorKdpContentBackground": C("2B2B30"),
    "colorKdpNavigationItemTitleNormal": C("E1E1E1"),
    "colorKdpNavigationItemTitleHighlighted": C("B4B5B9"),
    "colorKdpNavigationItemTitleDisabled": C("C8A8A6"),
    "colorKdpNavigationItemTitleShadowNormal": C("000000", 0.6),
    "colorKdpNavigationItemTitleShadowHighlighted": C("000000", 0.6),
    "colorKdpNavigationTitle": C("E1E1E1"),
    "colorKdpNavigationTitleShadow": C("000000", 0.6),
    "colorKdpSearchBarDisabledTextNormal": C("D0D1D5"),
    "colorKdpSearchBarScopeTextNormal": C("B4B5B9"),
    "colorKdpSearchBarScopeTextShadowNormal": C("000000", 0.5),
    "colorKdpSearchBarText": C("E1E1E1"),
    "colorKdccCellDetail": C("A5A7AD"),
    "colorKdccCellTitle": C("E1E1E1"),
    "colorKdccSelfNoresultSorryCommon": C("A5A7AD"),
    "colorKdccTableJishuCellBackground": C("2B2C30"),
    "colorKdccTableLoadMoreCellBackground": C("25262A"),
    "colorKdccTableOushuCellBackground": C("303136"),
    "colorKdccTableTitle": C("B4B5B9"),
    "colorKdccTableTitleShadow": C("000000", 0.6),
    "colorKdlgLoggingLabel": C("999999"),
    "colorKdlgTextFieldText": C("E1E1E1"),
    "colorKdmsCellBackground": C("303136"),
    "colorKdmsCellTitle": C("E1E1E1"),
    "colorKdmsHeaderViewText": C("A5A7AD"),
    "colorKdmsHeaderViewTextShadow": C("000000", 0.6),
    "colorKdmsTableViewSeparator": C("1F2024"),
    "colorKdnrCommentCellBackgroundJishu": C("2B2C30"),
    "colorKdnrCommentCellBackgroundOushu": C("303136"),
    "colorKdnrCommentComment": C("E1E1E1"),
    "colorKdnrShareSharetoName": C("E1E1E1"),
    "colorKdnrShareWriteText": C("E1E1E1"),
    "colorKdpSearchBarPlaceholder": C("9A9CA2"),
    "colorKdccCellSubscribedNumber": C("F07A70"),
    "colorKdccSelfNoresultSorryKeyword": C("F07A70"),
    "colorKdccSelfNoresultSuggest": C("A5A7AD"),
    "colorKdccSelfWaitingLabel": C("A5A7AD"),
    "colorKdccSocialCellDetailUnbind": C("A5A7AD"),
    "colorKdlgForgetAndRegisterText": C("7FAEF0"),
    "colorKdmsCellDetail": C("A5A7AD"),
    "colorKdmsCellInputPlaceholder": C("9A9CA2"),
    "colorKdmsCellSubtitle": C("A5A7AD"),
    "colorKdnrCommentTime": C("A5A7AD"),
    "colorKdnrCommentUsername": C("7FAEF0"),
    "colorKdnrShareCount10More": C("F07A70"),
    "colorKdnrShareCountNormal": C("A5A7AD"),
    "colorKdnrShareCountOut": C("F07A70"),
    "colorKdnrShareSharetoAccount": C("7FAEF0"),
    "colorKdnrShareWriteTextPlaceholder": C("9A9CA2"),
    "colorKdnrShareCountText": C("A5A7AD"),
    "colorKdnrCommentWriteAlsoForward": C("A5A7AD"),
}

DEFAULT_FONTS = {
    "fontKdpNavigationItem": {"size": 12, "bold": True},
    "fontKdpNavigationTitle": {"size": 20, "bold": True},
    "fontKdccCellDetail": 12,
    "fontKdccCellSubscribedNumber": 11,
    "fontKdccCellTitle": {"size": 16, "bold": True},
    "fontKdccSelfNoresultSorryCommon": 15,
    "fontKdccSelfNoresultSorryKeyword": {"size": 15, "bold": True},
    "fontKdccSelfNoresultSuggest": 13,
    "fontKdccSelfWaitingLabel": 14,
    "fontKdccTableTitle": {"size": 14, "bold": True},
    "fontKdlgForgetAndRegisterButton": 13,
    "fontKdlgLogging": 14,
    "fontKdlgTextField": 15,
    "fontKdmsCellDetail": 14,
    "fontKdmsCellSubtitle": 12,
    "fontKdmsCellTitle": 16,
    "fontKdmsHeaderViewText": {"size": 14, "bold": True},
    "fontKdnrCommentComment": 15,
    "fontKdnrCommentTime": 11,
    "fontKdnrCommentUsername": {"size": 13, "bold": True},
    "fontKdnrCommentWriteAlsoForward": 13,
    "fontKdnrCommentWriteText": 15,
    "fontKdnrShareCountArround": 12,
    "fontKdnrShareCountNumber": {"size": 12, "bold": True},
}

# The same letters by night: the list exists and says nothing different.
NIGHT_FONTS = {}

DEFAULT_OTHERS = {
    "shadowKdpNavigationTitle": {"x": 0, "y": 1},
    "shadowKdpTableViewHeaderViewText": {"x": 0, "y": 1},
    "otherKdpActivityIndicatorViewStyle": 2,
}

# Sizes are read from the current list alone, so the night list repeats every shadow.
NIGHT_OTHERS = {
    "shadowKdpNavigationTitle": {"x": 0, "y": -1},
    "shadowKdpTableViewHeaderViewText": {"x": 0, "y": -1},
    "otherKdpActivityIndicatorViewStyle": 1,
}


# --- output ---------------------------------------------------------------------------------

def draw_png(path, w, h, draw, palette, scale=1):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, w * scale, h * scale)
    ctx = cairo.Context(surface)
    ctx.scale(scale, scale)
    draw(ctx, w, h, palette)
    surface.flush()
    surface.write_to_png(path)


def write_plist(path, value):
    # A plain doctype: the lists name no outside document type (plistlib's own header points at
    # an address on the web).
    data = plistlib.dumps(value, sort_keys=True)
    data = data.replace(b'<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" '
                        b'"http://www.apple.com/DTDs/PropertyList-1.0.dtd">', b"<!DOCTYPE plist>", 1)
    with open(path, "wb") as f:
        f.write(data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "resources")
    out = os.path.abspath(out)
    manifest = []

    def emit(name, w, h, draw, palette):
        draw_png(os.path.join(out, name), w, h, draw, palette)
        manifest.append((name, w, h))
        # Every ".png" picture also at twice the density, for a screen of scale 2 (the pictures
        # without an extension are read whole by name and have no such variant).
        if name.endswith(".png"):
            double = name[:-4] + "@2x.png"
            draw_png(os.path.join(out, double), w, h, draw, palette, 2)
            manifest.append((double, 2 * w, 2 * h))

    default_images, night_images = {}, {}
    for code, (stem, w, h, draw) in SKIN_IMAGES.items():
        emit(stem + ".png", w, h, draw, DAY)
        default_images[code] = stem + ".png"
        if code not in SKIN_IMAGES_SHARED:
            emit("night_" + stem + ".png", w, h, draw, NIGHT)
            night_images[code] = "night_" + stem + ".png"
    for name, (w, h, draw) in LOOK_IMAGES.items():
        emit(name, w, h, draw, DAY)
        emit("black_" + name, w, h, draw, NIGHT)
    for name, (w, h, draw) in OTHER_IMAGES.items():
        emit(name, w, h, draw, DAY)
    # The guide's pages, "<prefix><n>.jpg" as the guide asks for them; the bytes are PNG (the
    # image decoder tells formats apart by signature, and cairo writes no JPEG).
    # The album list's backdrop: "album_bj" of type "jpg" by day (PNG bytes, as above) and
    # "black_album_bj" of type "png" at night.
    emit("album_bj.jpg", 320, 480, paper_board, DAY)
    emit("black_album_bj.png", 320, 480, paper_board, NIGHT)
    for prefix, pages in GUIDE_PAGES.items():
        for i, (kind, title, caption) in enumerate(pages):
            emit("%s%d.jpg" % (prefix, i + 1), 320, 416, guide_page(i, len(pages), kind, title, caption), DAY)

    for kind, default, night in (("skinImages", default_images, night_images),
                                 ("skinFonts", DEFAULT_FONTS, NIGHT_FONTS),
                                 ("skinColors", DEFAULT_COLORS, NIGHT_COLORS),
                                 ("skinOthers", DEFAULT_OTHERS, NIGHT_OTHERS)):
        write_plist(os.path.join(out, kind + "Default.plist"), default)
        write_plist(os.path.join(out, kind + "Night.plist"), night)

    with open(os.path.join(out, "artwork-manifest.txt"), "w") as f:
        f.write("# file\twidth\theight (pixels); written by tools/artwork/draw_artwork.py\n")
        for name, w, h in sorted(manifest):
            f.write("%s\t%d\t%d\n" % (name, w, h))
    print("draw_artwork: %d pictures into %s" % (len(manifest), out))
    if len(sys.argv) <= 1:
        samples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sample-service",
                               "documents", "images")
        count = draw_sample_pictures(samples)
        print("draw_artwork: %d sample pictures into %s" % (count, os.path.abspath(samples)))


if __name__ == "__main__":
    main()
