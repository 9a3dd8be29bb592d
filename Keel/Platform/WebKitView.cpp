// WebKitGTK browser control: process-wide context, page scripts, message handler, editor URI scheme and
// policies.
#include "Keel/Platform/WebKitView.h"

#include "Keel/Platform/SpecialFolders.h"
#include "Keel/Platform/WindowAccelerators.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include <glib.h>

#if __has_include(<webkit2/webkit2.h>) && __has_include(<gtk/gtk.h>)
#define KEEL_HAVE_WEBKIT 1
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#endif

namespace keel {
namespace {

[[maybe_unused]] void LogWarning(const char* what, const char* detail = "") {
  g_printerr("WebKitView: %s%s%s\n", what, detail[0] ? " " : "", detail);
}

} // namespace

float WebKitView::GetWindowDpiScale(void*) {
  return 1.0f;
}

std::string WebKitView::GetWebViewCacheFolder() {
  std::string roaming = GetSpecialFolderPath(SpecialFolder::RoamingAppData);
  if (roaming.empty()) // no HOME: GLib still knows the account's folder
    roaming = g_get_user_config_dir();
  return roaming + "/Keel/WebViewCache";
}

std::string WebKitView::GetDesktopFolder() {
  const std::string desktop = GetSpecialFolderPath(SpecialFolder::Desktop);
  return desktop.empty() ? std::string(g_get_home_dir()) + "/Desktop" : desktop;
}

#ifdef KEEL_HAVE_WEBKIT

namespace {

// Gives pages the posting function they expect from the Windows control, carried by a WebKit script
// message handler; objects travel as their JSON text.
constexpr const char* kMessageHandlerName = "keel";
constexpr const char* kPostMessageScript =
    "(function(){var h=window.webkit&&window.webkit.messageHandlers&&window.webkit.messageHandlers.keel;"
    "if(!h)return;window.chrome=window.chrome||{};window.chrome.webview=window.chrome.webview||{};"
    "window.chrome.webview.postMessage=function(m){h.postMessage(JSON.stringify(m===undefined?null:m));};})()"
    ";";
constexpr const char* kPageScripts[] = {
    "function IKeelSendMsg(m) {window.chrome.webview.postMessage(m)};",
    "document.addEventListener('keydown', function(e) { if(document.activeElement.type != \"text\") { "
    "IKeelSendMsg({'msg': 'SKPFUI', 'keyCode': e.keyCode, 'utf8': e.key, 'S': e.shiftKey, 'C': e.ctrlKey, "
    "'A': e.altKey, 'isUp': false}); }});",
    "document.addEventListener('keyup', function(e) { if(document.activeElement.type != \"text\") { "
    "IKeelSendMsg({'msg': 'SKPFUI', 'keyCode': e.keyCode, 'utf8': e.key, 'S': e.shiftKey, 'C': e.ctrlKey, "
    "'A': e.altKey, 'isUp': true}); }});",
};

constexpr const char* kMappedFolderKey = "keel-mapped-folder";

// Set while a forwarded key travels through the parent window, so the page never sees it again.
bool gForwardingKey = false;

void ServeEditorScheme(WebKitURISchemeRequest* request, gpointer) {
  try {
    WebKitWebView* view = webkit_uri_scheme_request_get_web_view(request);
    const char* folder =
        view ? static_cast<const char*>(g_object_get_data(G_OBJECT(view), kMappedFolderKey)) : nullptr;
    std::string file;
    if (GUri* uri = g_uri_parse(webkit_uri_scheme_request_get_uri(request), G_URI_FLAGS_ENCODED, nullptr)) {
      const char* host = g_uri_get_host(uri);
      if (folder && host && g_ascii_strcasecmp(host, WebKitView::kHostName) == 0)
        file = ResolveMappedPath(folder, g_uri_get_path(uri));
      g_uri_unref(uri);
    }
    gchar* data = nullptr;
    gsize length = 0;
    if (file.empty() || !g_file_get_contents(file.c_str(), &data, &length, nullptr)) {
      GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_NOT_FOUND, "not found");
      webkit_uri_scheme_request_finish_error(request, error);
      g_error_free(error);
      return;
    }
    gchar* type = g_content_type_guess(file.c_str(), reinterpret_cast<const guchar*>(data), length, nullptr);
    gchar* mime = type ? g_content_type_get_mime_type(type) : nullptr;
    GInputStream* stream = g_memory_input_stream_new_from_data(data, static_cast<gssize>(length), g_free);
    webkit_uri_scheme_request_finish(request, stream, static_cast<gint64>(length),
                                     mime ? mime : "application/octet-stream");
    g_object_unref(stream);
    g_free(mime);
    g_free(type);
  } catch (...) {
    LogWarning("editor scheme request failed");
    GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_FAILED, "failed");
    webkit_uri_scheme_request_finish_error(request, error);
    g_error_free(error);
  }
}

