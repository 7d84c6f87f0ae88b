#!/usr/bin/python3
"""Draws the welcome page's five images into res/page/images (or the folder given).

Needs Debian's python3-pil and fonts-liberation; the images are committed, so the
build never runs this. Shapes are drawn four times larger and scaled down, which
gives them smooth edges; JPEG settings keep the page a small part of the download.
Usage: make_page_art.py [output folder]"""
import os
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONTS = "/usr/share/fonts/truetype/liberation"
SS = 4  # supersampling factor

# The page's palette: its heading and link teal, and a slate gradient that ends in
# the dark slate of the finish dialog's button.
TEAL = (0, 147, 179)
LINK = (0, 124, 156)
SLATE_TOP = (62, 73, 90)
SLATE_BOTTOM = (38, 46, 59)
INK = (38, 46, 59)
GREY_TEXT = (96, 106, 120)
LINE = (206, 213, 221)
PAPER = (255, 255, 255)


def font(size, bold=False):
    name = "LiberationSans-Bold.ttf" if bold else "LiberationSans-Regular.ttf"
    return ImageFont.truetype(os.path.join(FONTS, name), round(size * SS))


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


class Canvas:
    """An RGBA drawing surface in page pixels, stored SS times larger."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.size = (width, height)
        self.image = Image.new("RGBA", (width * SS, height * SS), fill)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def box(x0, y0, x1, y1):
        return [round(x0 * SS), round(y0 * SS), round(x1 * SS) - 1, round(y1 * SS) - 1]

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=1, radius=0):
        self.draw.rounded_rectangle(self.box(x0, y0, x1, y1), radius=radius * SS, fill=fill,
                                    outline=outline, width=round(width * SS))

    def ellipse(self, x0, y0, x1, y1, fill=None, outline=None, width=1):
        self.draw.ellipse(self.box(x0, y0, x1, y1), fill=fill, outline=outline,
                          width=round(width * SS))

    def polygon(self, points, fill):
        self.draw.polygon([(x * SS, y * SS) for x, y in points], fill=fill)

    def line(self, points, fill, width):
        pts = [(x * SS, y * SS) for x, y in points]
        self.draw.line(pts, fill=fill, width=round(width * SS), joint="curve")
        r = width * SS / 2
        for x, y in (pts[0], pts[-1]):
            self.draw.ellipse([x - r, y - r, x + r, y + r], fill=fill)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(round(y0 * SS), round(y1 * SS)):
            t = (y - y0 * SS) / max(1, (y1 - y0) * SS - 1)
            self.draw.line([(round(x0 * SS), y), (round(x1 * SS) - 1, y)], fill=mix(top, bottom, t))

    def text(self, x, y, words, size, fill, bold=False, anchor="la"):
        f = font(size, bold)
        self.draw.text((x * SS, y * SS), words, font=f, fill=fill, anchor=anchor)
        return self.draw.textlength(words, font=f) / SS

    def text_width(self, words, size, bold=False):
        return self.draw.textlength(words, font=font(size, bold)) / SS

    def shadow(self, x0, y0, x1, y1, radius, blur, offset, alpha):
        """A soft shadow under a rounded box, drawn onto this canvas."""
        layer = Image.new("RGBA", self.image.size, (0, 0, 0, 0))
        ImageDraw.Draw(layer).rounded_rectangle(
            self.box(x0, y0 + offset, x1, y1 + offset), radius=radius * SS,
            fill=(20, 30, 45, alpha))
        layer = layer.filter(ImageFilter.GaussianBlur(blur * SS))
        self.image.alpha_composite(layer)

    def result(self):
        return self.image.resize(self.size, Image.LANCZOS)


def flatten(rgba, background=PAPER):
    base = Image.new("RGBA", rgba.size, background + (255,))
    base.alpha_composite(rgba)
    return base.convert("RGB")


# The header: the strip runs along the top of the page, and the banner lies on it
# one pixel lower, so banner row r shows over strip row r + 1. A plain vertical
# gradient: a sharp line in it would come out of the two JPEGs differently and
# show where the banner ends.
STRIP_HEIGHT = 54


def strip_colour(row):
    return mix(SLATE_TOP, SLATE_BOTTOM, row / (STRIP_HEIGHT - 1))


def draw_strip():
    img = Image.new("RGB", (8, STRIP_HEIGHT))
    for y in range(STRIP_HEIGHT):
        for x in range(8):
            img.putpixel((x, y), strip_colour(y))
    return img


def draw_logo_mark(c, x, y, size):
    """The maker's mark: a teal tile with a white ring and a tail, a 'Q'."""
    c.rect(x, y, x + size, y + size, fill=TEAL, radius=size * 0.24)
    ring = size * 0.2
    c.ellipse(x + ring, y + ring, x + size - ring, y + size - ring, outline=PAPER,
              width=size * 0.12)
    c.line([(x + size * 0.56, y + size * 0.56), (x + size * 0.8, y + size * 0.8)], PAPER,
           size * 0.12)


