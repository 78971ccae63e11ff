#!/usr/bin/python3
"""Saves changed title-block values with the engine and reads the result back with ezdxf.

    ezdxf_peer_test.py PUT_VALUES_TOOL FIXTURES_FOLDER

For every fixture: the changed attributes hold the new values, and every other entity, in every
layout and block, has the same type, attributes and extended data as before. Exits 77 (skipped)
when ezdxf is missing."""
import os
import re
import shutil
import subprocess
import sys
import tempfile

try:
    import ezdxf
    from ezdxf.tools.text import caret_decode
except ImportError:
    print("ezdxf is not installed")
    sys.exit(77)

FIXTURES = [
    "titleblock_r12.dxf",
    "titleblock_r2000_gbk.dxf",
    "titleblock_r2000_gbk_binary.dxf",
    "titleblock_r2004.dxf",
    "titleblock_r2010.dxf",
    "titleblock_r2018.dxf",
]

# New values that need the code page, escapes, carets and exact spaces.
NEW_VALUES = {
    "产品代号": "新产品 ü",
    "零件名称": " ",
    "零件代号": "",
    "签名1": "한글 😀",
    "日期1": "tab\there^I caret",
    "审核时间": "90°",
}

# ezdxf 0.18 leaves \U+XXXX escapes in the text; a pair of them may stand for one character.
UNICODE_ESCAPE = re.compile(r"\\U\+([0-9A-Fa-f]{4})")


def decoded(text):
    text = UNICODE_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)
    return caret_decode(text.encode("utf-16", "surrogatepass").decode("utf-16"))


def snapshot(doc):
    """Every entity by handle: its type, attributes and extended data."""
    entities = {}
    for entity in doc.entitydb.values():
        xdata = {app: list(tags) for app, tags in entity.xdata.data.items()} if entity.xdata else {}
        entities[entity.dxf.handle] = (entity.dxftype(), entity.dxfattribs(), xdata)
    return entities


def changed_attributes(doc):
    """Handles of the ATTRIBs that the batch writes: model-space block references, not
    multi-inserts, whose tags have new values."""
    handles = {}
    for entity in doc.modelspace().query("INSERT"):
        if entity.mcount > 1:
            continue
        for attrib in entity.attribs:
            tag = decoded(attrib.dxf.tag)
            if tag in NEW_VALUES:
                handles[attrib.dxf.handle] = NEW_VALUES[tag]
    return handles


def check(tool, fixture, folder):
    path = os.path.join(folder, fixture)
    before = ezdxf.readfile(path)
    expected = changed_attributes(before)
    arguments = [item for pair in NEW_VALUES.items() for item in pair]
    subprocess.run([tool, path] + arguments, check=True)
    after = ezdxf.readfile(path)

    failures = []
    old, new = snapshot(before), snapshot(after)
    if old.keys() != new.keys():
        failures.append(f"entities differ: {sorted(old.keys() ^ new.keys())}")
    for handle, (kind, attribs, xdata) in old.items():
        if handle not in new:
            continue
        new_kind, new_attribs, new_xdata = new[handle]
        if handle in expected:
            got = decoded(new_attribs.pop("text", ""))
            if got != expected[handle]:
                failures.append(f"{handle}: {got!r} instead of {expected[handle]!r}")
            attribs.pop("text", None)
        if (kind, attribs, xdata) != (new_kind, new_attribs, new_xdata):
            failures.append(f"{handle} ({kind}) changed")
    if len(expected) < 8:
        failures.append(f"only {len(expected)} attributes were to change")
    for failure in failures:
        print(f"{fixture}: {failure}")
    return not failures


def main(tool, fixtures_folder):
    ok = True
    with tempfile.TemporaryDirectory() as folder:
        for fixture in FIXTURES:
            shutil.copy(os.path.join(fixtures_folder, fixture), folder)
            ok = check(tool, fixture, folder) and ok
    print("ok" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