// One context for the whole process: its data folder and the editor scheme are fixed when the first view
// opens.
WebKitWebContext* SharedContext() {
  static WebKitWebContext* context = [] {
    const std::string folder = WebKitView::GetWebViewCacheFolder();
    g_mkdir_with_parents(folder.c_str(), 0700);
    WebKitWebsiteDataManager* data = webkit_website_data_manager_new(
        "base-data-directory", folder.c_str(), "base-cache-directory", folder.c_str(), nullptr);
    WebKitWebContext* c = webkit_web_context_new_with_website_data_manager(data);
    g_object_unref(data);
    webkit_web_context_register_uri_scheme(c, WebKitView::kScheme, ServeEditorScheme, nullptr, nullptr);
    webkit_security_manager_register_uri_scheme_as_secure(webkit_web_context_get_security_manager(c),
                                                          WebKitView::kScheme);
    return c;
  }();
  return context;
}

// A view of the shared context that has begun loading an empty page, so its page process is starting;
// owned here until the next view takes the process over.
WebKitWebView*& PrewarmedView() {
  static WebKitWebView* view = nullptr;
  return view;
}

struct ForwardedKey {
  GtkWidget* toplevel; // referenced
  guint keyval;
};

gboolean DeliverForwardedKey(gpointer data) {
  auto* key = static_cast<ForwardedKey*>(data);
  try {
    GdkWindow* window = gtk_widget_get_window(key->toplevel);
    if (window && !gtk_widget_in_destruction(key->toplevel)) {
      GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
      event->key.window = GDK_WINDOW(g_object_ref(window));
      event->key.send_event = TRUE;
      event->key.time = GDK_CURRENT_TIME;
      event->key.keyval = key->keyval;
      GdkDisplay* display = gdk_window_get_display(window);
      GdkKeymapKey* keys = nullptr;
      gint count = 0;
      if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), key->keyval, &keys,
                                            &count) &&
          count > 0) {
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
        event->key.group = static_cast<guint8>(keys[0].group);
      }
      g_free(keys);
      if (GdkSeat* seat = gdk_display_get_default_seat(display))
        gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
      gForwardingKey = true;
      gtk_main_do_event(event);
      gForwardingKey = false;
      gdk_event_free(event);
    }
  } catch (...) {
    gForwardingKey = false;
    LogWarning("forwarding a key failed");
  }
  g_object_unref(key->toplevel);
  delete key;
  return G_SOURCE_REMOVE;
}

void OpenInUsersBrowser(const char* uri) {
  GError* error = nullptr;
  if (!g_app_info_launch_default_for_uri(uri, nullptr, &error)) {
    LogWarning("cannot open", uri);
    g_clear_error(&error);
  }
}

// Messages count only from the editor's own page; anything else that might be shown gets no bridge.
bool ShowsEditorPage(WebKitWebView* view) {
  return view && IsEditorPageAddress(webkit_web_view_get_uri(view));
}

