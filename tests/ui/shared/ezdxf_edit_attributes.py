#!/usr/bin/python3
"""Edits the model-space attributes tagged TAG... of the drawing at PATH, written by ezdxf, so that
a test has a real drawing with an empty value (blank) or without those attributes at all (drop).
Usage: ezdxf_edit_attributes.py blank|drop PATH TAG..."""
import sys

import ezdxf

action, path, tags = sys.argv[1], sys.argv[2], set(sys.argv[3:])
doc = ezdxf.readfile(path)
for insert in doc.modelspace().query("INSERT"):
    for attrib in list(insert.attribs):
        if attrib.dxf.tag in tags:
            if action == "blank":
                attrib.dxf.text = ""
            else:
                insert.delete_attrib(attrib.dxf.tag)
doc.saveas(path)
