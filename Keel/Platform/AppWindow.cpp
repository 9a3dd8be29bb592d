// GTK main window of the program.
#include "Keel/Platform/AppWindow.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <vector>

extern "C" unsigned char* stbi_write_png_to_mem(const unsigned char* pixels, int strideBytes, int x, int y, int n,
                                                int* outLength);

namespace keel {

struct AppWindow::Impl {
  void ApplyLimits(GtkWindow* window);

  EditorSizeLimits limits;
  GtkWidget* box = nullptr;
  GtkWidget* menuBar = nullptr;
  GtkWidget* editorArea = nullptr;
  GtkAccelGroup* accel = nullptr;
  int lastWidth = -1, lastHeight = -1;
  bool destroying = false;
  EditorSplash splash;
};

namespace {

// Marks an editor area with the AppWindow that holds it.
constexpr const char* kOwnerKey = "keel-app-window";

template <typename F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
    // Nothing unwinds into GTK.
  }
}

// Paints the splash under the editor (the handler runs before the area draws its children).
gboolean DrawSplash(GtkWidget* area, cairo_t* cr, gpointer data) {
  Guarded([&] {
    const EditorSplash& splash = *static_cast<const EditorSplash*>(data);
    cairo_set_source_rgb(cr, ((splash.rgb >> 16) & 0xFF) / 255.0, ((splash.rgb >> 8) & 0xFF) / 255.0,
                         (splash.rgb & 0xFF) / 255.0);
    cairo_paint(cr);
    if (splash.text.empty()) return;
    PangoLayout* layout = gtk_widget_create_pango_layout(area, splash.text.c_str());
    PangoFontDescription* font = pango_font_description_from_string("Sans");
    pango_font_description_set_absolute_size(font, splash.fontPx * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    PangoAttrList* attrs = pango_attr_list_new();
    pango_attr_list_insert(attrs, pango_attr_letter_spacing_new(splash.letterSpacingPx * PANGO_SCALE));
    pango_layout_set_attributes(layout, attrs);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_move_to(cr, (gtk_widget_get_allocated_width(area) - width) / 2.0,
                  (gtk_widget_get_allocated_height(area) - height) / 2.0);
    pango_cairo_show_layout(cr, layout);
    pango_attr_list_unref(attrs);
    pango_font_description_free(font);
    g_object_unref(layout);
  });
  return FALSE;
}

} // namespace

AppWindow::AppWindow(AppWindowCallbacks callbacks) : mImpl(new Impl), mCallbacks(std::move(callbacks)) {}

AppWindow::~AppWindow() {
  Destroy();
  delete mImpl;
}

bool AppWindow::Create(const char* title, int editorWidth, int editorHeight, const EditorSizeLimits& limits,
                       const EditorSplash& splash) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  mWindow = window;
  gtk_window_set_title(GTK_WINDOW(window), title);
  mImpl->box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(window), mImpl->box);

  mImpl->accel = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(window), mImpl->accel);
  mImpl->menuBar = gtk_menu_bar_new();
  GtkWidget* fileItem = gtk_menu_item_new_with_mnemonic("_File");
  GtkWidget* fileMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(fileItem), fileMenu);
  GtkWidget* prefs = gtk_menu_item_new_with_mnemonic("_Preferences...");
  gtk_widget_add_accelerator(prefs, "activate", mImpl->accel, GDK_KEY_comma, GDK_CONTROL_MASK, GTK_ACCEL_VISIBLE);
  GtkWidget* quit = gtk_menu_item_new_with_mnemonic("_Quit");
  gtk_menu_shell_append(GTK_MENU_SHELL(fileMenu), prefs);
  gtk_menu_shell_append(GTK_MENU_SHELL(fileMenu), quit);
  gtk_menu_shell_append(GTK_MENU_SHELL(mImpl->menuBar), fileItem);
  gtk_box_pack_start(GTK_BOX(mImpl->box), mImpl->menuBar, FALSE, FALSE, 0);

  mImpl->editorArea = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  g_object_set_data(G_OBJECT(mImpl->editorArea), kOwnerKey, this);
  gtk_box_pack_start(GTK_BOX(mImpl->box), mImpl->editorArea, TRUE, TRUE, 0);
  mImpl->splash = splash;
  if (!splash.text.empty() || splash.rgb != 0)
    g_signal_connect(mImpl->editorArea, "draw", G_CALLBACK(DrawSplash), &mImpl->splash);

  g_signal_connect(prefs, "activate", G_CALLBACK(+[](GtkMenuItem*, gpointer self) {
                     Guarded([&] {
                       auto* w = static_cast<AppWindow*>(self);
                       if (w->mCallbacks.preferences) w->mCallbacks.preferences();
                     });
                   }),
                   this);
  g_signal_connect(quit, "activate", G_CALLBACK(+[](GtkMenuItem*, gpointer self) {
                     Guarded([&] { static_cast<AppWindow*>(self)->Destroy(); });
                   }),
                   this);
  g_signal_connect(mImpl->editorArea, "size-allocate", G_CALLBACK(+[](GtkWidget*, GdkRectangle* a, gpointer self) {
                     Guarded([&] {
                       auto* w = static_cast<AppWindow*>(self);
                       if (a->width == w->mImpl->lastWidth && a->height == w->mImpl->lastHeight) return;
                       w->mImpl->lastWidth = a->width;
                       w->mImpl->lastHeight = a->height;
                       if (w->mCallbacks.editorAreaResized) w->mCallbacks.editorAreaResized(a->width, a->height);
                     });
                   }),
                   this);
  g_signal_connect(window, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                     Guarded([&] { static_cast<AppWindow*>(self)->Destroy(); });
                     return TRUE;
                   }),
                   this);

  gtk_widget_show_all(mImpl->box);
  mImpl->limits = limits;
  mImpl->ApplyLimits(GTK_WINDOW(window));
  GtkRequisition menu;
  gtk_widget_get_preferred_size(mImpl->menuBar, &menu, nullptr);
  const WindowSize size = WindowSizeForEditorArea(editorWidth, editorHeight, 1.0, {0, menu.height});
  gtk_window_set_default_size(GTK_WINDOW(window), size.width, size.height);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);

  if (mCallbacks.openEditor) mCallbacks.openEditor(mImpl->editorArea);
  gtk_widget_show_all(window);
  return true;
}

