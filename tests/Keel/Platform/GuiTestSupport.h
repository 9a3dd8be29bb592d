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
