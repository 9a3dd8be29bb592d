// The editor window of the host program: the module's GUI object in a GTK window.
#include "tools/hmxhost/EditorWindow.h"

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IHCFEffectGUI.h"

#include <gtk/gtk.h>

#include <cstdio>

namespace hmxhost {

namespace {

class ViewContainer : public HostObject<HMX_IHCFViewContainer> {
public:
  explicit ViewContainer(GtkWidget* window) : mWindow(window) {
    Offer(HMX_IID_ViewContainer_V1, static_cast<HMX_IHCFViewContainer*>(this));
  }
  void* NativeViewPtr() override { return mWindow; }
  HMX_Result RequestViewSize(const HMX_ViewSize* size) override {
    if (size)
      gtk_window_resize(GTK_WINDOW(mWindow), int(size->width), int(size->height));
    return HMX_SUCCESS;
  }

private:
  GtkWidget* mWindow;
};

gboolean QuitLoop(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_REMOVE;
}

} // namespace

bool ShowEditor(HMX_CreateProc createGUI, IHCFUnknown* controller, int showMs, std::string& error) {
  IHCFUnknown* made = createGUI ? createGUI() : nullptr;
  if (!made)
    return error = "the GUI's create procedure answered null", false;
  void* iface = nullptr;
  if (made->QueryInterface(HMX_IID_EffectGUI, &iface) != HMX_SUCCESS || !iface)
    return error = "the GUI object has no GUI interface", false;
  auto* gui = static_cast<HMX_IHCFEffectGUI*>(iface);

  bool ok = gui->InitializeGUI(controller) == HMX_SUCCESS;
  HMX_ViewSize size{0.0f, 0.0f};
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Velmora HMX host");
  ViewContainer container(window);
  if (ok) {
    gui->SetViewContainer(container.Unknown());
    gui->ReportViewSize(&size);
    std::printf("editor: %dx%d\n", int(size.width), int(size.height));
    if (size.width > 0 && size.height > 0)
      gtk_window_set_default_size(GTK_WINDOW(window), int(size.width), int(size.height));
    gtk_widget_show_all(window);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_timeout_add(guint(showMs), &QuitLoop, loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    gui->SetViewContainer(nullptr);
  } else {
    error = "InitializeGUI failed";
  }
  gui->TeardownGUI();
  gui->Release();
  gtk_widget_destroy(window);
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  if (ok && (size.width <= 0 || size.height <= 0))
    return error = "the GUI reported no view size", false;
  return ok;
}

} // namespace hmxhost
