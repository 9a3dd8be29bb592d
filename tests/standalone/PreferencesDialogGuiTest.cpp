// The Preferences window over fake devices: it shows the model's lists, passes the user's choices on,
// keeps the second channel list following the first, and ends with OK (settings.ini written) or Cancel.
#include "Keel/Platform/PreferencesDialogView.h"
#include "standalone/PreferencesTestHost.h"
#include "standalone/devices/SettingsFile.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>

namespace {

using keel::PrefsCombo;
using vlm::testing::PreferencesTestHost;

std::vector<std::string> ComboTexts(GtkWidget* combo) {
  std::vector<std::string> texts;
  GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(combo));
  GtkTreeIter iter;
  for (gboolean ok = gtk_tree_model_get_iter_first(model, &iter); ok;
       ok = gtk_tree_model_iter_next(model, &iter)) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &iter, 0, &text, -1);
    texts.push_back(text ? text : "");
    g_free(text);
  }
  return texts;
}

class PreferencesDialogGuiTest : public ::testing::Test, protected PreferencesTestHost {
protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY") || !gtk_init_check(nullptr, nullptr))
      GTEST_SKIP() << "no display";
  }
  GtkWidget* Combo(keel::PreferencesDialogView& view, PrefsCombo which) {
    return static_cast<GtkWidget*>(view.ComboWidget(which));
  }
  // Presses a button once the dialog's own loop runs.
  static void PressLater(keel::PreferencesDialogView& view, int response) {
    struct Press {
      keel::PreferencesDialogView* view;
      int response;
    };
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, 50,
        [](gpointer data) -> gboolean {
          auto* p = static_cast<Press*>(data);
          p->view->Respond(p->response);
          return G_SOURCE_REMOVE;
        },
        new Press{&view, response}, [](gpointer data) { delete static_cast<Press*>(data); });
  }
};

TEST_F(PreferencesDialogGuiTest, ShowsTheModelTakesChoicesAndEndsWithOk) {
  vlm::AudioMidiSettings s;
  s.audioOutputDevice = "Speakers";
  vlm::PreferencesModel& model = Open(s);
  keel::PreferencesDialogView view(model);
  ASSERT_TRUE(view.Create(nullptr));
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(view.NativeWindow())), "Preferences");
  EXPECT_EQ(ComboTexts(Combo(view, PrefsCombo::kDriver)),
            (std::vector<std::string>{"ALSA", "JACK", "PulseAudio"}));
  EXPECT_EQ(ComboTexts(Combo(view, PrefsCombo::kAudioOutput)),
            (std::vector<std::string>{" Card One", "Speakers"}));
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(Combo(view, PrefsCombo::kAudioOutput))), 1);
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(Combo(view, PrefsCombo::kBufferSize))), 6);

  // The user picks output channel 3: the settings and the second list follow; the second list
  // cannot be chosen on its own.
  gtk_combo_box_set_active(GTK_COMBO_BOX(Combo(view, PrefsCombo::kOutput1)), 2);
  EXPECT_EQ(host->Settings().audioOutputChannel2, 4);
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(Combo(view, PrefsCombo::kOutput2))), 3);
  gtk_combo_box_set_active(GTK_COMBO_BOX(Combo(view, PrefsCombo::kOutput2)), 0);
  EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(Combo(view, PrefsCombo::kOutput2))), 3);

  // A driver change rebuilds the lists without the window reporting its own changes back.
  gtk_combo_box_set_active(GTK_COMBO_BOX(Combo(view, PrefsCombo::kDriver)), vlm::kDriverJack);
  EXPECT_EQ(ComboTexts(Combo(view, PrefsCombo::kAudioOutput)), (std::vector<std::string>{"system"}));
  EXPECT_FALSE(gtk_widget_get_sensitive(Combo(view, PrefsCombo::kAudioInput)));
  EXPECT_EQ(host->Settings().audioOutputDevice, "system");

  // Checking a MIDI input in the list opens the port.
  GtkTreeViewColumn* column = gtk_tree_view_get_column(GTK_TREE_VIEW(view.MidiInputList()), 0);
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(column));
  ASSERT_NE(cells, nullptr);
  g_signal_emit_by_name(cells->data, "toggled", "1");
  g_list_free(cells);
  EXPECT_EQ(world.openInputs.count("Pads"), 1u);
  EXPECT_TRUE(model.MidiInputs().checked[1]);

  PressLater(view, keel::kPreferencesOk);
  EXPECT_EQ(view.Run(), keel::kPreferencesOk);
  EXPECT_TRUE(audio && audio->running);
  vlm::AudioMidiSettings stored;
  vlm::ReadSettingsFile(options.settingsPath, stored);
  EXPECT_EQ(stored.driverType, vlm::kDriverJack);
  EXPECT_EQ(stored.midiInput, "Pads");
}

