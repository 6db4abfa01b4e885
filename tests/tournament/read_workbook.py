"""Reads a filled tournament workbook with openpyxl and prints what it finds as JSON.

Usage: read_workbook.py FILE CELL...
Pictures are found through openpyxl's own drawing reader, so that a machine without Pillow still
sees their anchors; with Pillow, openpyxl's loaded images are reported as well.
"""
import json
import sys
import zipfile
from xml.etree import ElementTree

import openpyxl
from openpyxl.drawing.spreadsheet_drawing import SpreadsheetDrawing
from openpyxl.packaging.relationship import get_dependents, get_rels_path
from openpyxl.reader.excel import ExcelReader
from openpyxl.xml.functions import fromstring

path, cells = sys.argv[1], sys.argv[2:]
wb = openpyxl.load_workbook(path)
ws = wb.active
out = {
    "sheet": ws.title,
    "values": {c: ws[c].value for c in cells},
    "borders": {c: ws[c].border.left.style for c in cells},
    "images": [],
    "rows": [],       # the sheet's rows in file order: [row number, [cell names in order]]
    "styles": {},     # the s attribute of every cell
    "drawings": 0,    # drawing parts the sheet refers to
}
MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"

reader = ExcelReader(path)
reader.read_manifest()
reader.read_workbook()
archive = zipfile.ZipFile(path)
for sheet, rel in reader.parser.find_sheets():
    if sheet.name != ws.title:
        continue
    sheet_xml = ElementTree.fromstring(archive.read(rel.target))
    for row in sheet_xml.iter(MAIN + "row"):
        cells_in_row = [c.get("r") for c in row.iter(MAIN + "c")]
        out["rows"].append([int(row.get("r")), cells_in_row])
        for c in row.iter(MAIN + "c"):
            out["styles"][c.get("r")] = c.get("s")
    out["children"] = [child.tag.replace(MAIN, "") for child in sheet_xml]
    rels_path = get_rels_path(rel.target)
    if rels_path not in archive.namelist():
        break
    for drawing_rel in get_dependents(archive, rels_path).find(SpreadsheetDrawing._rel_type):
        out["drawings"] += 1
        drawing = SpreadsheetDrawing.from_tree(fromstring(archive.read(drawing_rel.target)))
        deps = get_dependents(archive, get_rels_path(drawing_rel.target))
        for blip in drawing._blip_rels:
            target = deps[blip.embed].target
            data = archive.read(target)
            anchor = blip.anchor
            out["images"].append({
                "kind": type(anchor).__name__,
                "col": anchor._from.col,
                "row": anchor._from.row,
                "cx": anchor.ext.width if anchor.ext is not None else None,
                "cy": anchor.ext.height if anchor.ext is not None else None,
                "png": data[:8] == b"\x89PNG\r\n\x1a\n",
                "bytes": len(data),
            })

try:
    import PIL  # noqa: F401
    out["loaded"] = [[img.anchor._from.col, img.anchor._from.row, img.width, img.height]
                     for img in ws._images]
except ImportError:
    out["loaded"] = None

print(json.dumps(out, ensure_ascii=False))