struct ScriptCall {
  GCancellable* cancellable; // referenced
  std::function<void(const char*)> done;
};

void OnScriptFinished(GObject* source, GAsyncResult* result, gpointer data) {
  auto* call = static_cast<ScriptCall*>(data);
  GError* error = nullptr;
  JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
  try {
    if (!g_cancellable_is_cancelled(call->cancellable)) {
      gchar* json = value ? jsc_value_to_json(value, 0) : nullptr;
      call->done(json ? json : "null");
      g_free(json);
    }
  } catch (...) {
    LogWarning("script result handler failed");
  }
  if (value)
    g_object_unref(value);
  if (error)
    g_error_free(error);
  g_object_unref(call->cancellable);
  delete call;
}

} // namespace

struct WebKitView::Impl {
  Impl(WebKitViewHost& h, bool devTools) : host(h), devToolsAndContextMenus(devTools) {}

  WebKitViewHost& host;
  bool devToolsAndContextMenus;
  bool opaqueBackground = false;
  bool visible = true;
  GtkWidget* parent = nullptr;
  gulong parentDestroyId = 0;
  guint pendingSource = 0;
  GtkWidget* area = nullptr; // referenced; clips the view to the parent like a child window
  WebKitWebView* view = nullptr;
  WebKitUserContentManager* contentManager = nullptr;
  GCancellable* cancellable = nullptr;
  gulong downloadStartedId = 0;
  std::vector<WebKitDownload*> downloads; // referenced
  bool loadFailed = false;
  std::string mappedFolder;
  WebViewRect bounds;
  double zoom = 1.0;
  std::thread::id uiThread = std::this_thread::get_id();

  // GTK and WebKit live on the UI thread; a call from elsewhere is a bug that is refused, not run.
  bool OnUiThread() const {
    if (std::this_thread::get_id() == uiThread)
      return true;
    static std::atomic<bool> logged{false};
    if (!logged.exchange(true)) {
      LogWarning("called off the UI thread; ignored");
    }
    return false;
  }

  static gboolean CreateViewIdle(gpointer data) {
    auto* self = static_cast<Impl*>(data);
    self->pendingSource = 0;
    try {
      self->CreateView();
    } catch (...) {
      LogWarning("creating the view failed");
    }
    return G_SOURCE_REMOVE;
  }

