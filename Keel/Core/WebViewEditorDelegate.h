// The editor as one web page: processor-to-page traffic as script calls, page-to-processor traffic as
// posted JSON messages.
#pragma once

#include <functional>
#include <string>

#include "Keel/Core/IEditorDelegate.h"
#include "Keel/Core/IWebView.h"

namespace keel {

// Threads: UI thread only (script calls from the UI timer or UI handlers, page messages from the
// browser control's events).
class WebViewEditorDelegate : public IEditorDelegate, public IWebView {
public:
  // Initial room for a script text; longer scripts are still sent whole.
  static constexpr int kDefaultMaxJSStringLength = 8192;

  explicit WebViewEditorDelegate(int nParams);
  ~WebViewEditorDelegate() override;

  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void OnParentWindowResize(int width, int height) override;
  bool OnKeyDown(const KeyPressRecord& key) override;
  bool OnKeyUp(const KeyPressRecord& key) override;

  // "SCVFD(%i, %f)"
  void SendControlValueFromDelegate(int ctrlTag, double normalizedValue) override;
  // "SCMFD(%i, %i, %i, '%s')": control tag, message tag, size in bytes, base64 of the data.
  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data) override;
  // "SAMFD(%i, %i, '%s')": message tag, base64 buffer length (characters + 1, 0 when empty), base64.
  void SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* data) override;
  // "SMMFD(%i, %i, %i)"
  void SendMidiMsgFromDelegate(const MidiMsg& msg) override;
  // "SPVFD(%i, %f)" with the normalized value.
  void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) override;

  // Calls the editor-ready callback.
  void OnWebViewReady() override;
  // Sends the parameter descriptions, then OnUIOpen.
  void OnWebContentLoaded() override;
  // Parses one page message and dispatches it; malformed messages are ignored.
  void OnMessageFromWebView(const char* json) override;

  void SetEditorInitFunc(std::function<void()> func) { mEditorInitFunc = std::move(func); }
  void SetMaxJSStringLength(int length) { mMaxJSStringLength = length; }
  int GetMaxJSStringLength() const { return mMaxJSStringLength; }
  void* GetParentWindow() const { return mParentWnd; }
  // True once the page has reported its content loaded, until the window closes.
  bool IsContentLoaded() const { return mContentLoaded; }

  // The parameter-description message: {"id":"params","params":[each parameter's description]}.
  std::string MakeParamDescriptionsMessage() const;

  // Browser key code to Windows virtual-key code; 0 for keys the editor does not forward.
  static int MapKeyCodeToVirtualKey(int keyCode);

protected:
  // Formats numbers as the C formatter does in the C locale ("%f": six decimals) and sends the whole text.
  void EvaluateScript(const std::string& script);

  int mMaxJSStringLength = kDefaultMaxJSStringLength;
  std::function<void()> mEditorInitFunc;
  void* mParentWnd = nullptr;
  bool mContentLoaded = false;
};

} // namespace keel