def draw_banner():
    w, h = 709, 53
    c = Canvas(w, h)
    for y in range(h):
        c.rect(0, y, w, y + 1, fill=strip_colour(y + 1))
    # The banner lies 2 pixels left of the page's text column: the logo starts on it.
    draw_logo_mark(c, 2, 11, 28)
    x = 38
    x += c.text(x, 26.5, "Quorvel", 22, PAPER, bold=True, anchor="lm")
    x += 16
    c.rect(x, 14, x + 1, 40, fill=(104, 116, 134))
    x += 17
    x += c.text(x, 27, "Outlook Tolvane", 18, PAPER, bold=True, anchor="lm")
    c.text(x + 5, 27, "has been installed successfully", 18, (206, 218, 228), anchor="lm")
    return flatten(c.result())


def draw_tick():
    # The page shows rows 6 to 25 beside the first line of text, which starts at 41.
    c = Canvas(41, 47, PAPER + (255,))
    c.ellipse(0.5, 6, 20.5, 26, fill=(46, 160, 67))
    c.line([(5.5, 16.5), (9.3, 20.3), (16, 12)], PAPER, 2.6)
    return flatten(c.result())


def draw_bullet():
    img = Image.new("P", (4, 6), 0)
    img.putpalette(list(PAPER) + list(LINK) + [0] * (254 * 3))
    for y, width in enumerate((1, 2, 3, 3, 2, 1)):
        for x in range(width):
            img.putpixel((x, y), 1)
    img.info["transparency"] = 0
    return img


AVATARS = [("DW", (0, 124, 156)), ("MR", (197, 120, 45)), ("LH", (120, 92, 170)),
           ("PN", (60, 140, 90)), ("TO", (190, 75, 90))]


def avatar(c, x, y, d, initials, colour):
    c.ellipse(x, y, x + d, y + d, fill=colour)
    c.text(x + d / 2, y + d / 2 + 0.5, initials, d * 0.4, PAPER, bold=True, anchor="mm")


def bars(c, x, y, widths, colour=(226, 231, 236), height=7, gap=15):
    for i, width in enumerate(widths):
        c.rect(x, y + i * gap, x + width, y + i * gap + height, fill=colour, radius=3.5)


