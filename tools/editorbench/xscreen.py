"""A small reader of the X screen through libX11 (ctypes): no toolkit, so it can poll fast and cheaply."""
import ctypes
import ctypes.util

_x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")


class XImage(ctypes.Structure):
    # Only the leading fields are read; the structure continues in libX11.
    _fields_ = [
        ("width", ctypes.c_int),
        ("height", ctypes.c_int),
        ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int),
        ("data", ctypes.c_void_p),
        ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
    ]


_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XDefaultRootWindow.restype = ctypes.c_ulong
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
_x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
_x11.XGetImage.restype = ctypes.POINTER(XImage)
_x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                           ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
_x11.XFree.argtypes = [ctypes.c_void_p]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

_ALL_PLANES = 0xFFFFFFFF
_Z_PIXMAP = 2


class Screen:
    def __init__(self, display_name=None):
        self._dpy = _x11.XOpenDisplay(display_name.encode() if display_name else None)
        if not self._dpy:
            raise RuntimeError("cannot open the X display")
        self._root = _x11.XDefaultRootWindow(self._dpy)
        self.width = _x11.XDisplayWidth(self._dpy, 0)
        self.height = _x11.XDisplayHeight(self._dpy, 0)

    def grab(self, row_step=24, step=2):
        """Every step-th pixel of every row_step-th row of the screen, as three planes (B, G, R) of bytes.
        Rows are read one by one: a whole screen per grab costs tens of milliseconds, a few rows well under
        one, so the watcher neither misses the moment nor slows the program it watches."""
        planes = ([], [], [])
        for y in range(row_step // 2, self.height, row_step):
            img = _x11.XGetImage(self._dpy, self._root, 0, y, self.width, 1, _ALL_PLANES, _Z_PIXMAP)
            if not img:
                continue
            try:
                im = img.contents
                raw = ctypes.string_at(im.data, im.bytes_per_line)
                stride = (im.bits_per_pixel // 8) * step
                for c in range(3):
                    planes[c].append(raw[c:im.width * (im.bits_per_pixel // 8):stride])
            finally:
                # The image and its data come from malloc (what the XDestroyImage macro frees).
                _x11.XFree(img.contents.data)
                _x11.XFree(img)
        return tuple(b"".join(p) for p in planes)

    def close(self):
        _x11.XCloseDisplay(self._dpy)


def differing_fraction(a, b):
    """Share of samples that differ in any plane between two grabs of the same screen."""
    if not a[0] or len(a[0]) != len(b[0]):
        return 1.0
    diff = sum(1 for x, y, z, u, v, w in zip(a[0], a[1], a[2], b[0], b[1], b[2]) if x != u or y != v or z != w)
    return diff / len(a[0])
