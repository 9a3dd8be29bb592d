// The real file choosers on the display: the kind's filters in order, the default extension added to a
// saved name, the question before replacing a file, and the folder picker.
#include "library/FileDialogKinds.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <functional>

#include "../Keel/Platform/ScratchFolder.h"

namespace {

// A step returns false to be tried again on the next tick.
using Step = std::function<bool(GtkWidget*)>;
Step gOnChooser;
Step gOnQuestion;

// Runs the test's step on the open dialog of the given type, once it is shown.
template <GType (*TypeOf)(), Step* TheStep> gboolean ActOnDialog(gpointer) {
  GList* windows = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* w = windows; w; w = w->next)
    if (G_TYPE_CHECK_INSTANCE_TYPE(w->data, TypeOf()) && gtk_widget_get_visible(GTK_WIDGET(w->data)))
      found = GTK_WIDGET(w->data);
  g_list_free(windows);
  if (!found)
    return G_SOURCE_CONTINUE;
  return (*TheStep)(found) ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

void WhenChooserOpens(Step step) {
  gOnChooser = std::move(step);
  g_timeout_add(50, ActOnDialog<gtk_file_chooser_dialog_get_type, &gOnChooser>, nullptr);
}

// Types a name into the chooser; false until the chooser has loaded its folder and so knows the whole path
// (an accept before that waits for the folder view indefinitely, which a user never meets).
bool TypeName(GtkWidget* dialog, const char* name) {
  gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), name);
  gchar* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
  g_free(path);
  return path != nullptr;
}

std::vector<std::string> FilterNames(GtkWidget* dialog) {
  std::vector<std::string> names;
  GSList* filters = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(dialog));
  for (GSList* f = filters; f; f = f->next)
    names.emplace_back(gtk_file_filter_get_name(GTK_FILE_FILTER(f->data)));
  g_slist_free(filters);
  return names;
}

class FileDialogsGui : public ::testing::Test {
protected:
  void SetUp() override {
    if (!gtk_init_check(nullptr, nullptr))
      GTEST_SKIP() << "no display";
  }
  testutil::ScratchFolder dir;
};

TEST_F(FileDialogsGui, DumpSaveDialogOffersItsTypeFirstAndAddsTheDefaultExtension) {
  std::vector<std::string> filters;
  std::string proposed;
  WhenChooserOpens([&](GtkWidget* dialog) {
    if (filters.empty()) {
      filters = FilterNames(dialog);
      gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(dialog));
      proposed = name ? name : "";
      g_free(name);
    }
    if (!TypeName(dialog, "backup"))
      return false;
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    return true;
  });
  std::filesystem::path path;
  ASSERT_TRUE(vlm::ShowFileDialog(nullptr, vlm::kMks80DumpFile, true, dir.Path(), "MKS-80-Backup", path));
  EXPECT_EQ(filters, (std::vector<std::string>{"MKS-80 Dump (*.mid;*.syx)", "All Files (*.*)"}));
  EXPECT_EQ(proposed, "MKS-80-Backup.mid");
  EXPECT_EQ(path, dir / "backup.mid");
}

TEST_F(FileDialogsGui, ReplacingAnExistingFileIsAskedAndNoKeepsTheDialogOpen) {
  testutil::WriteFile(dir / "Bass.80p", "{}");
  int questions = 0;
  WhenChooserOpens([&](GtkWidget* dialog) {
    if (!TypeName(dialog, "Bass"))
      return false;
    // The question about Bass.80p: answer No, then dismiss the chooser that is still open.
    gOnQuestion = [&, dialog](GtkWidget* question) {
      ++questions;
      gtk_dialog_response(GTK_DIALOG(question), GTK_RESPONSE_NO);
      g_idle_add(
          [](gpointer d) {
            gtk_dialog_response(GTK_DIALOG(d), GTK_RESPONSE_CANCEL);
            return G_SOURCE_REMOVE;
          },
          dialog);
      return true;
    };
    g_timeout_add(50, ActOnDialog<gtk_message_dialog_get_type, &gOnQuestion>, nullptr);
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    return true;
  });
  std::filesystem::path path;
  EXPECT_FALSE(vlm::ShowFileDialog(nullptr, vlm::kPatchDocumentFile, true, dir.Path(), "Init", path));
  EXPECT_EQ(questions, 1);
  EXPECT_TRUE(path.empty());
}

TEST_F(FileDialogsGui, DismissedOpenDialogGivesFalse) {
  WhenChooserOpens([](GtkWidget* dialog) {
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    return true;
  });
  std::filesystem::path path;
  EXPECT_FALSE(vlm::ShowFileDialog(nullptr, vlm::kPatchDocumentFile, false, dir.Path(), "", path));
}

TEST_F(FileDialogsGui, FolderPickerGivesTheChosenFolderUnderItsTitle) {
  std::filesystem::create_directory(dir / "Patches");
  std::string title;
  WhenChooserOpens([&](GtkWidget* dialog) {
    title = gtk_window_get_title(GTK_WINDOW(dialog));
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), (dir / "Patches").c_str());
    gchar* current = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
    const bool ready = current && dir / "Patches" == current;
    g_free(current);
    if (ready)
      gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    return ready;
  });
  std::filesystem::path path;
  ASSERT_TRUE(
      vlm::ShowFolderDialog(nullptr, dir.Path(), "Choose destination folder for Patches (.80p)", path));
  EXPECT_EQ(title, "Choose destination folder for Patches (.80p)");
  EXPECT_EQ(path, dir / "Patches");
}

} // namespace