def draw_mail_window(c, x0, y0, x1, y1):
    """The reply being written: addressed to the sender only."""
    c.shadow(x0, y0, x1, y1, 8, 8, 6, 70)
    c.rect(x0, y0, x1, y1, fill=PAPER, outline=LINE, radius=8)
    # title bar
    c.rect(x0, y0, x1, y0 + 34, fill=(238, 242, 246), radius=8)
    c.rect(x0, y0 + 26, x1, y0 + 34, fill=(238, 242, 246))
    c.rect(x0, y0 + 34, x1, y0 + 35, fill=LINE)
    c.text(x0 + 16, y0 + 17.5, "RE: Launch plan for the spring catalogue", 13, INK, anchor="lm")
    for i in range(3):
        cx = x1 - 20 - i * 20
        c.ellipse(cx - 5, y0 + 12.5, cx + 5, y0 + 22.5, fill=(190, 198, 208))

    # Send button and address fields
    fy = y0 + 52
    c.rect(x0 + 16, fy, x0 + 76, fy + 58, fill=LINK, radius=5)
    c.text(x0 + 46, fy + 29, "Send", 13, PAPER, bold=True, anchor="mm")
    lx = x0 + 92
    for row, (label, value) in enumerate((("To", "Dana Whitfield"), ("Cc", ""))):
        ry = fy + row * 31
        c.text(lx, ry + 13, label, 13, GREY_TEXT, anchor="lm")
        c.rect(lx + 30, ry + 26, x1 - 16, ry + 27, fill=LINE)
        if value:
            w = c.text_width(value, 12.5) + 34
            c.rect(lx + 32, ry + 1, lx + 32 + w, ry + 24, fill=(226, 241, 246), radius=12)
            avatar(c, lx + 34, ry + 3, 19, "DW", AVATARS[0][1])
            c.text(lx + 58, ry + 12.5, value, 12.5, INK, anchor="lm")
    sy = fy + 72
    c.text(x0 + 16, sy, "Subject", 13, GREY_TEXT, anchor="lm")
    c.text(x0 + 92 + 30, sy, "RE: Launch plan for the spring catalogue", 13, INK, anchor="lm")
    c.rect(x0 + 16, sy + 14, x1 - 16, sy + 15, fill=LINE)

    # body: the reply, then the quoted original with all of its recipients
    by = sy + 36
    c.text(x0 + 16, by, "Hi Dana,", 13, INK, anchor="lm")
    c.text(x0 + 16, by + 22, "Thursday works for me. I will bring the updated figures", 13, INK,
           anchor="lm")
    c.text(x0 + 16, by + 41, "and the draft layout for the first pages.", 13, INK, anchor="lm")
    qy = by + 70
    c.rect(x0 + 16, qy - 8, x0 + 18, qy + 70, fill=(200, 208, 218))
    c.text(x0 + 28, qy, "From: Dana Whitfield", 12, GREY_TEXT, anchor="lm")
    c.text(x0 + 28, qy + 18, "To: You; Marco Ruiz; Lena Hoffmann; Priya Nair; Tom Okafor", 12,
           GREY_TEXT, anchor="lm")
    bars(c, x0 + 28, qy + 34, (330, 290), height=7, gap=17)


def rounded_gradient(w, h, radius):
    """The caption bar: the header's slate gradient with rounded top corners."""
    grad = Canvas(w, h)
    grad.vgradient(0, 0, w, h, SLATE_TOP, SLATE_BOTTOM)
    mask = Image.new("L", grad.image.size, 0)
    md = ImageDraw.Draw(mask)
    md.rounded_rectangle([0, 0, w * SS - 1, (h + radius) * SS], radius=radius * SS, fill=255)
    grad.image.putalpha(mask)
    return grad.image


def draw_reply_all_sign(c, cx, cy):
    """The usual sign for 'reply to all': a reply arrow with a second head behind it."""
    tx, ty = cx - 8.5, cy - 3
    c.line([(tx + 2, ty - 8), (tx - 7, ty), (tx + 2, ty + 8)], TEAL, 3)
    c.polygon([(tx, ty), (tx + 11, ty - 10), (tx + 11, ty + 10)], LINK)
    curve = []
    for i in range(17):
        t = i / 16
        curve.append(((1 - t) ** 2 * (tx + 9) + 2 * t * (1 - t) * (tx + 24) + t * t * (tx + 25),
                      (1 - t) ** 2 * ty + 2 * t * (1 - t) * ty + t * t * (ty + 15)))
    c.line(curve, LINK, 5)


