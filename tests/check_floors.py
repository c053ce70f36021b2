#!/usr/bin/env python3
"""Keeps the floors of src/: reads every #include and fails, naming file and line, on one that
reaches up or sideways. Usage: check_floors.py SRC_DIR QTWIDGETS_INCLUDE_DIR"""
import pathlib
import re
import sys

src = pathlib.Path(sys.argv[1])
widgets_dir = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 else None
# A folder may include its own files and those of a lower floor only.
floor = {"core": 0, "widgets": 1, "projects": 2, "params": 2, "i18n": 2, "update": 3, "app": 4, "tool": 4}
qt_widgets = {p.name for p in widgets_dir.iterdir()} if widgets_dir and widgets_dir.is_dir() else set()
qt_widgets |= {"QtWidgets", "QApplication", "QWidget", "QMessageBox", "QDialog", "QLabel", "QPushButton"}
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def is_window(path):
    """Window modules, the widgets folder and the program's own entry point."""
    folder = path.parent.name
    return re.match(r"U[A-Z]", path.name) or folder == "widgets" or (folder == "app" and path.name == "main.cpp")


faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp") or path.parent.name not in floor:
        continue
    here = path.parent.name
    for number, text in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        m = include.match(text)
        if not m:
            continue
        kind, name = m.groups()
        where = f"{path.relative_to(src.parent)}:{number}: {text.strip()}"
        target = name.split("/")[0] if kind == '"' and "/" in name else None
        if target in floor and target != here:
            if here == "core":
                faults.append(f"{where}: core/ includes nothing from another folder")
            elif target in ("app", "tool") and here not in ("app", "tool"):
                faults.append(f"{where}: only app/ and tool/ stand on app/ or tool/")
            elif floor[target] >= floor[here]:
                faults.append(f"{where}: {here}/ may not include {target}/ (same floor or above)")
        if not is_window(path):
            qt_name = name.split("/")[-1] if kind == "<" else None
            if kind == '"' and (target == "widgets" or re.match(r"U[A-Z]", name.split("/")[-1])):
                faults.append(f"{where}: a file without widgets includes a window module")
            elif qt_name in qt_widgets or (kind == "<" and name.startswith("QtWidgets")):
                faults.append(f"{where}: a file without widgets includes Qt Widgets")

for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
