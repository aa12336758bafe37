#!/usr/bin/env python3
"""Fails when a source file includes from a layer above its own.

usage: check_layers.py SOURCE_DIR

The folders of src/ are layers, bottom to top:
    base < platform < ui < trackfile < preview < library < app, cli
A file may include headers of its own layer and of the layers below it, and the
built-in resources. The toolkit backends (src/ui/qt, src/ui/win32) sit on ui and
are included only by the program entries (main*.cpp of app and cli). Operating
system headers belong to the platform layer, Qt and Windows headers to the
backends and the entries.
"""
import pathlib
import re
import sys

RANK = {"base": 0, "platform": 1, "ui": 2, "trackfile": 3, "preview": 4, "library": 5, "app": 6, "cli": 6}
BACKENDS = ("ui/qt", "ui/win32")
SYSTEM_HEADERS = re.compile(r"^(unistd|fcntl|dirent|sys/.*|windows|winbase|shlobj|shobjidl|commctrl|io)\.h$", re.I)
TOOLKIT_HEADERS = re.compile(r"^(Q[A-Za-z]+|windows\.h|commctrl\.h|commdlg\.h|shobjidl\.h)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(relative):
    """The layer (and whether it is a backend) of a path below src/."""
    for backend in BACKENDS:
        if relative.startswith(backend + "/"):
            return "ui", True
    return relative.split("/", 1)[0], False


def problems(source_dir):
    src = pathlib.Path(source_dir) / "src"
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(src).as_posix()
        layer, backend = layer_of(relative)
        entry = layer in ("app", "cli") and path.stem in ("main", "main_win32")
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quote, header = match.groups()
            where = f"src/{relative}:{number}: {header}"
            if quote == "<":
                if SYSTEM_HEADERS.match(header) and layer != "platform" and not backend and not entry:
                    yield f"{where}: an operating-system header outside the platform layer"
                if TOOLKIT_HEADERS.match(header) and not backend and not entry and layer != "platform":
                    yield f"{where}: a toolkit header outside a backend or a program entry"
                continue
            if header.startswith("resources/"):
                continue
            target, target_backend = layer_of(header)
            if target not in RANK:
                yield f"{where}: not a header of a layer"
            elif target_backend and not (entry or header.split("/")[:2] == relative.split("/")[:2]):
                yield f"{where}: a toolkit backend is included only by the program entries"
            elif RANK[target] > RANK[layer] or (RANK[target] == RANK[layer] and target != layer):
                yield f"{where}: {layer} reaches up to {target}"


def main():
    found = list(problems(sys.argv[1]))
    for problem in found:
        print(problem)
    print(f"layers: {len(found)} includes point up")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