  void CreateView() {
    WebKitWebContext* context = SharedContext();
    cancellable = g_cancellable_new();
    contentManager = webkit_user_content_manager_new();
    // A process started ahead (PrewarmWebProcess) is taken over by sharing it with its empty view.
    WebKitWebView* prewarmed = std::exchange(PrewarmedView(), nullptr);
    // The related view brings the same (shared) context along; naming both is refused.
    view = prewarmed ? WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", prewarmed,
                                                    "user-content-manager", contentManager, nullptr))
                     : WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context,
                                                    "user-content-manager", contentManager, nullptr));
    if (prewarmed)
      g_object_unref(prewarmed);
    area = gtk_layout_new(nullptr, nullptr);
    g_object_ref_sink(area);
    gtk_widget_set_hexpand(area, TRUE);
    gtk_widget_set_vexpand(area, TRUE);
    gtk_layout_put(GTK_LAYOUT(area), GTK_WIDGET(view), bounds.left, bounds.top);
    gtk_container_add(GTK_CONTAINER(parent), area);
    g_signal_connect(area, "destroy", G_CALLBACK(OnAreaDestroyed), this);

    // Visibility.
    gtk_widget_show(area);
    gtk_widget_set_visible(GTK_WIDGET(view), visible);

    // Settings.
    WebKitSettings* settings = webkit_web_view_get_settings(view);
    webkit_settings_set_enable_javascript(settings, TRUE);
    webkit_settings_set_enable_developer_extras(settings, devToolsAndContextMenus);
    // The editor is a still 2-D page: drawn without GL compositing it starts with about a third less work
    // in the page process, most of all where GL runs in software (no GPU, virtual machines, Xvfb).
    webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    g_signal_connect(view, "context-menu", G_CALLBACK(OnContextMenu), this);

    // Scripts at document start, the posting function first.
    AddScript(kPostMessageScript);
    for (const char* script : kPageScripts)
      AddScript(script);

    // Events: page messages, navigation, completion, new windows, downloads.
    webkit_user_content_manager_register_script_message_handler(contentManager, kMessageHandlerName);
    g_signal_connect(contentManager, "script-message-received::keel", G_CALLBACK(OnScriptMessage), this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
    g_signal_connect(view, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(OnLoadFailed), this);
    g_signal_connect(view, "key-press-event", G_CALLBACK(OnKeyPress), this);
    downloadStartedId = g_signal_connect(context, "download-started", G_CALLBACK(OnDownloadStarted), this);

    if (!opaqueBackground) {
      const GdkRGBA transparent{0, 0, 0, 0};
      webkit_web_view_set_background_color(view, &transparent);
    }
    ApplyBounds();
    host.OnWebViewReady();
  }

  void AddScript(const char* source) {
    WebKitUserScript* script =
        webkit_user_script_new(source, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(contentManager, script);
    webkit_user_script_unref(script);
  }

  void ApplyBounds() {
    if (!view || !area)
      return;
    GtkWidget* widget = GTK_WIDGET(view);
    const int width = std::max(0, bounds.right - bounds.left);
    const int height = std::max(0, bounds.bottom - bounds.top);
    gtk_layout_move(GTK_LAYOUT(area), widget, bounds.left, bounds.top);
    gtk_widget_set_size_request(widget, width, height);
    // New bounds usually arrive from the parent's size-allocate, where a new size request only takes
    // effect at the next allocation (after the next resize): give the view its size right away.
    if (gtk_widget_get_mapped(widget) && width > 0 && height > 0) {
      gtk_widget_get_preferred_size(widget, nullptr, nullptr);
      GtkAllocation allocation{bounds.left, bounds.top, width, height};
      gtk_widget_size_allocate(widget, &allocation);
    }
    webkit_web_view_set_zoom_level(view, zoom);
  }

  void Close() {
    if (pendingSource) {
      g_source_remove(pendingSource);
      pendingSource = 0;
    }
    if (parent && parentDestroyId)
      g_signal_handler_disconnect(parent, parentDestroyId);
    parentDestroyId = 0;
    parent = nullptr;
    if (cancellable) {
      g_cancellable_cancel(cancellable);
      g_clear_object(&cancellable);
    }
    for (WebKitDownload* download : downloads) {
      g_signal_handlers_disconnect_by_data(download, this);
      webkit_download_cancel(download);
      g_object_unref(download);
    }
    downloads.clear();
    if (downloadStartedId) {
      g_signal_handler_disconnect(SharedContext(), downloadStartedId);
      downloadStartedId = 0;
    }
    if (contentManager) {
      g_signal_handlers_disconnect_by_data(contentManager, this);
      webkit_user_content_manager_unregister_script_message_handler(contentManager, kMessageHandlerName);
      g_clear_object(&contentManager);
    }
    if (view)
      g_signal_handlers_disconnect_by_data(view, this);
    view = nullptr;
    if (area) {
      g_signal_handlers_disconnect_by_data(area, this);
      gtk_widget_destroy(area);
      g_clear_object(&area);
    }
  }

  static void OnParentDestroyed(GtkWidget*, gpointer data) {
    try {
      static_cast<Impl*>(data)->Close();
    } catch (...) {
    }
  }

  // The area went away with its window before Close: forget the widgets, keep nothing pending.
  static void OnAreaDestroyed(GtkWidget*, gpointer data) {
    try {
      static_cast<Impl*>(data)->Close();
    } catch (...) {
    }
  }

  static gboolean OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                                gpointer data) {
    return static_cast<Impl*>(data)->devToolsAndContextMenus ? FALSE : TRUE;
  }

  static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey*, gpointer) {
    if (!gForwardingKey)
      return FALSE;
    // Let the key bubble to the parent's widgets without the page taking it again.
    g_signal_stop_emission_by_name(widget, "key-press-event");
    return FALSE;
  }

  static void OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    try {
      if (!ShowsEditorPage(self->view)) {
        LogWarning("ignored a message from another page");
        return;
      }
      JSCValue* value = webkit_javascript_result_get_js_value(result);
      if (jsc_value_is_string(value)) {
        gchar* text = jsc_value_to_string(value);
        self->host.OnMessageFromWebView(text ? text : "");
        g_free(text);
      } else {
        gchar* json = jsc_value_to_json(value, 0);
        self->host.OnMessageFromWebView(json ? json : "null");
        g_free(json);
      }
    } catch (...) {
      LogWarning("page message handler failed");
    }
  }

  static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    try {
      switch (type) {
      case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION: {
        WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
            WEBKIT_NAVIGATION_POLICY_DECISION(decision));
        const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
        // The view shows the editor's own page and nothing else: a web link the user follows opens in
        // the user's browser, every other address is refused whatever the owner says.
        if (!IsEditorPageAddress(uri)) {
          if (IsExternalWebAddress(uri) &&
              webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED &&
              webkit_navigation_action_is_user_gesture(action))
            OpenInUsersBrowser(uri);
          else
            LogWarning("refused navigation to", uri ? uri : "");
          webkit_policy_decision_ignore(decision);
          return TRUE;
        }
        if (self->host.CanNavigateToUrl(uri))
          return FALSE;
        webkit_policy_decision_ignore(decision);
        return TRUE;
      }
      case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION: {
        // Never a browser window inside the program: web addresses go to the user's browser, the rest
        // nowhere.
        WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
            WEBKIT_NAVIGATION_POLICY_DECISION(decision));
        const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
        if (IsExternalWebAddress(uri)) {
          OpenInUsersBrowser(uri);
        } else {
          LogWarning("refused window for", uri ? uri : "");
        }
        webkit_policy_decision_ignore(decision);
        return TRUE;
      }
      case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
        auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
        if (webkit_response_policy_decision_is_mime_type_supported(response))
          return FALSE;
        const char* mime =
            webkit_uri_response_get_mime_type(webkit_response_policy_decision_get_response(response));
        if (self->host.CanDownloadMimeType(mime ? mime : ""))
          webkit_policy_decision_download(decision);
        else
          webkit_policy_decision_ignore(decision);
        return TRUE;
      }
      default:
        return FALSE;
      }
    } catch (...) {
      LogWarning("policy handler failed");
      webkit_policy_decision_ignore(decision);
      return TRUE;
    }
  }

  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    try {
      if (event == WEBKIT_LOAD_STARTED)
        self->loadFailed = false;
      else if (event == WEBKIT_LOAD_FINISHED && !self->loadFailed)
        self->host.OnWebContentLoaded();
    } catch (...) {
      LogWarning("load handler failed");
    }
  }

  // A failed load is not reported as loaded, and no error page replaces the editor.
  static gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer data) {
    static_cast<Impl*>(data)->loadFailed = true;
    return TRUE;
  }

  static void OnDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    if (webkit_download_get_web_view(download) != self->view)
      return;
    self->downloads.push_back(WEBKIT_DOWNLOAD(g_object_ref(download)));
    g_signal_connect(download, "decide-destination", G_CALLBACK(OnDecideDestination), self);
    g_signal_connect(download, "received-data", G_CALLBACK(OnDownloadData), self);
    g_signal_connect(download, "failed", G_CALLBACK(OnDownloadFailed), self);
    g_signal_connect(download, "finished", G_CALLBACK(OnDownloadFinished), self);
  }

  static gboolean OnDecideDestination(WebKitDownload* download, gchar* suggested, gpointer data) {
    auto* self = static_cast<Impl*>(data);
    try {
      // This API generation takes the destination as a file URI.
      const std::string path = self->host.GetLocalDownloadPath(suggested ? suggested : "download");
      gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
      if (uri)
        webkit_download_set_destination(download, uri);
      else
        webkit_download_cancel(download);
      g_free(uri);
    } catch (...) {
      webkit_download_cancel(download);
    }
    return TRUE;
  }

  static void OnDownloadData(WebKitDownload* download, guint64, gpointer data) {
    try {
      WebKitURIResponse* response = webkit_download_get_response(download);
      const auto total =
          response ? static_cast<int64_t>(webkit_uri_response_get_content_length(response)) : 0;
      static_cast<Impl*>(data)->host.OnDownloadProgress(
          static_cast<int64_t>(webkit_download_get_received_data_length(download)), total);
    } catch (...) {
    }
  }

  static void OnDownloadFailed(WebKitDownload* download, GError*, gpointer data) {
    static_cast<Impl*>(data)->EndDownload(download, false);
  }

  static void OnDownloadFinished(WebKitDownload* download, gpointer data) {
    static_cast<Impl*>(data)->EndDownload(download, true);
  }

  void EndDownload(WebKitDownload* download, bool completed) {
    g_signal_handlers_disconnect_by_data(download, this);
    const char* destination = webkit_download_get_destination(download);
    gchar* file = destination ? g_filename_from_uri(destination, nullptr, nullptr) : nullptr;
    const std::string path = file ? file : (destination ? destination : "");
    g_free(file);
    for (auto it = downloads.begin(); it != downloads.end(); ++it) {
      if (*it == download) {
        downloads.erase(it);
        g_object_unref(download);
        break;
      }
    }
    try {
      if (completed)
        host.OnDownloadCompleted(path.c_str());
      else
        host.OnDownloadFailed(path.c_str());
    } catch (...) {
    }
  }
};