TEST_F(PreferencesDialogGuiTest, TheCloseBoxCancels) {
  vlm::PreferencesModel& model = Open();
  keel::PreferencesDialogView view(model);
  ASSERT_TRUE(view.Create(nullptr));
  gtk_combo_box_set_active(GTK_COMBO_BOX(Combo(view, PrefsCombo::kBufferSize)), 0);
  EXPECT_EQ(host->Settings().bufferFrames, 32);
  PressLater(view, GTK_RESPONSE_DELETE_EVENT);
  EXPECT_EQ(view.Run(), keel::kPreferencesCancel);
  EXPECT_EQ(host->Settings().bufferFrames, 512);
}

// Return accepts the dialog wherever the focus is in it (here the Driver list, which would otherwise
// drop down), and Escape cancels it.
TEST_F(PreferencesDialogGuiTest, ReturnPressesOkAndEscapeCancels) {
  struct Case {
    guint key;
    int expected;
  } cases[] = {{GDK_KEY_Return, keel::kPreferencesOk},
               {GDK_KEY_KP_Enter, keel::kPreferencesOk},
               {GDK_KEY_Escape, keel::kPreferencesCancel}};
  for (const Case& c : cases) {
    vlm::PreferencesModel& model = Open();
    keel::PreferencesDialogView view(model);
    ASSERT_TRUE(view.Create(nullptr));
    struct Press {
      keel::PreferencesDialogView* view;
      GtkWidget* focus;
      guint key;
    } press{&view, Combo(view, PrefsCombo::kDriver), c.key};
    g_timeout_add(
        100,
        [](gpointer data) -> gboolean {
          auto* p = static_cast<Press*>(data);
          GtkWidget* dialog = GTK_WIDGET(p->view->NativeWindow());
          gtk_widget_grab_focus(p->focus);
          GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
          event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(dialog)));
          event->key.send_event = TRUE;
          event->key.time = GDK_CURRENT_TIME;
          event->key.keyval = p->key;
          GdkKeymapKey* keys = nullptr;
          gint count = 0;
          if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), p->key,
                                                &keys, &count) &&
              count > 0)
            event->key.hardware_keycode = guint16(keys[0].keycode);
          g_free(keys);
          gdk_event_set_device(
              event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
          gtk_widget_event(dialog, event);
          gdk_event_free(event);
          return G_SOURCE_REMOVE;
        },
        &press);
    // A key the dialog did not act on would leave it open: end it with an answer of its own.
    struct GiveUp {
      keel::PreferencesDialogView* view;
      bool fired = false;
    } giveUp{&view};
    const guint giveUpSource = g_timeout_add(
        3000,
        [](gpointer data) -> gboolean {
          auto* g = static_cast<GiveUp*>(data);
          g->fired = true;
          g->view->Respond(99);
          return G_SOURCE_REMOVE;
        },
        &giveUp);
    const int result = view.Run();
    if (!giveUp.fired)
      g_source_remove(giveUpSource);
    EXPECT_FALSE(giveUp.fired) << gdk_keyval_name(c.key) << " left the dialog open";
    EXPECT_EQ(result, c.expected) << gdk_keyval_name(c.key);
  }
}

} // namespace
