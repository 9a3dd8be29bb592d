// GTK window of the Preferences dialog.
#include "Keel/Platform/PreferencesDialogView.h"

#include "Keel/Platform/MessageBoxUTF8.h"
#include "Keel/Platform/UTF8Text.h"

#include <gtk/gtk.h>

#include <array>
#include <cstdlib>
#include <initializer_list>
#include <optional>

namespace keel {
namespace {

template <typename F> void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
    // Nothing unwinds into GTK.
  }
}

enum Column { kCheckedColumn, kNameColumn, kColumnCount };

constexpr int kComboCount = int(PrefsCombo::kCount);

} // namespace

struct PreferencesDialogView::Impl {
  PreferencesDialogView* self = nullptr;
  std::array<GtkWidget*, kComboCount> combos{};
  std::array<ComboContent, kComboCount> shown{};
  std::array<PrefsCombo, kComboCount> ids{};
  GtkWidget* inputList = nullptr;
  GtkListStore* inputStore = nullptr;
  CheckListContent shownInputs;
  bool updating = false; // set while the window shows the model's state
};

PreferencesDialogView::PreferencesDialogView(IPreferencesDialogModel& model)
    : mModel(model), mImpl(new Impl) {
  mImpl->self = this;
  for (int i = 0; i < kComboCount; ++i)
    mImpl->ids[size_t(i)] = PrefsCombo(i);
}

PreferencesDialogView::~PreferencesDialogView() {
  if (mDialog)
    gtk_widget_destroy(GTK_WIDGET(mDialog));
  delete mImpl;
}

void* PreferencesDialogView::ComboWidget(PrefsCombo which) const {
  return which == PrefsCombo::kCount ? nullptr : mImpl->combos[size_t(which)];
}

void* PreferencesDialogView::MidiInputList() const {
  return mImpl->inputList;
}

