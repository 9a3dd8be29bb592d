// Switches the calling thread to the C locale while in scope, so numbers in JSON, scripts, logs and files
// get a '.' decimal point whatever the user's locale.
#pragma once

#include <locale.h>

namespace keel {

class CLocaleScope {
public:
  CLocaleScope();
  ~CLocaleScope();
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

  // The process-wide C locale object (created once, never freed).
  static locale_t CLocale();

private:
  locale_t mPrevious = nullptr;
};

} // namespace keel
