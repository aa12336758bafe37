#!/usr/bin/env python3
"""Asks GNOME's thumbnail factory, as Files asks it, for the thumbnail of each
file named; prints one line a file: its content type, then the thumbnail's
size or "none", and exits 1 when a PNG given beside a file differs from it.

usage: thumbnail_factory.py FILE[=EXPECTED.png] ...
"""
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GLib, GnomeDesktop  # noqa: E402

factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.LARGE)
status = 0
for arg in sys.argv[1:]:
    path, _, expected = arg.partition("=")
    file = Gio.File.new_for_path(path)
    info = file.query_info("standard::content-type,time::modified", Gio.FileQueryInfoFlags.NONE, None)
    mime, mtime = info.get_content_type(), info.get_attribute_uint64("time::modified")
    uri = file.get_uri()
    if not factory.can_thumbnail(uri, mime, mtime):
        print(f"{mime} none (no thumbnailer)")
        continue
    try:
        made = factory.generate_thumbnail(uri, mime, None)
    except GLib.Error as e:
        made = None
        factory.create_failed_thumbnail(uri, mtime, None)
    if made is None:
        print(f"{mime} none")
        continue
    factory.save_thumbnail(made, uri, mtime, None)
    print(f"{mime} {made.get_width()}x{made.get_height()}")
    if expected:
        ours = GdkPixbuf.Pixbuf.new_from_file(expected)
        def rgb(p):
            data, n, stride = p.get_pixels(), p.get_n_channels(), p.get_rowstride()
            return bytes(data[y * stride + x * n + c] for y in range(p.get_height())
                         for x in range(p.get_width()) for c in range(3))
        if (ours.get_width(), ours.get_height()) != (made.get_width(), made.get_height()) or rgb(ours) != rgb(made):
            print(f"{path}: the thumbnail differs from {expected}")
            status = 1
sys.exit(status)