void AppWindow::Destroy() {
  if (!mWindow || mImpl->destroying) return;
  mImpl->destroying = true;
  Guarded([&] {
    if (mCallbacks.closeEditor) mCallbacks.closeEditor();
  });
  GtkWidget* window = static_cast<GtkWidget*>(mWindow);
  mWindow = nullptr;
  gtk_widget_destroy(window);
  mImpl->box = mImpl->menuBar = mImpl->editorArea = nullptr;
  if (mImpl->accel) g_object_unref(mImpl->accel);
  mImpl->accel = nullptr;
  mImpl->destroying = false;
  Guarded([&] {
    if (mCallbacks.destroyed) mCallbacks.destroyed();
  });
}

// The menu bar counts in the window's limits; the editor's limits are for the area below it. GTK sizes are
// logical pixels already, so the scale is 1.
void AppWindow::Impl::ApplyLimits(GtkWindow* window) {
  if (!editorArea) return;
  gtk_widget_set_size_request(editorArea, limits.minWidth, limits.minHeight);
  GtkRequisition menu{0, 0};
  if (menuBar) gtk_widget_get_preferred_size(menuBar, &menu, nullptr);
  const WindowSize frame{0, menu.height};
  const WindowSize minimum = MinimumWindowSize(limits.minWidth, limits.minHeight, 1.0, frame);
  const WindowSize maximum = WindowSizeForEditorArea(limits.maxWidth, limits.maxHeight, 1.0, frame);
  GdkGeometry geometry{};
  geometry.min_width = minimum.width;
  geometry.min_height = minimum.height;
  geometry.max_width = maximum.width;
  geometry.max_height = maximum.height;
  gtk_window_set_geometry_hints(window, nullptr, &geometry, GdkWindowHints(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
}

void AppWindow::ResizeToEditor(int width, int height) {
  if (!mWindow) return;
  // The editor follows the area while the user drags the window: asking the window manager for the size it
  // has just given would only fight the drag.
  if (mImpl->editorArea && gtk_widget_get_realized(mImpl->editorArea) &&
      gtk_widget_get_allocated_width(mImpl->editorArea) == width &&
      gtk_widget_get_allocated_height(mImpl->editorArea) == height)
    return;
  GtkRequisition menu{0, 0};
  if (mImpl->menuBar) gtk_widget_get_preferred_size(mImpl->menuBar, &menu, nullptr);
  const WindowSize size = WindowSizeForEditorArea(width, height, 1.0, {0, menu.height});
  gtk_window_resize(GTK_WINDOW(mWindow), size.width, size.height);
}

void AppWindow::SetEditorLimits(const EditorSizeLimits& limits) {
  if (!mWindow || limits == mImpl->limits) return;
  mImpl->limits = limits;
  mImpl->ApplyLimits(GTK_WINDOW(mWindow));
}

namespace {

AppWindow* OwnerOf(GtkWidget* editorArea) {
  return static_cast<AppWindow*>(g_object_get_data(G_OBJECT(editorArea), kOwnerKey));
}

GtkWidget* AsWidget(void* editorArea) {
  return editorArea && GTK_IS_WIDGET(editorArea) ? GTK_WIDGET(editorArea) : nullptr;
}

} // namespace

bool GetEditorAreaSize(void* editorArea, int& width, int& height) {
  width = height = 0;
  GtkWidget* area = AsWidget(editorArea);
  if (!area || !gtk_widget_get_realized(area)) return false;
  width = gtk_widget_get_allocated_width(area);
  height = gtk_widget_get_allocated_height(area);
  return width > 0 && height > 0;
}

void ResizeEditorArea(void* editorArea, int width, int height) {
  GtkWidget* area = AsWidget(editorArea);
  if (!area) return;
  if (AppWindow* owner = OwnerOf(area)) {
    owner->ResizeToEditor(width, height);
    return;
  }
  // Any other window: its frame is whatever surrounds the area now.
  GtkWidget* top = gtk_widget_get_toplevel(area);
  if (!GTK_IS_WINDOW(top) || !gtk_widget_get_realized(area)) return;
  int windowWidth = 0, windowHeight = 0;
  gtk_window_get_size(GTK_WINDOW(top), &windowWidth, &windowHeight);
  const WindowSize frame{std::max(0, windowWidth - gtk_widget_get_allocated_width(area)),
                         std::max(0, windowHeight - gtk_widget_get_allocated_height(area))};
  const WindowSize size = WindowSizeForEditorArea(width, height, 1.0, frame);
  gtk_window_resize(GTK_WINDOW(top), size.width, size.height);
}

void SetEditorAreaLimits(void* editorArea, const EditorSizeLimits& limits) {
  GtkWidget* area = AsWidget(editorArea);
  if (AppWindow* owner = area ? OwnerOf(area) : nullptr) owner->SetEditorLimits(limits);
}

void AppWindow::Present() {
  if (mWindow) gtk_window_present(GTK_WINDOW(mWindow));
}

bool AppWindow::ActivateAccelerator(unsigned keyval, unsigned modifiers) {
  if (!mWindow) return false;
  return gtk_accel_groups_activate(G_OBJECT(mWindow), keyval, GdkModifierType(modifiers)) != FALSE;
}

void AppWindow::SetIconPngs(const std::vector<std::string_view>& pngs) {
  if (!mWindow)
    return;
  GList* icons = nullptr;
  for (std::string_view png : pngs) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
    if (!loader)
      continue;
    const bool written =
        gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(png.data()), png.size(), nullptr);
    const bool closed = gdk_pixbuf_loader_close(loader, nullptr); // always, so that the loader can go
    GdkPixbuf* pixbuf = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (pixbuf)
      icons = g_list_append(icons, g_object_ref(pixbuf));
    g_object_unref(loader);
  }
  if (!icons)
    return;
  gtk_window_set_icon_list(GTK_WINDOW(mWindow), icons);
  gtk_window_set_default_icon_list(icons);
  g_list_free_full(icons, g_object_unref);
}