bool PreferencesDialogView::Create(void* owner) {
  if (mDialog)
    return true;
  if (!gdk_display_get_default() && !gtk_init_check(nullptr, nullptr))
    return false;
  GtkWidget* dialog = gtk_dialog_new();
  mDialog = dialog;
  gtk_window_set_title(GTK_WINDOW(dialog), "Preferences");
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  if (owner)
    gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(owner));
  gtk_window_set_position(GTK_WINDOW(dialog), owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);

  auto makeCombo = [this](PrefsCombo which, bool wide) {
    GtkWidget* combo = gtk_combo_box_text_new();
    if (wide) {
      // Long device names are cut at the end rather than widening the dialog.
      gtk_widget_set_size_request(combo, 260, -1);
      GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
      for (GList* c = cells; c; c = c->next)
        if (GTK_IS_CELL_RENDERER_TEXT(c->data))
          g_object_set(c->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
      g_list_free(cells);
    }
    gtk_widget_set_hexpand(combo, TRUE);
    mImpl->combos[size_t(which)] = combo;
    g_signal_connect(combo, "changed", G_CALLBACK(+[](GtkComboBox* box, gpointer data) {
                       auto* id = static_cast<PrefsCombo*>(data);
                       Guarded([&] {
                         PreferencesDialogView* view = static_cast<PreferencesDialogView*>(
                             g_object_get_data(G_OBJECT(box), "vlm-view"));
                         if (!view || view->mImpl->updating)
                           return;
                         view->mModel.SelectCombo(*id, gtk_combo_box_get_active(box));
                         view->AfterUserChange();
                       });
                     }),
                     &mImpl->ids[size_t(which)]);
    g_object_set_data(G_OBJECT(combo), "vlm-view", this);
    return combo;
  };
  auto label = [](const char* text) {
    GtkWidget* l = gtk_label_new(text);
    gtk_widget_set_halign(l, GTK_ALIGN_START);
    return l;
  };
  auto grid = [] {
    GtkWidget* g = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(g), 6);
    gtk_grid_set_column_spacing(GTK_GRID(g), 8);
    gtk_container_set_border_width(GTK_CONTAINER(g), 8);
    return g;
  };

  // A label with its drop-down list to its right; a wide list spans the rest of the row.
  struct ComboRow {
    const char* text;
    PrefsCombo which;
    int column;
    int row;
    bool wide;
  };
  auto attachRows = [&](GtkWidget* g, std::initializer_list<ComboRow> rows) {
    for (const ComboRow& r : rows) {
      gtk_grid_attach(GTK_GRID(g), label(r.text), r.column, r.row, 1, 1);
      gtk_grid_attach(GTK_GRID(g), makeCombo(r.which, r.wide), r.column + 1, r.row, r.wide ? 3 : 1, 1);
    }
  };

  GtkWidget* audio = grid();
  attachRows(audio, {
                        {"Driver Type", PrefsCombo::kDriver, 0, 0, false},
                        {"Buffer Size", PrefsCombo::kBufferSize, 2, 0, false},
                        {"Input Device", PrefsCombo::kAudioInput, 0, 1, true},
                        {"Output Device", PrefsCombo::kAudioOutput, 0, 2, true},
                        {"Sampling Rate", PrefsCombo::kSampleRate, 0, 3, false},
                        {"Input 1 (L)", PrefsCombo::kInput1, 0, 4, false},
                        {"Input 2 (R)", PrefsCombo::kInput2, 2, 4, false},
                        {"Output 1 (L)", PrefsCombo::kOutput1, 0, 5, false},
                        {"Output 2 (R)", PrefsCombo::kOutput2, 2, 5, false},
                    });

  mImpl->inputStore = gtk_list_store_new(kColumnCount, G_TYPE_BOOLEAN, G_TYPE_STRING);
  mImpl->inputList = gtk_tree_view_new_with_model(GTK_TREE_MODEL(mImpl->inputStore));
  g_object_unref(mImpl->inputStore); // the tree view holds it
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(mImpl->inputList), FALSE);
  GtkCellRenderer* toggle = gtk_cell_renderer_toggle_new();
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(mImpl->inputList), -1, "", toggle, "active",
                                              kCheckedColumn, nullptr);
  gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(mImpl->inputList), -1, "",
                                              gtk_cell_renderer_text_new(), "text", kNameColumn, nullptr);
  g_signal_connect(toggle, "toggled", G_CALLBACK(+[](GtkCellRendererToggle*, gchar* path, gpointer data) {
                     Guarded([&] {
                       auto* view = static_cast<PreferencesDialogView*>(data);
                       if (view->mImpl->updating)
                         return;
                       const int index = std::atoi(path);
                       const CheckListContent inputs = view->mModel.MidiInputs();
                       if (index < 0 || index >= int(inputs.checked.size()))
                         return;
                       view->mModel.SetMidiInputChecked(index, !inputs.checked[size_t(index)]);
                       view->AfterUserChange();
                     });
                   }),
                   this);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  gtk_widget_set_size_request(scroller, -1, 120);
  gtk_container_add(GTK_CONTAINER(scroller), mImpl->inputList);

  GtkWidget* midi = grid();
  gtk_grid_attach(GTK_GRID(midi), label("Input Devices"), 0, 0, 4, 1);
  gtk_grid_attach(GTK_GRID(midi), scroller, 0, 1, 4, 1);
  attachRows(midi, {
                       {"Input Channel", PrefsCombo::kMidiInputChannel, 0, 2, false},
                       {"Output Device", PrefsCombo::kMidiOutput, 0, 3, true},
                       {"Output Channel", PrefsCombo::kMidiOutputChannel, 0, 4, false},
                   });

  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_box_set_spacing(GTK_BOX(content), 8);
  gtk_container_set_border_width(GTK_CONTAINER(content), 8);
  GtkWidget* audioFrame = gtk_frame_new("Audio Device Settings");
  gtk_container_add(GTK_CONTAINER(audioFrame), audio);
  GtkWidget* midiFrame = gtk_frame_new("MIDI Device Settings");
  gtk_container_add(GTK_CONTAINER(midiFrame), midi);
  gtk_box_pack_start(GTK_BOX(content), audioFrame, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(content), midiFrame, TRUE, TRUE, 0);

  gtk_dialog_add_button(GTK_DIALOG(dialog), "Apply", kPreferencesApply);
  gtk_dialog_add_button(GTK_DIALOG(dialog), "OK", kPreferencesOk);
  gtk_dialog_add_button(GTK_DIALOG(dialog), "Cancel", kPreferencesCancel);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), kPreferencesOk);
  // Return presses OK wherever the focus is, so that a focused drop-down list does not take it; a focused
  // button of the dialog presses itself. Escape cancels (the dialog's own close key).
  g_signal_connect(
      dialog, "key-press-event", G_CALLBACK(+[](GtkWidget* window, GdkEventKey* key, gpointer) -> gboolean {
        const bool enter = key->keyval == GDK_KEY_Return || key->keyval == GDK_KEY_KP_Enter ||
                           key->keyval == GDK_KEY_ISO_Enter;
        if (!enter || (key->state & gtk_accelerator_get_default_mod_mask()) != 0)
          return FALSE;
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        if (focus && gtk_dialog_get_response_for_widget(GTK_DIALOG(window), focus) != GTK_RESPONSE_NONE)
          return FALSE;
        gtk_dialog_response(GTK_DIALOG(window), kPreferencesOk);
        return TRUE;
      }),
      nullptr);

  Refresh();
  gtk_widget_show_all(content);
  return true;
}