WebKitView::WebKitView(WebKitViewHost& host, bool devToolsAndContextMenus)
    : mImpl(std::make_unique<Impl>(host, devToolsAndContextMenus)) {}

WebKitView::~WebKitView() {
  mImpl->Close();
}

void WebKitView::Open(void* parent) {
  mImpl->Close();
  mImpl->uiThread = std::this_thread::get_id();
  if (!parent || !GTK_IS_CONTAINER(parent)) {
    LogWarning("the parent is not a container");
    return;
  }
  mImpl->parent = GTK_WIDGET(parent);
  mImpl->parentDestroyId =
      g_signal_connect(parent, "destroy", G_CALLBACK(Impl::OnParentDestroyed), mImpl.get());
  SharedContext();
  mImpl->pendingSource = g_idle_add(Impl::CreateViewIdle, mImpl.get());
}

void WebKitView::Close() {
  mImpl->Close();
}

bool WebKitView::IsOpen() const {
  return mImpl->view != nullptr;
}

bool WebKitView::IsOpening() const {
  return mImpl->pendingSource != 0;
}

void WebKitView::EvaluateJavaScript(const char* script, std::function<void(const char* json)> done) {
  if (!mImpl->view || !script || !mImpl->OnUiThread())
    return;
  if (!done) {
    webkit_web_view_evaluate_javascript(mImpl->view, script, -1, nullptr, nullptr, nullptr, nullptr, nullptr);
    return;
  }
  auto* call = new ScriptCall{G_CANCELLABLE(g_object_ref(mImpl->cancellable)), std::move(done)};
  webkit_web_view_evaluate_javascript(mImpl->view, script, -1, nullptr, nullptr, mImpl->cancellable,
                                      OnScriptFinished, call);
}

