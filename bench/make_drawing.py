#!/usr/bin/python3
"""Writes a drawing of about SIZE bytes for the benchmarks: the title-block fixture among many
other entities.

    make_drawing.py PATH SIZE [--version R2018]      SIZE in bytes; 10K, 5M, 200M work too

ezdxf writes a seed drawing (the fixture drawing of tests/fixtures/make_fixtures.py plus one of
each filler entity); the filler is then repeated as text with fresh handles, half before and half
after the fixture's own model-space entities, so the title block sits in the middle. Writing
200 MB this way takes seconds; ezdxf itself would take many minutes.
"""
import argparse
import io
import os
import re
import sys

import ezdxf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "fixtures"))
import make_fixtures  # noqa: E402  (the fixtures' own builder, found through the path above)

PART_TAGS = {"位号": "P-0001", "数量": "4"}


def add_filler_kinds(doc):
    """One of each filler entity, at the end of model space: a part-list insert with two
    attributes that are not title-block tags, lines, arcs, a polyline and text."""
    make_fixtures.define_attribute_block(doc, "PART", list(PART_TAGS))
    msp = doc.modelspace()
    before = len(msp)
    for i in range(4):
        msp.add_line((i, 0), (i + 120.5, 37.25))
    msp.add_circle((60.0, 30.0), 12.5)
    msp.add_arc((60.0, 30.0), 18.0, 15.0, 165.0)
    outline = [(0, 0), (40, 0), (40, 20), (30, 30), (10, 30), (0, 20)]
    if doc.dxfversion > "AC1009":
        msp.add_lwpolyline(outline, close=True)
    else:
        msp.add_polyline2d(outline, close=True)
    msp.add_text("螺栓 M8×30 GB/T 5783", dxfattribs={"height": 3.5}).set_pos((5, 5))
    make_fixtures.add_attributed_insert(msp, "PART", (80, 40), PART_TAGS)
    return len(msp) - before


def entity_groups(entities_text):
    """Splits the body of the ENTITIES section into top-level entities, each with the ATTRIB and
    SEQEND entities that follow it."""
    starts = [m.start() for m in re.finditer(r"(?m)^  0\n", entities_text)]
    groups = []
    for begin, end in zip(starts, starts[1:] + [len(entities_text)]):
        chunk = entities_text[begin:end]
        kind = chunk.split("\n", 2)[1]
        if kind in ("ATTRIB", "SEQEND", "VERTEX") and groups:
            groups[-1] += chunk
        else:
            groups.append(chunk)
    return groups


def as_template(group):
    """The group with its own handles (group 5) and the owner links to them (group 330) replaced
    by format fields {0}, {1} …, in the order the handles appear."""
    handles = re.findall(r"(?m)^  5\n([0-9A-F]+)\n", group)
    text = group.replace("{", "{{").replace("}", "}}")
    for n, handle in enumerate(handles):
        text = re.sub(rf"(?m)^(  5|330)\n{handle}\n", rf"\g<1>\n{{{n}}}\n", text)
    return text, len(handles)


def parse_size(text):
    units = {"K": 1 << 10, "M": 1 << 20, "G": 1 << 30}
    if text[-1:].upper() in units:
        return int(float(text[:-1]) * units[text[-1].upper()])
    return int(text)


def write_drawing(path, size, version):
    """Writes the drawing and returns its number of model-space entities."""
    doc = make_fixtures.build(version, None)
    filler_count = add_filler_kinds(doc)
    stream = io.StringIO()
    doc.write(stream)
    seed = stream.getvalue()

    begin = seed.index("\n  2\nENTITIES\n") + len("\n  2\nENTITIES\n")
    end = seed.index("\n  0\nENDSEC\n", begin) + 1
    groups = entity_groups(seed[begin:end])
    # Paper-space entities (group 67 = 1) come after model space's; the filler ends model space.
    model = [n for n, g in enumerate(groups) if "\n 67\n1\n" not in g]
    filler_at = set(model[-filler_count:])
    filler = [g for n, g in enumerate(groups) if n in filler_at]
    own = [g for n, g in enumerate(groups) if n not in filler_at]
    templates = [as_template(g) for g in filler]
    unit_bytes = sum(len(g.encode("utf-8")) for g in filler)
    seed_bytes = len(seed.encode("utf-8")) - unit_bytes
    units = max(0, (size - seed_bytes) // unit_bytes)

    seed_match = re.search(r"\$HANDSEED\n  5\n([0-9A-F]+)\n", seed)
    first_handle = int(seed_match.group(1), 16)
    handles_per_unit = sum(handles for _, handles in templates)
    next_handle = first_handle

    def write_filler(out, count):
        nonlocal next_handle
        for _ in range(count):
            for template, handles in templates:
                out.write(template.format(*(format(next_handle + k, "X") for k in range(handles))))
                next_handle += handles

    head = seed[:begin]
    handseed = format(first_handle + units * handles_per_unit, "X")
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        out.write(head[:seed_match.start(1)] + handseed + head[seed_match.end(1):])
        write_filler(out, units // 2)
        out.write("".join(own))
        write_filler(out, units - units // 2)
        out.write(seed[end:])
    return units * filler_count + len(model) - filler_count


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("path")
    parser.add_argument("size", type=parse_size, help="approximate size in bytes (10K, 200M …)")
    parser.add_argument("--version", default="R2018", help="DXF version (R12 … R2018)")
    args = parser.parse_args(argv)
    entities = write_drawing(args.path, args.size, args.version)
    print(f"{args.path}: {os.path.getsize(args.path)} bytes, {entities} model-space entities")


if __name__ == "__main__":
    main(sys.argv[1:])