void PreferencesDialogView::Refresh() {
  if (!mDialog)
    return;
  mImpl->updating = true;
  for (int i = 0; i < kComboCount; ++i) {
    GtkWidget* widget = mImpl->combos[size_t(i)];
    if (!widget)
      continue;
    const ComboContent content = mModel.Combo(PrefsCombo(i));
    ComboContent& shown = mImpl->shown[size_t(i)];
    GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(widget);
    if (content.items != shown.items) {
      gtk_combo_box_text_remove_all(combo);
      for (const std::string& item : content.items)
        gtk_combo_box_text_append_text(combo, DisplayTextFromBytes(item).c_str());
    }
    if (gtk_combo_box_get_active(GTK_COMBO_BOX(combo)) != content.selected)
      gtk_combo_box_set_active(GTK_COMBO_BOX(combo), content.selected);
    gtk_widget_set_sensitive(widget, content.enabled);
    shown = content;
  }
  const CheckListContent inputs = mModel.MidiInputs();
  if (inputs.items != mImpl->shownInputs.items) {
    gtk_list_store_clear(mImpl->inputStore);
    for (const std::string& item : inputs.items) {
      GtkTreeIter iter;
      gtk_list_store_append(mImpl->inputStore, &iter);
      gtk_list_store_set(mImpl->inputStore, &iter, kCheckedColumn, FALSE, kNameColumn,
                         DisplayTextFromBytes(item).c_str(), -1);
    }
  }
  GtkTreeIter iter;
  gboolean more = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(mImpl->inputStore), &iter);
  for (size_t i = 0; more && i < inputs.checked.size(); ++i) {
    gtk_list_store_set(mImpl->inputStore, &iter, kCheckedColumn, inputs.checked[i] ? TRUE : FALSE, -1);
    more = gtk_tree_model_iter_next(GTK_TREE_MODEL(mImpl->inputStore), &iter);
  }
  mImpl->shownInputs = inputs;
  mImpl->updating = false;
}

void PreferencesDialogView::AfterUserChange() {
  Refresh();
  if (std::optional<DialogMessage> message = mModel.TakeMessage())
    MessageBoxUTF8(mDialog, message->text.c_str(), message->caption.c_str(),
                   kMessageBoxOk | kMessageBoxIconWarning);
}

int PreferencesDialogView::Run() {
  if (!mDialog)
    return kPreferencesCancel;
  GtkDialog* dialog = GTK_DIALOG(mDialog);
  for (;;) {
    const int response = gtk_dialog_run(dialog);
    if (response == kPreferencesApply) {
      mModel.Apply();
      AfterUserChange();
      continue;
    }
    if (response == kPreferencesOk) {
      mModel.Ok();
      gtk_widget_hide(GTK_WIDGET(dialog));
      return kPreferencesOk;
    }
    // Cancel, Escape and the close box.
    gtk_widget_hide(GTK_WIDGET(dialog));
    mModel.Cancel();
    return kPreferencesCancel;
  }
}

void PreferencesDialogView::Respond(int response) {
  if (mDialog)
    gtk_dialog_response(GTK_DIALOG(mDialog), response);
}

int RunPreferencesDialog(void* owner, IPreferencesDialogModel& model) {
  PreferencesDialogView view(model);
  if (!view.Create(owner))
    return kPreferencesCancel;
  return view.Run();
}

} // namespace keel