void WebKitView::LoadFile(const char* path) {
  if (!mImpl->view || !path || !mImpl->OnUiThread())
    return;
  const std::string text(path);
  mImpl->mappedFolder = FolderOfPagePath(text);
  g_object_set_data_full(G_OBJECT(mImpl->view), kMappedFolderKey, g_strdup(mImpl->mappedFolder.c_str()),
                         g_free);
  gchar* escaped = g_uri_escape_string(FileNameOfPagePath(text).c_str(), nullptr, FALSE);
  const std::string url = std::string(kScheme) + "://" + kHostName + "/" + escaped;
  g_free(escaped);
  webkit_web_view_load_uri(mImpl->view, url.c_str());
}

void WebKitView::LoadHTML(const char* html) {
  if (mImpl->view && html && mImpl->OnUiThread())
    webkit_web_view_load_html(mImpl->view, html, (std::string(kScheme) + "://" + kHostName + "/").c_str());
}

void WebKitView::SetBounds(const WebViewRect& rect, double zoom) {
  if (mImpl->view && !mImpl->OnUiThread())
    return;
  mImpl->bounds = rect;
  mImpl->zoom = zoom;
  mImpl->ApplyBounds();
}

bool WebKitView::PostKeyDownToParent(int virtualKey) {
  const guint keyval = VirtualKeyToKeyval(virtualKey);
  if (!mImpl->parent || !keyval)
    return false;
  GtkWidget* toplevel = gtk_widget_get_toplevel(mImpl->parent);
  if (!gtk_widget_is_toplevel(toplevel))
    return false;
  g_idle_add(DeliverForwardedKey, new ForwardedKey{GTK_WIDGET(g_object_ref(toplevel)), keyval});
  return true;
}

