// Modal message box with UTF-8 texts (a GTK message dialog).
#include "Keel/Platform/MessageBoxUTF8.h"

#include "Keel/Platform/UTF8Text.h"

#include <cstdio>

#if __has_include(<gtk/gtk.h>)
#include <gtk/gtk.h>
#define VLM_HAVE_GTK 1
#endif

namespace keel {

std::pair<std::string, std::string> MessageBoxDisplayTexts(const char* text, const char* caption) {
  const std::string_view t = text ? text : "";
  const std::string_view c = caption ? caption : "";
  if (CheckUTF8(t) == 0 && CheckUTF8(c) == 0)
    return {std::string(t), std::string(c)}; // plain ASCII
  if (LooksLikeUTF8(t) && LooksLikeUTF8(c))
    return {CleanUTF8(t), CleanUTF8(c)};
  return {UTF8FromLegacyBytes(t), UTF8FromLegacyBytes(c)};
}

#ifdef VLM_HAVE_GTK

int MessageBoxUTF8(void* owner, const char* text, const char* caption, unsigned type) {
  if (!gdk_display_get_default() && !gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "MessageBox: no display: %s\n", text ? text : "");
    return kMessageBoxResultNone;
  }
  const auto [shownText, shownCaption] = MessageBoxDisplayTexts(text, caption);
  GtkMessageType icon = GTK_MESSAGE_OTHER;
  switch (type & 0xF0u) {
  case kMessageBoxIconError:
    icon = GTK_MESSAGE_ERROR;
    break;
  case kMessageBoxIconQuestion:
    icon = GTK_MESSAGE_QUESTION;
    break;
  case kMessageBoxIconWarning:
    icon = GTK_MESSAGE_WARNING;
    break;
  case kMessageBoxIconInformation:
    icon = GTK_MESSAGE_INFO;
    break;
  default:
    break;
  }
  GtkWidget* dialog = gtk_message_dialog_new(owner ? GTK_WINDOW(owner) : nullptr, GTK_DIALOG_MODAL, icon,
                                             GTK_BUTTONS_NONE, "%s", shownText.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), shownCaption.c_str());
  int closeAnswer = kMessageBoxResultCancel;
  switch (type & 0xFu) {
  case kMessageBoxOkCancel:
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Cancel", kMessageBoxResultCancel, "_OK", kMessageBoxResultOk,
                           nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), kMessageBoxResultOk);
    break;
  case kMessageBoxYesNoCancel:
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Cancel", kMessageBoxResultCancel, "_No", kMessageBoxResultNo,
                           "_Yes", kMessageBoxResultYes, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), kMessageBoxResultYes);
    break;
  case kMessageBoxYesNo:
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_No", kMessageBoxResultNo, "_Yes", kMessageBoxResultYes,
                           nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), kMessageBoxResultYes);
    closeAnswer = kMessageBoxResultNo;
    break;
  default:
    gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", kMessageBoxResultOk);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), kMessageBoxResultOk);
    closeAnswer = kMessageBoxResultOk;
    break;
  }
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  if (response == kMessageBoxResultOk || response == kMessageBoxResultCancel ||
      response == kMessageBoxResultYes || response == kMessageBoxResultNo)
    return response;
  return closeAnswer;
}

#else

int MessageBoxUTF8(void*, const char* text, const char* caption, unsigned) {
  const auto [shownText, shownCaption] = MessageBoxDisplayTexts(text, caption);
  std::fprintf(stderr, "%s: %s\n", shownCaption.c_str(), shownText.c_str());
  return kMessageBoxResultNone;
}

#endif

} // namespace keel
