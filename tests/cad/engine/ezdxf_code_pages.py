#!/usr/bin/python3
"""Writes values in every code page with the engine and reads them back with ezdxf.

    ezdxf_code_pages.py PUT_VALUES_TOOL

For each $DWGCODEPAGE name the engine knows, a drawing before R2007 gets one attribute per chunk
of the characters the code page holds, plus characters it lacks (half the attributes without a
value tag, which the engine then adds); the engine puts the values and
saves, and what ezdxf reads must be what was put. Only code pages ezdxf decodes are compared (it
takes the rest as cp1252); a drawing naming no code page, or one nobody knows, must come back
whole in any reader. Exits 77 (skipped) when ezdxf is missing."""
import codecs
import os
import re
import subprocess
import sys
import tempfile

try:
    import ezdxf
    from ezdxf.tools.codepage import toencoding
    from ezdxf.tools.text import caret_decode
except ImportError:
    print("ezdxf is not installed")
    sys.exit(77)

CODE_PAGES = [
    "ANSI_1252", "ANSI_936", "ANSI_950", "ANSI_932", "ANSI_949", "ANSI_874", "ANSI_1250",
    "ANSI_1251", "ANSI_1253", "ANSI_1254", "ANSI_1255", "ANSI_1256", "ANSI_1257", "ANSI_1258",
    "ANSI_1361", "DOS437", "DOS850", "DOS852", "DOS855", "DOS857", "DOS860", "DOS861", "DOS863",
    "DOS864", "DOS865", "DOS866", "DOS869", "DOS932", "MACINTOSH", "ISO8859-1", "ISO8859-2",
    "ISO8859-5", "ISO8859-7", "UTF-8", "", "ANSI_99999",
]

# Characters no legacy code page holds, or holds only in another form.
FOREIGN = ["中文标题栏", "日本語", "한국어", "😀 🀄", "e\u0301 a\u0308 n\u0303", "\u0301 first",
           "Việt Nam", "Ă", "שָׁלוֹם", "¥100 ¥U+4E2D", "— ¬ £ ¢ ‖", "\\U+0041 ^J"]

UNICODE_ESCAPE = re.compile(r"\\U\+([0-9A-Fa-f]{4})")


def decoded(text):
    text = UNICODE_ESCAPE.sub(lambda m: chr(int(m.group(1), 16)), text)
    return caret_decode(text.encode("utf-16", "surrogatepass").decode("utf-16"))


def ezdxf_reads(name):
    """True when ezdxf decodes the code page `name` with its own table, not a cp1252 guess."""
    return name in ("", "ANSI_99999", "ANSI_1252") or toencoding(name) != "cp1252"


def held_characters(encoding):
    """The BMP characters above ASCII that `encoding` writes and reads back, 30 to a value."""
    held = []
    for code in range(0x80, 0x10000):
        character = chr(code)
        try:
            if character.encode(encoding).decode(encoding) == character:
                held.append(character)
        except (UnicodeEncodeError, UnicodeDecodeError):
            pass
    return ["".join(held[i:i + 30]) for i in range(0, len(held), 30)]


def drawing(code_page, count):
    header = ["0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1018"]
    if code_page:
        header += ["9", "$DWGCODEPAGE", "3", code_page]
    tags = header + ["0", "ENDSEC", "0", "SECTION", "2", "ENTITIES", "0", "INSERT", "2", "TITLE",
                     "66", "1"]
    for i in range(count):
        # Every other attribute has no value tag, as some writers leave an empty value out.
        value = ["1", ""] if i % 2 else []
        tags += ["0", "ATTRIB", "10", "0.0", "20", "0.0", "30", "0.0", "40", "2.5"] + value + [
            "2", f"T{i}", "70", "0"]
    tags += ["0", "SEQEND", "0", "ENDSEC", "0", "EOF"]
    return "\n".join(tags) + "\n"


def check(tool, code_page, folder):
    encoding = toencoding(code_page) if code_page else "cp1252"
    values = held_characters(encoding) + FOREIGN
    path = os.path.join(folder, f"code_page_{code_page or 'none'}.dxf")
    with open(path, "w", encoding="ascii") as file:
        file.write(drawing(code_page, len(values)))
    arguments = [item for i, value in enumerate(values) for item in (f"T{i}", value)]
    subprocess.run([tool, path] + arguments, check=True)
    doc = ezdxf.readfile(path)
    read = {a.dxf.tag: decoded(a.dxf.text) for a in doc.modelspace().query("INSERT")[0].attribs}
    wrong = [(values[i], read.get(f"T{i}")) for i in range(len(values))
             if read.get(f"T{i}") != values[i]]
    for put, got in wrong[:3]:
        print(f"{code_page or '(none)'}: put {put!r}, ezdxf read {got!r}")
    return not wrong


def main(tool):
    ok = True
    with tempfile.TemporaryDirectory() as folder:
        for code_page in CODE_PAGES:
            if ezdxf_reads(code_page):
                ok = check(tool, code_page, folder) and ok
    print("ok" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
