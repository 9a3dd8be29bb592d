// GTK clipboard (the desktop's CLIPBOARD selection) as UTF-8 text.
#include "Keel/Platform/Clipboard.h"

#include <glib.h>

#if __has_include(<gtk/gtk.h>)
#define KEEL_HAVE_GTK 1
#include <gtk/gtk.h>
#endif

namespace keel {

#ifdef KEEL_HAVE_GTK

namespace {

using Done = std::function<void(const std::string&)>;

void Finish(Done& done, const std::string& text) {
  try {
    done(text);
  } catch (...) {
    g_printerr("Clipboard: text handler failed\n");
  }
}

void OnTextReceived(GtkClipboard*, const gchar* text, gpointer data) {
  // Asynchronous on purpose: a nested wait would run the main loop inside a page message.
  auto* done = static_cast<Done*>(data);
  Finish(*done, text ? std::string(text) : std::string());
  delete done;
}

} // namespace

void RequestClipboardText(std::function<void(const std::string&)> done) {
  if (!done)
    return;
  GdkDisplay* display = gdk_display_get_default();
  if (!display) {
    Finish(done, std::string());
    return;
  }
  GtkClipboard* clipboard = gtk_clipboard_get_for_display(display, GDK_SELECTION_CLIPBOARD);
  gtk_clipboard_request_text(clipboard, OnTextReceived, new Done(std::move(done)));
}

bool WriteClipboardText(const std::string& text) {
  GdkDisplay* display = gdk_display_get_default();
  if (!display)
    return false;
  GtkClipboard* clipboard = gtk_clipboard_get_for_display(display, GDK_SELECTION_CLIPBOARD);
  gtk_clipboard_set_text(clipboard, text.data(), static_cast<gint>(text.size()));
  // Keep the text available after the program ends where a clipboard manager runs.
  gtk_clipboard_set_can_store(clipboard, nullptr, 0);
  return true;
}

#else // no GTK in this build: there is no clipboard.

void RequestClipboardText(std::function<void(const std::string&)> done) {
  if (done)
    done(std::string());
}

bool WriteClipboardText(const std::string&) {
  return false;
}

#endif

} // namespace keel
