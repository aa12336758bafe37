#!/usr/bin/env python3
"""Fails when a source file includes from a layer it may not use.

usage: check_layers.py SOURCE_DIR
       check_layers.py --planted   (checks that planted violations are caught)

The folders of src/ are layers, each allowed to use only the layers below it
that it needs (ALLOWED): the track files know nothing of pictures, the
library nothing of pictures or windows, the toolkit nothing of tracks; the
jobs (each user-level job once) nothing of windows; the program and the
command line use all but each other. A file may also include
the built-in resources. platform/linux and platform/win32 are private to the
platform layer. The toolkit backends (src/toolkit/qt, src/toolkit/win32) sit on
the toolkit and are included only by the program entries (main*.cpp of app and
cli, and the shell's thumbnail server). Operating-system headers belong to the platform layer, Qt and Windows
headers to the backends and the entries.
"""
import pathlib
import re
import sys
import tempfile

LOW = {"base", "platform", "raster", "trackfile", "preview", "library", "jobs", "toolkit"}
ALLOWED = {
    "base": {"base"},
    "platform": {"base", "platform"},
    "raster": {"base", "platform", "raster"},
    "trackfile": {"base", "platform", "trackfile"},
    "preview": {"base", "platform", "raster", "trackfile", "preview"},
    "library": {"base", "platform", "trackfile", "library"},
    "jobs": {"base", "platform", "trackfile", "preview", "library", "jobs"},
    "toolkit": {"base", "platform", "raster", "toolkit"},
    "app": LOW | {"app"},
    "cli": LOW | {"cli"},
    "shell": {"base", "platform", "raster", "trackfile", "preview", "shell"},
}
BACKENDS = ("toolkit/qt", "toolkit/win32")
PRIVATE = ("platform/linux", "platform/win32")
SYSTEM_HEADERS = re.compile(r"^(unistd|fcntl|dirent|sys/.*|windows|winbase|shlobj|shobjidl|commctrl|io)\.h$", re.I)
TOOLKIT_HEADERS = re.compile(r"^(Q[A-Za-z]+|windows\.h|commctrl\.h|commdlg\.h|shobjidl\.h)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(relative):
    """The layer (and whether it is a backend) of a path below src/."""
    for backend in BACKENDS:
        if relative.startswith(backend + "/"):
            return "toolkit", True
    return relative.split("/", 1)[0], False


def problems(source_dir):
    src = pathlib.Path(source_dir) / "src"
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(src).as_posix()
        layer, backend = layer_of(relative)
        # The shell's thumbnail server is a program entry of its own, made of COM.
        entry = layer in ("app", "cli") and path.stem in ("main", "main_win32") or layer == "shell"
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
            if target not in ALLOWED:
                yield f"{where}: not a header of a layer"
            elif header.startswith(tuple(p + "/" for p in PRIVATE)) and layer != "platform":
                yield f"{where}: private to the platform layer"
            elif target_backend and not (entry or header.split("/")[:2] == relative.split("/")[:2]):
                yield f"{where}: a toolkit backend is included only by the program entries"
            elif target not in ALLOWED.get(layer, ()):
                yield f"{where}: {layer} may not use {target}"


# Each planted file must be caught; the last ones are allowed and must not be.
PLANTED = [
    ("library/a.cpp", '#include "toolkit/toolkit.h"', True),
    ("library/a.cpp", '#include "jobs/copy_job.h"', True),
    ("jobs/a.cpp", '#include "toolkit/toolkit.h"', True),
    ("raster/a.cpp", '#include "trackfile/track_buffer.h"', True),
    ("preview/a.cpp", '#include "library/catalogue.h"', True),
    ("toolkit/a.cpp", '#include "app/ids.h"', True),
    ("app/a.cpp", '#include "cli/cli.h"', True),
    ("toolkit/win32/a.cpp", '#include "platform/win32/wide.h"', True),
    ("app/a.cpp", '#include "toolkit/qt/qt_toolkit.h"', True),
    ("library/a.cpp", "#include <unistd.h>", True),
    ("raster/a.cpp", "#include <QImage>", True),
    ("app/a.cpp", '#include "ui/toolkit.h"', True),
    ("toolkit/qt/a.cpp", '#include "preview/track_preview.h"', True),
    ("library/a.cpp", '#include "raster/picture.h"', True),
    ("trackfile/a.cpp", '#include "raster/picture.h"', True),
    ("preview/a.cpp", '#include "raster/picture.h"', False),
    ("platform/a.cpp", '#include "platform/linux/path_at.h"', False),
    ("app/main.cpp", '#include "toolkit/qt/qt_toolkit.h"', False),
    ("toolkit/qt/a.cpp", '#include "toolkit/qt/row_table_model.h"', False),
]


def planted():
    failures = 0
    for relative, line, caught in PLANTED:
        with tempfile.TemporaryDirectory() as root:
            path = pathlib.Path(root) / "src" / relative
            path.parent.mkdir(parents=True)
            path.write_text(line + "\n", encoding="utf-8")
            found = list(problems(root))
        if bool(found) != caught:
            print(f"{relative}: {line}: {'not caught' if caught else 'wrongly caught: ' + str(found)}")
            failures += 1
    print(f"layers: {len(PLANTED) - failures} of {len(PLANTED)} planted cases judged right")
    return 1 if failures else 0


def main():
    if sys.argv[1:] == ["--planted"]:
        return planted()
    found = list(problems(sys.argv[1]))
    for problem in found:
        print(problem)
    print(f"layers: {len(found)} includes beyond their layer's reach")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
