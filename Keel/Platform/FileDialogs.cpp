// Native open, save and folder pickers over GTK file choosers.
#include "Keel/Platform/FileDialogs.h"

#include <cctype>
#include <sys/stat.h>

#if __has_include(<gtk/gtk.h>)
#include <gtk/gtk.h>
#define KEEL_HAVE_GTK 1
#endif

namespace keel {

std::vector<std::string> CaseInsensitivePatterns(const std::string& patterns) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= patterns.size()) {
    std::size_t end = patterns.find(';', start);
    if (end == std::string::npos)
      end = patterns.size();
    const std::string one = patterns.substr(start, end - start);
    start = end + 1;
    if (one.empty())
      continue;
    if (one == "*.*") {
      out.emplace_back("*");
      continue;
    }
    std::string glob;
    for (const char c : one) {
      const unsigned char u = static_cast<unsigned char>(c);
      if (std::isalpha(u) && u < 0x80) {
        glob += '[';
        glob += static_cast<char>(std::tolower(u));
        glob += static_cast<char>(std::toupper(u));
        glob += ']';
      } else {
        glob += c;
      }
    }
    out.push_back(glob);
  }
  return out;
}

std::string AppendMissingExtension(const std::string& path, const std::string& extension) {
  if (extension.empty())
    return path;
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  // A leading dot names a hidden file, not an extension.
  if (dot != std::string::npos && dot > 0 && dot + 1 < name.size())
    return path;
  return (!name.empty() && name.back() == '.' ? path : path + ".") + extension;
}

#ifdef KEEL_HAVE_GTK

namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

GtkWindow* OwnerWindow(void* owner) {
  if (!owner || !GTK_IS_WIDGET(owner))
    return nullptr;
  GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(owner));
  return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

bool HaveDisplay() {
  return gdk_display_get_default() != nullptr || gtk_init_check(nullptr, nullptr);
}

std::string TakeFilename(GtkFileChooser* chooser) {
  gchar* name = gtk_file_chooser_get_filename(chooser);
  std::string out = name ? name : "";
  g_free(name);
  return out;
}

struct SaveState {
  std::string extension;
  std::string chosen;
};

// The chooser's own question only covers the name as typed; the default extension may name another
// file, so the question is asked here about the name that will really be written.
void OnSaveResponse(GtkDialog* dialog, gint response, gpointer data) {
  auto* state = static_cast<SaveState*>(data);
  if (response != GTK_RESPONSE_ACCEPT)
    return;
  const std::string typed = TakeFilename(GTK_FILE_CHOOSER(dialog));
  if (typed.empty()) {
    g_signal_stop_emission_by_name(dialog, "response");
    return;
  }
  const std::string path = AppendMissingExtension(typed, state->extension);
  if (Exists(path)) {
    gchar* base = g_path_get_basename(path.c_str());
    GtkWidget* ask =
        gtk_message_dialog_new(GTK_WINDOW(dialog), GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO,
                               "%s already exists.\nDo you want to replace it?", base);
    g_free(base);
    gtk_window_set_title(GTK_WINDOW(ask), "Confirm Save As");
    const gint answer = gtk_dialog_run(GTK_DIALOG(ask));
    gtk_widget_destroy(ask);
    if (answer != GTK_RESPONSE_YES) {
      g_signal_stop_emission_by_name(dialog, "response");
      return;
    }
  }
  state->chosen = path;
}

} // namespace

bool ShowFileDialog(void* owner, const FileDialogRequest& request, std::string& path) {
  if (!HaveDisplay())
    return false;
  const GtkFileChooserAction action =
      request.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN;
  const char* title = !request.title.empty() ? request.title.c_str() : request.save ? "Save As" : "Open";
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(title, OwnerWindow(owner), action, "_Cancel", GTK_RESPONSE_CANCEL,
                                  request.save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  if (!dialog)
    return false;
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
  for (std::size_t i = 0; i < request.filters.size(); ++i) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, request.filters[i].label.c_str());
    for (const std::string& glob : CaseInsensitivePatterns(request.filters[i].patterns))
      gtk_file_filter_add_pattern(filter, glob.c_str());
    gtk_file_chooser_add_filter(chooser, filter); // the chooser takes the floating reference
    if (i == 0)
      gtk_file_chooser_set_filter(chooser, filter);
  }
  if (IsFolder(request.startFolder))
    gtk_file_chooser_set_current_folder(chooser, request.startFolder.c_str());
  if (!request.fileName.empty()) {
    if (request.save) {
      gtk_file_chooser_set_current_name(chooser, request.fileName.c_str());
    } else if (IsFolder(request.startFolder)) {
      gchar* full = g_build_filename(request.startFolder.c_str(), request.fileName.c_str(), nullptr);
      if (Exists(full))
        gtk_file_chooser_set_filename(chooser, full);
      g_free(full);
    }
  }
  SaveState state{request.defaultExtension, {}};
  if (request.save)
    g_signal_connect(dialog, "response", G_CALLBACK(OnSaveResponse), &state);
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  std::string chosen;
  if (response == GTK_RESPONSE_ACCEPT)
    chosen = request.save ? state.chosen : TakeFilename(chooser);
  gtk_widget_destroy(dialog);
  if (chosen.empty())
    return false;
  path = chosen;
  return true;
}

bool ShowFolderDialog(void* owner, const std::string& startFolder, const std::string& title,
                      std::string& path) {
  if (!HaveDisplay())
    return false;
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(!title.empty() ? title.c_str() : "Select Folder", OwnerWindow(owner),
                                  GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel", GTK_RESPONSE_CANCEL,
                                  "_Select", GTK_RESPONSE_ACCEPT, nullptr);
  if (!dialog)
    return false;
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  gtk_file_chooser_set_create_folders(chooser, TRUE);
  if (IsFolder(startFolder))
    gtk_file_chooser_set_current_folder(chooser, startFolder.c_str());
  const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  std::string chosen;
  if (response == GTK_RESPONSE_ACCEPT)
    chosen = TakeFilename(chooser);
  gtk_widget_destroy(dialog);
  if (!IsFolder(chosen))
    return false;
  path = chosen;
  return true;
}

#else

bool ShowFileDialog(void*, const FileDialogRequest&, std::string&) {
  return false;
}

bool ShowFolderDialog(void*, const std::string&, const std::string&, std::string&) {
  return false;
}

#endif

} // namespace keel