def draw_prompt(c, x0, y0, x1, y1):
    """Tolvane's question, over the reply."""
    c.shadow(x0, y0, x1, y1, 10, 14, 12, 120)
    c.rect(x0, y0, x1, y1, fill=PAPER, outline=(176, 186, 198), radius=10)
    # caption in the colours of the page's header
    cap = 40
    c.image.alpha_composite(rounded_gradient(x1 - x0, cap, 10), (round(x0 * SS), round(y0 * SS)))
    draw_logo_mark(c, x0 + 14, y0 + 10, 20)
    c.text(x0 + 44, y0 + 20.5, "Quorvel Outlook Tolvane", 14, PAPER, bold=True, anchor="lm")
    c.rect(x0, y0 + cap - 3, x1, y0 + cap, fill=TEAL)

    # question with a reply-all sign
    iy = y0 + cap + 26
    c.ellipse(x0 + 24, iy, x0 + 76, iy + 52, fill=(224, 243, 248))
    draw_reply_all_sign(c, x0 + 50, iy + 26)
    tx = x0 + 96
    c.text(tx, iy + 8, "Reply to everyone?", 19, INK, bold=True, anchor="lm")
    lines = ("Dana Whitfield sent this message to 5 people,",
             "but your reply goes to Dana only.",
             "Should everyone get your reply?")
    for i, words in enumerate(lines):
        c.text(tx, iy + 36 + i * 20, words, 13.5, (70, 80, 94), anchor="lm")

    # everyone the original went to
    ay = iy + 104
    c.text(tx, ay + 14, "Reply All goes to:", 12.5, GREY_TEXT, anchor="lm")
    ax = tx + 112
    for i, (initials, colour) in enumerate(AVATARS):
        avatar(c, ax + i * 34, ay, 28, initials, colour)

    # buttons
    by = y1 - 62
    c.rect(x0, by - 18, x1, by - 17, fill=(232, 236, 240))
    bw2 = 178
    c.rect(x1 - 24 - bw2, by, x1 - 24, by + 38, fill=PAPER, outline=(176, 186, 198), radius=6)
    c.text(x1 - 24 - bw2 / 2, by + 19, "Reply to Dana only", 14, INK, anchor="mm")
    bw1 = 130
    bx1 = x1 - 24 - bw2 - 14 - bw1
    c.rect(bx1, by, bx1 + bw1, by + 38, fill=TEAL, radius=6)
    c.text(bx1 + bw1 / 2, by + 19, "Reply All", 14, PAPER, bold=True, anchor="mm")
    return bx1 + bw1 * 0.62, by + 26


def draw_cursor(c, x, y):
    """A mouse pointer with its tip at (x, y)."""
    shape = [(0, 0), (0, 17), (4, 13), (7, 20), (10, 19), (7, 12), (12.5, 12)]
    c.draw.polygon([((x + px * 1.2) * SS, (y + py * 1.2) * SS) for px, py in shape], fill=INK,
                   outline=PAPER, width=round(1.6 * SS))


def draw_illustration():
    w, h = 613, 632
    c = Canvas(w, h, PAPER + (255,))
    # a soft backdrop that frames the scene on the white page
    c.rect(0, 0, w, h, fill=(236, 242, 246), radius=14)
    c.ellipse(330, -120, 760, 290, fill=(226, 236, 242))
    c.ellipse(-140, 380, 250, 760, fill=(229, 238, 243))
    draw_mail_window(c, 28, 28, 585, 420)
    tip = draw_prompt(c, 64, 300, 572, 598)
    draw_cursor(c, *tip)
    return flatten(c.result())


def save_jpeg(img, path, quality, subsampling, progressive=False):
    # Progressive coding saves a few per cent on the large images only.
    img.save(path, "JPEG", quality=quality, subsampling=subsampling, optimize=True,
             progressive=progressive)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "res", "page", "images")
    os.makedirs(out, exist_ok=True)
    save_jpeg(draw_illustration(), os.path.join(out, "img1.jpg"), 70, 2, True)
    save_jpeg(draw_banner(), os.path.join(out, "title-tlvn.jpg"), 88, 0, True)
    save_jpeg(draw_strip(), os.path.join(out, "bg-main.jpg"), 95, 0)
    save_jpeg(draw_tick(), os.path.join(out, "tick.jpg"), 95, 0)
    draw_bullet().save(os.path.join(out, "main-bullet.gif"), "GIF", transparency=0)
    for name in sorted(os.listdir(out)):
        path = os.path.join(out, name)
        with Image.open(path) as img:
            print("%-16s %4dx%-4d %6d bytes" % (name, img.width, img.height,
                                                 os.path.getsize(path)))


if __name__ == "__main__":
    main()
