#!/usr/bin/python3
"""Writes the drawings to try Zandrel on: a template and four part drawings, with ezdxf.

    make_examples.py [FOLDER]     write them into FOLDER (default: beside this script)

The template carries the values shared by every part drawing (product code, revision row 1,
approvals) and leaves the part's own name and code empty, so that a batch update from it keeps
each part's own. The parts differ in what a real folder of drawings mixes: DXF versions, code
pages, the binary form, a second title block, and names with spaces and Chinese. README.md in
the repository's root walks through them.
"""
import os
import sys

import ezdxf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "fixtures"))
from make_fixtures import TAGS, add_attributed_insert, define_attribute_block  # noqa: E402

# What every drawing of the product shares: revision row 1 and the approvals. Rows 2 to 5 are
# still empty.
SHARED = {
    "产品代号": "ZD-100",
    "版本号1": "A",
    "更改通知号1": "首次发布",
    "签名1": "张工",
    "日期1": "2024.03.18",
    "编制签字": "张工",
    "编制时间": "2024.03.18",
    "校对签字": "李工",
    "校对时间": "2024.03.20",
    "审核签字": "王工",
    "审核时间": "2024.03.22",
}

TEMPLATE = "标题栏模板.dxf"

PARTS = [
    # file name, part name, part code, DXF version, encoding (None: the version's), format,
    # title blocks in model space
    ("零件 01 底座.dxf", "底座", "ZD-100-01", "R2000", "gbk", "asc", 1),
    ("part 02 轴.dxf", "轴", "ZD-100-02", "R2018", None, "asc", 1),
    ("零件 03 端盖 binary.dxf", "端盖", "ZD-100-03", "R2018", None, "bin", 1),
    ("零件 04 两个标题栏.dxf", "法兰", "ZD-100-04", "R2000", "gbk", "asc", 2),
]


def title_values(part_name, part_code):
    values = {tag: "" for tag in TAGS}
    values.update(SHARED)
    values["零件名称"] = part_name
    values["零件代号"] = part_code
    return values


def drawing(version, encoding, values, title_blocks):
    """A sheet with a frame, a little geometry and the title block in its lower right corner;
    a second title block stands beside the first on a sheet of two."""
    doc = ezdxf.new(version)
    if encoding:
        doc.encoding = encoding
    define_attribute_block(doc, "TITLE", TAGS)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (420, 0), (420, 297), (0, 297)], close=True)
    msp.add_circle((120, 160), 60)
    msp.add_circle((120, 160), 20)
    msp.add_line((40, 160), (200, 160))
    msp.add_text(values["零件名称"] or "零件", dxfattribs={"height": 5}).set_pos((20, 270))
    for sheet in range(title_blocks):
        add_attributed_insert(msp, "TITLE", (240 - sheet * 200, 0), values)
    return doc


def main(argv):
    folder = argv[0] if argv else os.path.dirname(os.path.abspath(__file__))
    drawing("R2018", None, title_values("", ""), 1).saveas(os.path.join(folder, TEMPLATE))
    print(f"wrote {TEMPLATE}")
    for name, part_name, part_code, version, encoding, fmt, title_blocks in PARTS:
        doc = drawing(version, encoding, title_values(part_name, part_code), title_blocks)
        doc.saveas(os.path.join(folder, name), fmt=fmt)
        print(f"wrote {name}")


if __name__ == "__main__":
    main(sys.argv[1:])
