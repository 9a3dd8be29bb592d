// Thread-local switch to the C locale for number formatting.
#include "Keel/Core/CLocaleScope.h"

namespace keel {

locale_t CLocaleScope::CLocale() {
  // Made once; uselocale needs an object that outlives every thread using it.
  static const locale_t sC = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return sC;
}

CLocaleScope::CLocaleScope() {
  if (locale_t c = CLocale())
    mPrevious = uselocale(c);
}

CLocaleScope::~CLocaleScope() {
  if (mPrevious)
    uselocale(mPrevious);
}

} // namespace keel
