// A real message box on the display: its buttons answer with the classic result numbers.
#include "Keel/Platform/MessageBoxUTF8.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace {

int gAnswer = 0;

// Presses a button of the open message dialog as a user would.
gboolean AnswerOpenDialog(gpointer) {
  GList* windows = gtk_window_list_toplevels();
  for (GList* w = windows; w; w = w->next) {
    if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
      gtk_dialog_response(GTK_DIALOG(w->data), gAnswer);
      g_list_free(windows);
      return G_SOURCE_REMOVE;
    }
  }
  g_list_free(windows);
  return G_SOURCE_CONTINUE;
}

int ShowAndAnswer(const char* text, unsigned type, int answer) {
  gAnswer = answer;
  g_timeout_add(50, AnswerOpenDialog, nullptr);
  return keel::MessageBoxUTF8(nullptr, text, "Velmora", type);
}

} // namespace

TEST(MessageBoxUTF8Gui, ButtonsAnswerWithTheirResults) {
  if (!gtk_init_check(nullptr, nullptr))
    GTEST_SKIP() << "no display";
  EXPECT_EQ(ShowAndAnswer("Saved \xC3\xA9l\xC3\xA9ment",
                          keel::kMessageBoxOk | keel::kMessageBoxIconInformation, keel::kMessageBoxResultOk),
            keel::kMessageBoxResultOk);
  EXPECT_EQ(ShowAndAnswer("Replace?", keel::kMessageBoxYesNo, keel::kMessageBoxResultNo),
            keel::kMessageBoxResultNo);
  EXPECT_EQ(ShowAndAnswer("caf\xE9", keel::kMessageBoxYesNoCancel | keel::kMessageBoxIconWarning,
                          keel::kMessageBoxResultCancel),
            keel::kMessageBoxResultCancel);
  // Closing the window frame of a Yes/No box means No.
  EXPECT_EQ(ShowAndAnswer("Close me", keel::kMessageBoxYesNo, GTK_RESPONSE_DELETE_EVENT),
            keel::kMessageBoxResultNo);
}
