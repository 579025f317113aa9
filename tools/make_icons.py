#!/usr/bin/env python3
"""Draws Linea's toolbar, layer-kind and progress icons as 16 x 16 XPM files.

XPM is a text format that Qt reads without plug-ins, so the icons stay
reviewable in the repository. Run from the repository root:

    tools/make_icons.py resources/icons
"""
import math
import os
import sys

SIZE = 16

# Palette: one character per colour; '.' is transparent.
COLOURS = {
    '.': 'None',
    'k': '#000000',
    'g': '#808080',
    'l': '#C0C0C0',
    'w': '#FFFFFF',
    'r': '#D02020',
    'o': '#E08020',
    'y': '#F0D030',
    'G': '#20A040',
    'b': '#2050D0',
    'c': '#30B0D0',
    'm': '#A040C0',
    'n': '#805030',
}


class Canvas:
    def __init__(self):
        self.px = [['.'] * SIZE for _ in range(SIZE)]

    def dot(self, x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.dot(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def rect(self, x0, y0, x1, y1, c):
        self.line(x0, y0, x1, y0, c)
        self.line(x1, y0, x1, y1, c)
        self.line(x1, y1, x0, y1, c)
        self.line(x0, y1, x0, y0, c)

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, c)

    def circle(self, cx, cy, r, c, filled=False):
        for y in range(SIZE):
            for x in range(SIZE):
                d = math.hypot(x - cx, y - cy)
                if (filled and d <= r + 0.3) or (not filled and abs(d - r) < 0.55):
                    self.dot(x, y, c)

    def polygon(self, points, c):
        for i in range(len(points)):
            x0, y0 = points[i]
            x1, y1 = points[(i + 1) % len(points)]
            self.line(x0, y0, x1, y1, c)

    def xpm(self, name):
        used = sorted({ch for row in self.px for ch in row})
        lines = ['/* XPM */', 'static const char* %s[] = {' % name,
                 '"%d %d %d 1",' % (SIZE, SIZE, len(used))]
        lines += ['"%s c %s",' % (ch, COLOURS[ch]) for ch in used]
        lines += ['"%s",' % ''.join(row) for row in self.px]
        lines[-1] = lines[-1].rstrip(',')
        lines.append('};')
        return '\n'.join(lines) + '\n'


def rose(cv, cx, cy, radius, c, rays=8, outline=None):
    pts = []
    for k in range(rays * 2):
        r = radius if k % 2 == 0 else radius * 0.4
        a = math.pi * k / rays
        pts.append((int(round(cx + r * math.cos(a))), int(round(cy - r * math.sin(a)))))
    cv.polygon(pts, outline or c)
    cv.dot(cx, cy, c)


def magnifier(cv, sign):
    cv.circle(6, 6, 4.5, 'k')
    cv.circle(6, 6, 3.5, 'w', filled=True)
    for i in range(4):
        cv.line(9 + i, 10 + i, 10 + i, 10 + i, 'n')
        cv.line(9 + i, 9 + i, 10 + i, 9 + i, 'n')
    cv.line(4, 6, 8, 6, 'k')
    if sign == '+':
        cv.line(6, 4, 6, 8, 'k')


def icons():
    out = {}

    cv = Canvas()  # open project: a folder
    cv.fill(1, 5, 13, 13, 'y')
    cv.rect(1, 5, 13, 13, 'n')
    cv.fill(1, 3, 6, 4, 'y')
    cv.rect(1, 3, 6, 5, 'n')
    cv.line(14, 8, 10, 13, 'n')
    out['open'] = cv

    cv = Canvas()  # save project: a floppy disk
    cv.fill(1, 1, 14, 14, 'b')
    cv.rect(1, 1, 14, 14, 'k')
    cv.fill(4, 2, 11, 6, 'w')
    cv.fill(9, 3, 10, 5, 'k')
    cv.fill(4, 9, 11, 14, 'l')
    out['save'] = cv

    cv = Canvas()  # about: an "i" in a circle
    cv.circle(7, 7, 6.5, 'b', filled=True)
    cv.fill(7, 3, 8, 4, 'w')
    cv.fill(7, 6, 8, 11, 'w')
    cv.line(6, 11, 9, 11, 'w')
    out['about'] = cv

    cv = Canvas()
    magnifier(cv, '+')
    out['zoom_in'] = cv
    cv = Canvas()
    magnifier(cv, '-')
    out['zoom_out'] = cv

    cv = Canvas()  # actual size: "1:1"
    cv.rect(0, 2, 15, 13, 'g')
    cv.line(4, 4, 4, 11, 'k')
    cv.line(3, 5, 4, 4, 'k')
    cv.dot(7, 6, 'k')
    cv.dot(7, 9, 'k')
    cv.line(11, 4, 11, 11, 'k')
    cv.line(10, 5, 11, 4, 'k')
    out['zoom_actual'] = cv

    cv = Canvas()  # fit to window: arrows to the corners of a frame
    cv.rect(0, 0, 15, 15, 'g')
    for (x0, y0, x1, y1) in ((6, 6, 2, 2), (9, 6, 13, 2), (6, 9, 2, 13), (9, 9, 13, 13)):
        cv.line(x0, y0, x1, y1, 'k')
    for (x, y, dx, dy) in ((2, 2, 1, 1), (13, 2, -1, 1), (2, 13, 1, -1), (13, 13, -1, -1)):
        cv.line(x, y, x + 3 * dx, y, 'k')
        cv.line(x, y, x, y + 3 * dy, 'k')
    out['zoom_fit'] = cv

    cv = Canvas()  # layers: three stacked sheets
    for i, c in enumerate(('c', 'G', 'y')):
        y = 2 + 4 * i
        cv.polygon([(7, y), (14, y + 3), (7, y + 6), (0, y + 3)], 'k')
        cv.line(7, y + 1, 12, y + 3, c)
        cv.line(7, y + 5, 2, y + 3, c)
    out['layers'] = cv

    cv = Canvas()  # rose panel: a rose in a frame
    cv.rect(0, 0, 15, 15, 'g')
    rose(cv, 7, 8, 6, 'r')
    out['roses_panel'] = cv

    cv = Canvas()  # lineament panel: long lines in a frame
    cv.rect(0, 0, 15, 15, 'g')
    cv.line(2, 12, 13, 3, 'b')
    cv.line(2, 8, 9, 2, 'b')
    cv.line(6, 13, 13, 7, 'b')
    out['lineaments_panel'] = cv

    cv = Canvas()  # main calculations: a grid with a sum sign
    cv.rect(0, 0, 15, 15, 'g')
    cv.line(4, 3, 11, 3, 'k')
    cv.line(4, 3, 8, 7, 'k')
    cv.line(8, 8, 4, 12, 'k')
    cv.line(4, 12, 11, 12, 'k')
    out['calc_panel'] = cv

    cv = Canvas()  # combination panel: two overlapping roses
    rose(cv, 5, 6, 4, 'r')
    rose(cv, 10, 10, 4, 'b')
    out['combine_panel'] = cv

    cv = Canvas()  # global rose: one large rose
    rose(cv, 7, 7, 7, 'm')
    out['global_rose'] = cv

    cv = Canvas()  # stripes: short strokes of several directions
    strokes = ((1, 3, 4, 1, 'r'), (7, 1, 7, 4, 'G'), (11, 1, 14, 4, 'b'), (2, 8, 5, 8, 'o'),
               (9, 6, 12, 9, 'm'), (1, 14, 4, 11, 'c'), (8, 11, 8, 14, 'r'), (12, 12, 15, 12, 'G'))
    for (x0, y0, x1, y1, c) in strokes:
        cv.line(x0, y0, x1, y1, c)
    out['stripes'] = cv

    cv = Canvas()  # block roses: blocks with a rose each
    cv.rect(0, 0, 15, 15, 'g')
    cv.line(7, 0, 7, 15, 'g')
    cv.line(0, 7, 15, 7, 'g')
    for (cx, cy) in ((3, 3), (11, 3), (3, 11), (11, 11)):
        rose(cv, cx, cy, 3, 'r', rays=4)
    out['block_roses'] = cv

    cv = Canvas()  # relief highlighting: a lit mountain
    cv.polygon([(0, 14), (6, 3), (9, 8), (11, 6), (15, 14)], 'n')
    cv.line(6, 3, 4, 9, 'y')
    cv.line(11, 6, 10, 10, 'y')
    out['relief'] = cv

    cv = Canvas()  # cursor readout: a cross-hair
    cv.circle(7, 7, 5, 'k')
    cv.line(7, 0, 7, 15, 'r')
    cv.line(0, 7, 15, 7, 'r')
    out['cursor'] = cv

    # Kinds of the layers bar: raster, CVectorLayer3, CVectorLayer, band.
    cv = Canvas()
    for y in range(2, 14):
        for x in range(2, 14):
            cv.dot(x, y, 'G' if ((x // 3) + (y // 3)) % 2 else 'y')
    cv.rect(1, 1, 14, 14, 'k')
    out['kind_raster'] = cv

    cv = Canvas()
    cv.polygon([(1, 13), (5, 3), (10, 10), (14, 2)], 'b')
    cv.line(14, 2, 1, 13, '.')
    cv.line(1, 13, 5, 3, 'b')
    cv.line(5, 3, 10, 10, 'b')
    cv.line(10, 10, 14, 2, 'b')
    out['kind_vector3'] = cv

    cv = Canvas()
    for (x, y) in ((2, 3), (6, 5), (10, 3), (3, 10), (8, 11), (12, 9)):
        cv.line(x, y, x + 2, y + 2, 'r')
    out['kind_vector'] = cv

    cv = Canvas()
    for x in range(1, 15):
        top = 6 + int(round(2 * math.sin(x / 2.5)))
        cv.line(x, top, x, top + 4, 'o')
    out['kind_band'] = cv

    cv = Canvas()  # picture button 1057: arrow up
    cv.polygon([(7, 2), (12, 8), (2, 8)], 'k')
    cv.fill(6, 9, 8, 13, 'k')
    out['picture_up'] = cv

    cv = Canvas()  # picture button 1058: arrow down
    cv.polygon([(7, 13), (12, 7), (2, 7)], 'k')
    cv.fill(6, 2, 8, 6, 'k')
    out['picture_down'] = cv

    cv = Canvas()  # result mark of the calculation panel: a check mark
    cv.line(2, 8, 6, 12, 'G')
    cv.line(2, 7, 6, 11, 'G')
    cv.line(6, 12, 13, 3, 'G')
    cv.line(6, 11, 13, 2, 'G')
    out['result_mark'] = cv

    # Progress animation: a bright dot walking round a ring.
    for step in range(8):
        cv = Canvas()
        cv.circle(7.5, 7.5, 5.5, 'l')
        a = math.pi / 2 - step * math.pi / 4
        cv.circle(7.5 + 5.5 * math.cos(a), 7.5 - 5.5 * math.sin(a), 1.6, 'b', filled=True)
        out['progress_%d' % step] = cv
    return out


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else 'resources/icons'
    os.makedirs(folder, exist_ok=True)
    drawn = icons()
    for name, cv in drawn.items():
        with open(os.path.join(folder, name + '.xpm'), 'w') as f:
            f.write(cv.xpm(name))
    with open(os.path.join(folder, 'icons.qrc'), 'w') as f:
        f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n<qresource prefix="/icons">\n')
        for name in sorted(drawn):
            f.write('  <file>%s.xpm</file>\n' % name)
        f.write('</qresource>\n</RCC>\n')


if __name__ == '__main__':
    main()
