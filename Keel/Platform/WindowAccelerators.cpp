// Accelerator activation in the editor's top-level window for keys the page forwards.
#include "Keel/Platform/WindowAccelerators.h"

#include <glib.h>

#if __has_include(<gtk/gtk.h>)
#define KEEL_HAVE_GTK 1
#include <gtk/gtk.h>
#endif

namespace keel {

#ifdef KEEL_HAVE_GTK

unsigned VirtualKeyToKeyval(int vk) {
  if (vk >= 'A' && vk <= 'Z')
    return GDK_KEY_a + (vk - 'A');
  if (vk >= '0' && vk <= '9')
    return GDK_KEY_0 + (vk - '0');
  if (vk >= 112 && vk <= 135)
    return GDK_KEY_F1 + (vk - 112);
  if (vk >= 96 && vk <= 105)
    return GDK_KEY_KP_0 + (vk - 96);
  switch (vk) {
  case 8:
    return GDK_KEY_BackSpace;
  case 9:
    return GDK_KEY_Tab;
  case 12:
    return GDK_KEY_Clear;
  case 13:
    return GDK_KEY_Return;
  case 16:
    return GDK_KEY_Shift_L;
  case 17:
    return GDK_KEY_Control_L;
  case 18:
    return GDK_KEY_Alt_L;
  case 19:
    return GDK_KEY_Pause;
  case 20:
    return GDK_KEY_Caps_Lock;
  case 27:
    return GDK_KEY_Escape;
  case 32:
    return GDK_KEY_space;
  case 33:
    return GDK_KEY_Page_Up;
  case 34:
    return GDK_KEY_Page_Down;
  case 35:
    return GDK_KEY_End;
  case 36:
    return GDK_KEY_Home;
  case 37:
    return GDK_KEY_Left;
  case 38:
    return GDK_KEY_Up;
  case 39:
    return GDK_KEY_Right;
  case 40:
    return GDK_KEY_Down;
  case 44:
    return GDK_KEY_Print;
  case 45:
    return GDK_KEY_Insert;
  case 46:
    return GDK_KEY_Delete;
  case 91:
    return GDK_KEY_Super_L;
  case 92:
    return GDK_KEY_Super_R;
  case 93:
    return GDK_KEY_Menu;
  case 106:
    return GDK_KEY_KP_Multiply;
  case 107:
    return GDK_KEY_KP_Add;
  case 109:
    return GDK_KEY_KP_Subtract;
  case 110:
    return GDK_KEY_KP_Decimal;
  case 111:
    return GDK_KEY_KP_Divide;
  case 144:
    return GDK_KEY_Num_Lock;
  case 145:
    return GDK_KEY_Scroll_Lock;
  case 160:
    return GDK_KEY_Shift_L;
  case 161:
    return GDK_KEY_Shift_R;
  case 162:
    return GDK_KEY_Control_L;
  case 163:
    return GDK_KEY_Control_R;
  case 164:
    return GDK_KEY_Alt_L;
  case 165:
    return GDK_KEY_Alt_R;
  case 186:
    return GDK_KEY_semicolon;
  case 187:
    return GDK_KEY_equal;
  case 188:
    return GDK_KEY_comma;
  case 189:
    return GDK_KEY_minus;
  case 190:
    return GDK_KEY_period;
  case 191:
    return GDK_KEY_slash;
  case 192:
    return GDK_KEY_grave;
  case 219:
    return GDK_KEY_bracketleft;
  case 220:
    return GDK_KEY_backslash;
  case 221:
    return GDK_KEY_bracketright;
  case 222:
    return GDK_KEY_apostrophe;
  case 226:
    return GDK_KEY_less; // the extra key of ISO keyboards
  default:
    return 0;
  }
}

namespace {

struct PendingAccelerator {
  GtkWidget* window; // referenced
  guint keyval;
  GdkModifierType modifiers;
};

gboolean ActivatePending(gpointer data) {
  auto* pending = static_cast<PendingAccelerator*>(data);
  if (!gtk_widget_in_destruction(pending->window))
    gtk_accel_groups_activate(G_OBJECT(pending->window), pending->keyval, pending->modifiers);
  g_object_unref(pending->window);
  delete pending;
  return G_SOURCE_REMOVE;
}

} // namespace

bool PostKeyToWindowAccelerators(void* widget, const AcceleratorKey& key) {
  const guint keyval = VirtualKeyToKeyval(key.virtualKey);
  if (!widget || !keyval || !GTK_IS_WIDGET(widget))
    return false;
  GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(widget));
  if (!toplevel || !gtk_widget_is_toplevel(toplevel) || !GTK_IS_WINDOW(toplevel))
    return false;
  guint modifiers = 0;
  if (key.shift)
    modifiers |= GDK_SHIFT_MASK;
  if (key.control)
    modifiers |= GDK_CONTROL_MASK;
  if (key.alt)
    modifiers |= GDK_MOD1_MASK;
  if (key.meta)
    modifiers |= GDK_SUPER_MASK;
  g_idle_add(ActivatePending, new PendingAccelerator{GTK_WIDGET(g_object_ref(toplevel)), keyval,
                                                     static_cast<GdkModifierType>(modifiers)});
  return true;
}

#else // no GTK in this build: there is no window to take the key.

unsigned VirtualKeyToKeyval(int) {
  return 0;
}

bool PostKeyToWindowAccelerators(void*, const AcceleratorKey&) {
  return false;
}

#endif

} // namespace keel
