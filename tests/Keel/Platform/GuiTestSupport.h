// Test helper for browser-control tests: a top-level window with a container, main-loop pumping, and a
// private copy of the editor fixture page.
#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include <unistd.h>

namespace keeltest {

// Runs the GTK main loop until pred holds or timeoutMs pass; returns pred's last answer.
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 30000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end)
      return pred();
    if (!g_main_context_iteration(nullptr, FALSE))
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

inline void Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}

// The first widget of a GTK type name at or below `widget`, depth first.
inline GtkWidget* FindWidgetOfType(GtkWidget* widget, const char* typeName) {
  if (g_strcmp0(G_OBJECT_TYPE_NAME(widget), typeName) == 0)
    return widget;
  if (!GTK_IS_CONTAINER(widget))
    return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* c = children; c && !found; c = c->next)
    found = FindWidgetOfType(GTK_WIDGET(c->data), typeName);
  g_list_free(children);
  return found;
}

// A key as the window system delivers it to the focused window, with the modifier `state` held.
inline void TypeKey(GtkWidget* toplevel, guint keyval, GdkEventType type, guint state = 0) {
  GdkWindow* window = gtk_widget_get_window(toplevel);
  GdkEvent* event = gdk_event_new(type);
  event->key.window = GDK_WINDOW(g_object_ref(window));
  event->key.time = GDK_CURRENT_TIME;
  event->key.keyval = keyval;
  event->key.state = state;
  GdkDisplay* display = gdk_window_get_display(window);
  GdkKeymapKey* keys = nullptr;
  gint count = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys, &count) &&
      count > 0)
    event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
  g_free(keys);
  gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
  gtk_main_do_event(event);
  gdk_event_free(event);
}

// A window holding a box that the control goes into, and a temporary folder with the fixture page in
// "site/" and a file next to it that the page must never reach.
class GuiWindow {
public:
  GuiWindow() {
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 640, 480);
    box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(window), box);
    gtk_widget_show_all(window);
    char pattern[] = "/tmp/vlm-webgui-XXXXXX";
    if (mkdtemp(pattern)) {
      root = pattern;
      namespace fs = std::filesystem;
      const char* source = std::getenv("VLM_SOURCE_DIR");
      const fs::path fixtures = source ? fs::path(source) / "tests/Keel/fixtures/editor"
                                       : fs::path(__FILE__).parent_path().parent_path() / "fixtures/editor";
      fs::copy(fixtures, root / "site", fs::copy_options::recursive);
      FILE* f = std::fopen((root / "secret.txt").c_str(), "w");
      if (f) {
        std::fputs("secret", f);
        std::fclose(f);
      }
    }
  }
  ~GuiWindow() {
    if (window)
      gtk_widget_destroy(window);
    std::error_code ignored;
    if (!root.empty())
      std::filesystem::remove_all(root, ignored);
  }
  GuiWindow(const GuiWindow&) = delete;
  GuiWindow& operator=(const GuiWindow&) = delete;

  std::string Page(const char* name = "index.html") const { return (root / "site" / name).string(); }

  GtkWidget* window = nullptr;
  GtkWidget* box = nullptr;
  std::filesystem::path root;
};

} // namespace keeltest
