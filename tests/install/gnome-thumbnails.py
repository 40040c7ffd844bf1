# GNOME's own thumbnail factory, as GNOME Files runs it (sandboxed with
# bubblewrap), on the models of a folder: thumbnails FOLDER.
# Prints one line a model: its MIME type, size, and its pixels' colours.
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib, GnomeDesktop  # noqa: E402

factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.NORMAL)
for name in sys.argv[2:]:
    path = sys.argv[1] + "/" + name
    gfile = Gio.File.new_for_path(path)
    info = gfile.query_info("standard::content-type,time::modified", Gio.FileQueryInfoFlags.NONE, None)
    mime = info.get_content_type()
    mtime = info.get_attribute_uint64("time::modified")
    if not factory.can_thumbnail(gfile.get_uri(), mime, mtime):
        print(f"{name}: {mime}: cannot be thumbnailed")
        continue
    try:
        pixbuf = factory.generate_thumbnail(gfile.get_uri(), mime)
    except GLib.Error as error:
        print(f"{name}: {mime}: failed: {error.message}")
        continue
    pixels, channels = pixbuf.get_pixels(), pixbuf.get_n_channels()
    stride = pixbuf.get_rowstride()
    opaque = blue = grey = 0
    for y in range(pixbuf.get_height()):
        for x in range(pixbuf.get_width()):
            p = pixels[y * stride + x * channels: y * stride + x * channels + channels]
            if channels == 4 and p[3] < 255:
                continue
            opaque += 1
            blue += p[2] > 0 and p[0] <= p[2] // 4 and p[1] <= p[2] // 4
            grey += p[0] > 40 and abs(p[0] - p[1]) < 12 and abs(p[1] - p[2]) < 12
    print(f"{name}: {mime}: {pixbuf.get_width()}x{pixbuf.get_height()} alpha={pixbuf.get_has_alpha()} "
          f"opaque={opaque} blue={blue} grey={grey}")
