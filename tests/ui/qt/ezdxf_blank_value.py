#!/usr/bin/python3
"""Empties the value of every model-space attribute tagged TAG in the drawing at PATH, written by
ezdxf, so that a test has a real drawing with an empty attribute value.
Usage: ezdxf_blank_value.py PATH TAG"""
import sys

import ezdxf

path, tag = sys.argv[1], sys.argv[2]
doc = ezdxf.readfile(path)
for insert in doc.modelspace().query("INSERT"):
    for attrib in insert.attribs:
        if attrib.dxf.tag == tag:
            attrib.dxf.text = ""
doc.saveas(path)