bool AppWindow::CaptureEditorToPng(const std::string& path) {
  if (!mWindow || path.empty() || !mImpl->editorArea) return false;
  GtkAllocation a;
  gtk_widget_get_allocation(mImpl->editorArea, &a);
  GdkWindow* gdkWindow = gtk_widget_get_window(mImpl->editorArea);
  if (!gdkWindow || a.width <= 0 || a.height <= 0) return false;
  // Read from the screen, so that the browser's own child windows are in the picture too.
  int originX = 0, originY = 0;
  gdk_window_get_origin(gdkWindow, &originX, &originY);
  GdkPixbuf* pixbuf =
      gdk_pixbuf_get_from_window(gdk_get_default_root_window(), originX + a.x, originY + a.y, a.width, a.height);
  if (!pixbuf) pixbuf = gdk_pixbuf_get_from_window(gdkWindow, a.x, a.y, a.width, a.height);
  if (!pixbuf) return false;
  const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf), stride = gdk_pixbuf_get_rowstride(pixbuf);
  const guchar* src = gdk_pixbuf_get_pixels(pixbuf);
  std::vector<unsigned char> rgba(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const guchar* p = src + size_t(y) * stride + size_t(x) * channels;
      unsigned char* q = &rgba[(size_t(y) * w + x) * 4];
      q[0] = p[0], q[1] = p[1], q[2] = p[2], q[3] = 255;
    }
  g_object_unref(pixbuf);
  int length = 0;
  unsigned char* png = stbi_write_png_to_mem(rgba.data(), w * 4, w, h, 4, &length);
  if (!png) return false;
  FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = false;
  if (f) {
    ok = std::fwrite(png, 1, size_t(length), f) == size_t(length);
    ok = std::fclose(f) == 0 && ok;
  }
  std::free(png);
  return ok;
}

void RunAfter(unsigned delayMs, std::function<void()> fn) {
  auto* heap = new std::function<void()>(std::move(fn));
  g_timeout_add_full(G_PRIORITY_DEFAULT, delayMs,
                     [](gpointer data) -> gboolean {
                       Guarded([&] { (*static_cast<std::function<void()>*>(data))(); });
                       return G_SOURCE_REMOVE;
                     },
                     heap, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

void QuitOnTerminationSignals(std::function<void()> onSignal) {
  static std::function<void()> handler;
  handler = std::move(onSignal);
  auto run = [](gpointer) -> gboolean {
    Guarded([] {
      if (handler) handler();
    });
    return G_SOURCE_CONTINUE;
  };
  g_unix_signal_add(SIGTERM, run, nullptr);
  g_unix_signal_add(SIGINT, run, nullptr);
}

bool InitGtk(int* argc, char*** argv) {
  gtk_disable_setlocale();
  return gtk_init_check(argc, argv) != FALSE;
}

void RunMainLoop() { gtk_main(); }
void QuitMainLoop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

} // namespace keel
