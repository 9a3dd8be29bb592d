// Byte string that crosses the host boundary.
#include "Keel/Dependencies/Core/HMX_SDK/Libs/HMXLibrary/source/HMX_CString.h"

#include <cstring>
#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>

HMX_CString& HMX_CString::operator=(const char* text) {
  SetText(text);
  return *this;
}

HMX_CString& HMX_CString::operator=(const HMX_IString& other) {
  if (&other != this)
    mText = other.Text();
  return *this;
}

HMX_CString& HMX_CString::operator=(const HMX_CString& other) {
  mText = other.mText;
  return *this;
}

void HMX_CString::AppendNumber(double value, int decimals) {
  std::ostringstream stream;
  stream.imbue(std::locale::classic());
  stream << std::fixed << std::setprecision(decimals < 0 ? 0 : decimals) << value;
  mText += stream.str();
}

void HMX_CString::Erase(uint32_t position, uint32_t count) {
  if (position > mText.size())
    throw std::out_of_range("HMX_CString::Erase position past the end");
  mText.erase(position, count);
}

void HMX_CString::SubString(uint32_t position, uint32_t count, HMX_IString* out) const {
  if (!out)
    return;
  out->SetText(position >= mText.size() ? "" : mText.substr(position, count).c_str());
}

bool HMX_CString::ToDouble(double& out) const {
  std::istringstream stream(mText);
  stream.imbue(std::locale::classic());
  double value = 0.0;
  if (!(stream >> value)) {
    out = 0.0;
    return false;
  }
  out = value;
  return true;
}

bool operator==(const HMX_CString& a, const HMX_CString& b) {
  return std::strcmp(a.Text(), b.Text()) == 0;
}
bool operator!=(const HMX_CString& a, const HMX_CString& b) {
  return !(a == b);
}
bool operator<(const HMX_CString& a, const HMX_CString& b) {
  return std::strcmp(a.Text(), b.Text()) < 0;
}
