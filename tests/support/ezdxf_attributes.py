#!/usr/bin/python3
"""Prints what ezdxf sees of the attributes in a drawing, one line each: space ("model", or
"paper:" and the layout's name, the layouts in tab order), entity index in that space, DXF type,
tag, decoded value (escaped as the command line does).
The tests compare it with what they wrote, so a reader they did not write checks the files."""
import re
import sys

import ezdxf
from ezdxf.tools.text import caret_decode

# ezdxf 0.18 leaves \U+xxxx escapes in attribute text (and its own decoder wants upper-case hex).
UNICODE_ESCAPE = re.compile(r"\\U\+([0-9A-Fa-f]{4})")


def decoded(text):
    return caret_decode(UNICODE_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text))


def escaped(text):
    for raw, escape in (("\\", "\\\\"), ("\t", "\\t"), ("\n", "\\n"), ("\r", "\\r")):
        text = text.replace(raw, escape)
    return text


doc = ezdxf.readfile(sys.argv[1])
paper = sorted((layout for layout in doc.layouts if not layout.is_modelspace),
               key=lambda layout: layout.dxf.taborder)
for space, layout in [("model", doc.modelspace())] + [("paper:" + p.name, p) for p in paper]:
    for index, entity in enumerate(layout):
        for attrib in getattr(entity, "attribs", []):
            tag, value = decoded(attrib.dxf.tag), escaped(decoded(attrib.dxf.text))
            print(f"{space}\t{index}\t{entity.dxftype()}\t{tag}\t{value}")
