#!/usr/bin/python3
"""Compares what `zandrel-cli inspect` lists for every drawing of the corpus with what ezdxf sees:
the same model-space entities in the same order, each with the class name the CAD application
answers for its type, and the same attributes under each block reference.

    ezdxf_corpus_inspect.py ZANDREL_CLI CORPUS_FOLDER

Exits 77 (skipped) when ezdxf or the corpus is missing."""
import glob
import os
import re
import subprocess
import sys

try:
    import ezdxf
    from ezdxf import recover
    from ezdxf.tools.text import caret_decode
except ImportError:
    print("ezdxf is not installed")
    sys.exit(77)

# Types whose class follows from the type alone, as the CAD application names them.
CLASS_OF_TYPE = {
    "3DFACE": "AcDbFace", "3DSOLID": "AcDb3dSolid", "ACAD_TABLE": "AcDbTable", "ARC": "AcDbArc",
    "ARC_DIMENSION": "AcDbArcDimension", "ATTDEF": "AcDbAttributeDefinition",
    "BODY": "AcDbBody", "CIRCLE": "AcDbCircle", "ELLIPSE": "AcDbEllipse", "HATCH": "AcDbHatch",
    "IMAGE": "AcDbRasterImage", "LARGE_RADIAL_DIMENSION": "AcDbRadialDimensionLarge",
    "LEADER": "AcDbLeader", "LINE": "AcDbLine", "LWPOLYLINE": "AcDbPolyline",
    "MESH": "AcDbSubDMesh", "MLINE": "AcDbMline", "MTEXT": "AcDbMText",
    "MULTILEADER": "AcDbMLeader", "PDFUNDERLAY": "AcDbPdfReference", "POINT": "AcDbPoint",
    "RAY": "AcDbRay", "REGION": "AcDbRegion", "SHAPE": "AcDbShape", "SOLID": "AcDbTrace",
    "SPLINE": "AcDbSpline", "TEXT": "AcDbText", "TOLERANCE": "AcDbFcf", "TRACE": "AcDbTrace",
    "VIEWPORT": "AcDbViewport", "WIPEOUT": "AcDbWipeout", "XLINE": "AcDbXline",
}
DIMENSION_KINDS = ["AcDbRotatedDimension", "AcDbAlignedDimension", "AcDb2LineAngularDimension",
                   "AcDbDiametricDimension", "AcDbRadialDimension",
                   "AcDb3PointAngularDimension", "AcDbOrdinateDimension"]
POLYLINE_MODES = {"AcDb2dPolyline": "AcDb2dPolyline", "AcDb3dPolyline": "AcDb3dPolyline",
                  "AcDbPolyFaceMesh": "AcDbPolyFaceMesh", "AcDbPolygonMesh": "AcDbPolygonMesh"}

# ezdxf 0.18 leaves \U+xxxx escapes in attribute text.
UNICODE_ESCAPE = re.compile(r"\\U\+([0-9A-Fa-f]{4})")


def decoded(text):
    text = UNICODE_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)
    return caret_decode(text.encode("utf-16", "surrogatepass").decode("utf-16"))


def escaped(text):
    for raw, escape in (("\\", "\\\\"), ("\t", "\\t"), ("\n", "\\n"), ("\r", "\\r")):
        text = text.replace(raw, escape)
    return text


def class_name(entity):
    kind = entity.dxftype()
    if kind == "INSERT":
        return "AcDbMInsertBlock" if entity.mcount > 1 else "AcDbBlockReference"
    if kind == "POLYLINE":
        return POLYLINE_MODES[entity.get_mode()]
    if kind == "DIMENSION":
        return DIMENSION_KINDS[entity.dxf.dimtype & 7]
    return CLASS_OF_TYPE.get(kind, f"unknown type {kind}")


def read_with_ezdxf(path):
    try:
        return ezdxf.readfile(path)
    except Exception:  # pylint: disable=broad-except  # ASCII_R12.dxf needs its recover mode
        return recover.readfile(path)[0]


def ezdxf_listing(path):
    doc = read_with_ezdxf(path)
    lines = []
    for index, entity in enumerate(doc.modelspace()):
        name = class_name(entity)
        lines.append(f"{index}\t{name}")
        if name == "AcDbBlockReference":
            for attrib in entity.attribs:
                tag, value = escaped(decoded(attrib.dxf.tag)), escaped(decoded(attrib.dxf.text))
                lines.append(f"  {tag}\t{value}")
    return lines


def main(cli, corpus):
    drawings = sorted(glob.glob(os.path.join(corpus, "**", "*.dxf"), recursive=True))
    if not drawings:
        print(f"no drawings in {corpus}")
        return 77
    failures = 0
    for path in drawings:
        run = subprocess.run([cli, "inspect", path], capture_output=True, check=False)
        listed = run.stdout.decode("utf-8").splitlines()
        if run.returncode != 0 or not listed or not listed[0].startswith("代码页"):
            print(f"{path}: inspect failed ({run.returncode}): {run.stderr.decode('utf-8')}")
            failures += 1
            continue
        expected = ezdxf_listing(path)
        if listed[1:] != expected:
            first = next((i for i, (a, b) in enumerate(zip(listed[1:], expected)) if a != b),
                         min(len(listed) - 1, len(expected)))
            got = listed[1 + first] if first + 1 < len(listed) else "(end)"
            want = expected[first] if first < len(expected) else "(end)"
            print(f"{path}: line {first}: inspect {got!r}, ezdxf {want!r}")
            failures += 1
    print(f"{len(drawings)} drawings, {failures} differ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
