#!/usr/bin/env python3
"""Keeps the floors of src/: reads every #include and fails, naming file and line, on one that
reaches up or sideways, on a circle of includes between the files of one folder, and on a file
of src/ that SRC_DIR/CMakeLists.txt does not list by name.
What differs between the systems lives in platform files: X_posix.cpp and X_win.cpp belong to
module X of their folder and implement its header X.h. Only they include the system's own
headers, each its own system's, and SRC_DIR/CMakeLists.txt lists each under its system's branch
of an if(WIN32) ... else() ... endif(); shared files test no system with #if.
Usage: check_floors.py SRC_DIR QTWIDGETS_INCLUDE_DIR"""
import collections
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
platform_file = re.compile(r"^(?P<module>\w+)_(?P<system>posix|win)\.cpp$")
system_test = re.compile(r"^\s*#\s*(?:if|ifdef|ifndef|elif)\b.*\b(?:Q_OS_\w+|_WIN32|_WIN64|__linux__|__unix__|__APPLE__)\b")
posix_headers = {"unistd.h", "poll.h", "pwd.h", "grp.h", "dlfcn.h", "netdb.h", "termios.h", "syslog.h"}
posix_folders = ("sys/", "arpa/", "netinet/", "net/")
windows_headers = {"windows.h", "winsock2.h", "ws2tcpip.h", "iphlpapi.h", "icmpapi.h", "shlobj.h", "knownfolders.h",
                   "shellapi.h", "io.h", "tlhelp32.h", "winternl.h"}


def system_of_header(name):
    """The system a header of <...> belongs to, or None for a header every system has."""
    lower = name.lower()
    if lower in posix_headers or lower.startswith(posix_folders):
        return "posix"
    if lower in windows_headers or re.match(r"win\w*\.h$", lower):
        return "win"
    return None


def module_of(path):
    """X for X.h, X.cpp and the platform files X_posix.cpp, X_win.cpp."""
    m = platform_file.match(path.name)
    return m.group("module") if m else path.stem


def is_window(path):
    """Window modules, the widgets folder and the program's own entry point."""
    folder = path.parent.name
    return re.match(r"U[A-Z]", path.name) or folder == "widgets" or (folder == "app" and path.name == "main.cpp")


faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp") or path.parent.name not in floor:
        continue
    here = path.parent.name
    platform = platform_file.match(path.name)
    system = platform.group("system") if platform else None
    if platform and not (path.parent / f"{platform.group('module')}.h").is_file():
        faults.append(f"{path.relative_to(src.parent)}: a platform file without its header "
                      f"{platform.group('module')}.h in {here}/")
    for number, text in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        where = f"{path.relative_to(src.parent)}:{number}: {text.strip()}"
        if not platform and system_test.match(text):
            faults.append(f"{where}: a shared file tests the system; put the difference in platform files")
        m = include.match(text)
        if not m:
            continue
        kind, name = m.groups()
        header_system = system_of_header(name) if kind == "<" else None
        if header_system and header_system != system:
            owner = "shared files" if not system else f"{system} files"
            faults.append(f"{where}: a {header_system} header, which {owner} may not include")
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



def circles():
    """Circles of includes between a folder's modules (X.h and X.cpp are module X), enough to name
    every module caught in one, each step with the include that makes it."""
    found = []
    modules = collections.defaultdict(lambda: collections.defaultdict(dict))  # folder -> module -> used -> where
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.parent.relative_to(src).as_posix()
        module = module_of(path)
        for number, text in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            m = include.match(text)
            if not m or m.group(1) != '"':
                continue
            target = pathlib.PurePosixPath(m.group(2))
            used = target.stem
            if target.parent.as_posix() in (folder, ".") and used != module:
                modules[folder][module].setdefault(used, f"{path.relative_to(src.parent)}:{number}")
    for folder, graph in sorted(modules.items()):
        for knot in knots(graph):
            named = set()
            for start in sorted(knot):
                if start in named:
                    continue
                ring = shortest_ring(graph, start, knot)
                named.update(ring)
                steps = ", ".join(graph[a][b] for a, b in zip(ring, ring[1:]))
                found.append(f"src/{folder}: a circle of includes: {' -> '.join(ring)} ({steps})")
    return found


def knots(graph):
    """The strongly connected sets of more than one module (Tarjan)."""
    index, low, stack, on_stack, result = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for used in graph.get(node, {}):
            if used not in index:
                visit(used)
                low[node] = min(low[node], low[used])
            elif used in on_stack:
                low[node] = min(low[node], index[used])
        if low[node] == index[node]:
            knot = set()
            while True:
                member = stack.pop()
                on_stack.discard(member)
                knot.add(member)
                if member == node:
                    break
            if len(knot) > 1:
                result.append(knot)

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return sorted(result, key=min)


def shortest_ring(graph, start, knot):
    """The shortest way from start back to itself inside the knot, start named at both ends."""
    before = {start: None}
    queue = collections.deque([start])
    while queue:
        node = queue.popleft()
        for used in sorted(graph.get(node, {})):
            if used == start:
                path = []
                while node is not None:
                    path.append(node)
                    node = before[node]
                return path[::-1] + [start]
            if used in knot and used not in before:
                before[used] = node
                queue.append(used)
    return [start, start]




def listed_files(listing):
    """Each file that the listing names, with the system of the if(WIN32) branch it stands in
    (None outside one); comments do not count."""
    listed = {}
    branches = []  # per open if(): "win", "posix" or None
    for line in listing.read_text(encoding="utf-8").splitlines():
        code = line.split("#", 1)[0]
        command = re.match(r"\s*(if|elseif|else|endif)\s*\((.*)\)", code)
        if command:
            word, condition = command.group(1), re.sub(r"\s+", " ", command.group(2).strip())
            if word == "if":
                branches.append({"WIN32": "win", "NOT WIN32": "posix", "UNIX": "posix"}.get(condition))
            elif word == "else" and branches and branches[-1]:
                branches[-1] = "posix" if branches[-1] == "win" else "win"
            elif word == "elseif" and branches:
                branches[-1] = None
            elif word == "endif" and branches:
                branches.pop()
            continue
        system = next((b for b in reversed(branches) if b), None)
        for name in re.findall(r"[\w./-]+\.(?:cpp|h)\b", code):
            listed.setdefault(name, set()).add(system)
    return listed


def unlisted():
    """Files of src/ that no list in src/CMakeLists.txt names, and platform files listed outside
    their system's branch (or shared files inside one)."""
    listing = src / "CMakeLists.txt"
    listed = listed_files(listing)
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        name = path.relative_to(src).as_posix()
        where = f"{path.relative_to(src.parent)}"
        platform = platform_file.match(path.name)
        want = platform.group("system") if platform else None
        if name not in listed:
            found.append(f"{where}: not listed in {listing.relative_to(src.parent)}")
        elif listed[name] != {want}:
            branch = f"the {want} branch of an if(WIN32)" if want else "no system's branch"
            found.append(f"{where}: listed in {listing.relative_to(src.parent)} outside {branch}")
    return found


faults += circles()
faults += unlisted()
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