void WebKitView::PrewarmWebProcess() {
  WebKitWebView*& view = PrewarmedView();
  if (view)
    return;
  view = WEBKIT_WEB_VIEW(
      g_object_ref_sink(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", SharedContext(), nullptr)));
  webkit_web_view_load_uri(view, "about:blank");
}

void WebKitView::DropPrewarmedWebProcess() {
  if (WebKitWebView* view = std::exchange(PrewarmedView(), nullptr)) {
    webkit_web_view_terminate_web_process(view);
    g_object_unref(view);
  }
}

bool WebKitView::CanOpenDisplay() {
  static const bool ok = [] {
    gtk_disable_setlocale();
    return gtk_init_check(nullptr, nullptr) != FALSE;
  }();
  return ok;
}

void* WebKitView::NativeView() const {
  return mImpl->view;
}

#else // no GTK/WebKit in this build: the control never opens.

struct WebKitView::Impl {
  Impl(WebKitViewHost&, bool) {}
  std::string mappedFolder;
  WebViewRect bounds;
};
WebKitView::WebKitView(WebKitViewHost& host, bool devTools) : mImpl(std::make_unique<Impl>(host, devTools)) {}
WebKitView::~WebKitView() = default;
void WebKitView::Open(void*) {}
void WebKitView::Close() {}
bool WebKitView::IsOpen() const {
  return false;
}
bool WebKitView::IsOpening() const {
  return false;
}
void WebKitView::EvaluateJavaScript(const char*, std::function<void(const char*)>) {}
void WebKitView::LoadFile(const char*) {}
void WebKitView::LoadHTML(const char*) {}
void WebKitView::SetBounds(const WebViewRect& rect, double) {
  mImpl->bounds = rect;
}
bool WebKitView::PostKeyDownToParent(int) {
  return false;
}
void WebKitView::PrewarmWebProcess() {}
void WebKitView::DropPrewarmedWebProcess() {}
bool WebKitView::CanOpenDisplay() {
  return false;
}
void* WebKitView::NativeView() const {
  return nullptr;
}

#endif

WebViewRect WebKitView::GetBounds() const {
  return mImpl->bounds;
}

const std::string& WebKitView::GetMappedFolder() const {
  return mImpl->mappedFolder;
}

} // namespace keel
