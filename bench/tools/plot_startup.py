#!/usr/bin/env python3
"""Draws the start-up comparison of bench/run.sh as an SVG, by hand, from hyperfine's JSON:
one row per command with every run as a dot, the quartiles as a box and the median as a line.

  plot_startup.py startup.json startup.svg
"""
import json
import statistics
import sys

WIDTH, LEFT, RIGHT, TOP, ROW = 820, 120, 30, 70, 90
COLOURS = {"launcher": "#2b6cb0", "java -cp": "#c05621"}


def quartiles(values):
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source) as f:
        results = json.load(f)["results"]
    # A contender may run in several rounds; its runs are pooled.
    pooled = {}
    for r in results:
        pooled.setdefault(r["command"], []).extend(t * 1e3 for t in r["times"])
    series = list(pooled.items())
    top = max(max(times) for _, times in series)
    step = 10 if top <= 150 else 20 if top <= 300 else 50
    axis_max = (int(top / step) + 1) * step
    height = TOP + ROW * len(series) + 60
    plot_width = WIDTH - LEFT - RIGHT

    def x(ms):
        return LEFT + plot_width * ms / axis_max

    medians = {name: statistics.median(times) for name, times in series}
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
           'viewBox="0 0 %d %d" font-family="sans-serif" font-size="13">' %
           (WIDTH, height, WIDTH, height),
           '<rect width="100%" height="100%" fill="white"/>']
    title = "Whole-process start-up, %d runs each" % len(series[0][1])
    if "launcher" in medians and "java -cp" in medians:
        title += ": launcher / java -cp = %.3f (medians)" % (
            medians["launcher"] / medians["java -cp"])
    out.append('<text x="16" y="26" font-size="15" font-weight="bold">%s</text>' % title)
    out.append('<text x="16" y="46" fill="#555">Same libjvm.so, options, 200-jar class path and '
               'main class. Dots: runs; boxes: quartiles; bars: medians.</text>')
    axis_y = TOP + ROW * len(series)
    for tick in range(0, axis_max + 1, step):
        out.append('<line x1="%.1f" y1="%d" x2="%.1f" y2="%d" stroke="#e2e2e2"/>' %
                   (x(tick), TOP - 6, x(tick), axis_y))
        out.append('<text x="%.1f" y="%d" text-anchor="middle" fill="#444">%d</text>' %
                   (x(tick), axis_y + 18, tick))
    out.append('<text x="%.1f" y="%d" text-anchor="middle">milliseconds</text>' %
               (LEFT + plot_width / 2, axis_y + 40))
    for row, (name, times) in enumerate(series):
        colour = COLOURS.get(name, "#555")
        middle = TOP + ROW * row + ROW / 2
        low, high = quartiles(times)
        out.append('<text x="%d" y="%.1f" text-anchor="end" dominant-baseline="middle" '
                   'font-weight="bold">%s</text>' % (LEFT - 12, middle, name))
        out.append('<rect x="%.1f" y="%.1f" width="%.1f" height="36" fill="%s" '
                   'fill-opacity="0.18" stroke="%s"/>' %
                   (x(low), middle - 18, max(x(high) - x(low), 1), colour, colour))
        for i, ms in enumerate(times):
            jitter = ((i * 37) % 23 - 11) * 1.2
            out.append('<circle cx="%.1f" cy="%.1f" r="2.4" fill="%s" fill-opacity="0.6"/>' %
                       (x(ms), middle + jitter, colour))
        median = medians[name]
        out.append('<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="%s" '
                   'stroke-width="3"/>' % (x(median), middle - 24, x(median), middle + 24, colour))
        out.append('<text x="%.1f" y="%.1f" text-anchor="middle" fill="%s">median %.1f ms'
                   '</text>' % (x(median), middle - 29, colour, median))
    out.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="#444"/>' %
               (LEFT, axis_y, WIDTH - RIGHT, axis_y))
    out.append("</svg>")
    with open(target, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
