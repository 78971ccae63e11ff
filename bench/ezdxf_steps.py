#!/usr/bin/python3
"""The peer's side of the benchmark: the same four steps as engine_steps, done with ezdxf, printed
as one JSON object of the same shape.

    ezdxf_steps.py DRAWING... [--mark TEXT]

Each drawing is read, walked (every attribute of every block reference), given a new value in
every title-block attribute and saved over itself. Several drawings are done one after another in
this one process, as a batch would be; the times are then sums.
"""
import argparse
import json
import os
import resource
import sys
import time

import ezdxf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "fixtures"))
from make_fixtures import TAGS  # noqa: E402  (the 29 title-block tags)


def peak_resident_bytes():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024  # Linux counts kilobytes


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("drawings", nargs="+")
    parser.add_argument("--mark", default="BENCH")
    args = parser.parse_args(argv)
    field = {tag: n for n, tag in enumerate(TAGS, start=1)}
    base_rss = peak_resident_bytes()
    size = sum(os.path.getsize(p) for p in args.drawings)
    totals = {"open_s": 0.0, "walk_s": 0.0, "write_s": 0.0, "save_s": 0.0}
    attributes = puts = 0
    for path in args.drawings:
        start = time.perf_counter()
        doc = ezdxf.readfile(path)
        opened = time.perf_counter()
        title_block = []
        for insert in doc.modelspace().query("INSERT"):
            if insert.mcount > 1:
                continue  # a multi-insert is no block reference to the engine either
            for attrib in insert.attribs:
                attributes += 1
                if attrib.dxf.tag in field:
                    title_block.append(attrib)
        walked = time.perf_counter()
        for attrib in title_block:
            attrib.dxf.text = f"{args.mark}/{field[attrib.dxf.tag]}"
        puts += len(title_block)
        written = time.perf_counter()
        doc.saveas(path)
        saved = time.perf_counter()
        totals["open_s"] += opened - start
        totals["walk_s"] += walked - opened
        totals["write_s"] += written - walked
        totals["save_s"] += saved - written
    print(json.dumps({"bytes": size,
                      "attributes": attributes, "puts": puts, **totals,
                      "base_rss_bytes": base_rss, "peak_rss_bytes": peak_resident_bytes()}))


if __name__ == "__main__":
    main(sys.argv[1:])
