// Byte string that crosses the host boundary (UTF-8 or plain bytes).
#pragma once

#include "Keel/Dependencies/Core/HMX_SDK/Interfaces/HMX_IString.h"

#include <string>

// A value type; not shared between threads.
class HMX_CString : public HMX_IString {
public:
  HMX_CString() = default;
  HMX_CString(const char* text) : mText(text ? text : "") {}
  HMX_CString(const HMX_IString& other) : mText(other.Text()) {}
  HMX_CString(const HMX_CString& other) : HMX_IString(), mText(other.mText) {}
  ~HMX_CString() override = default;

  uint32_t Length() const override { return uint32_t(mText.size()); }
  uint32_t MaxLength() const override { return 0xFFFFFFFEu; }
  const char* Text() const override { return mText.c_str(); }
  void SetText(const char* text) override { mText = text ? text : ""; }
  HMX_CString& operator=(const char* text) override;
  HMX_CString& operator=(const HMX_IString& other) override;
  HMX_CString& operator=(const HMX_CString& other);

  void Swap(HMX_CString& other) noexcept { mText.swap(other.mText); }
  char& operator[](uint32_t index) { return mText[index]; }
  char operator[](uint32_t index) const { return mText[index]; }

  void Append(const HMX_IString& other) { mText += other.Text(); }
  void Append(const char* text) { mText += text ? text : ""; }
  // Appends the number in fixed notation with exactly that many decimals, in the C locale.
  void AppendNumber(double value, int decimals);
  void Clear() { mText.clear(); }
  // Removes up to count characters from the position; a position past the end throws std::out_of_range.
  void Erase(uint32_t position, uint32_t count);
  // Hands out at most count characters from the position (nothing from a position past the end).
  void SubString(uint32_t position, uint32_t count, HMX_IString* out) const;
  // Reads the text as a double by stream extraction in the C locale; false with out = 0 on failure.
  bool ToDouble(double& out) const;

  const std::string& Str() const { return mText; }

private:
  std::string mText;
};

// Texts compare as C strings (up to the first NUL).
bool operator==(const HMX_CString& a, const HMX_CString& b);
bool operator!=(const HMX_CString& a, const HMX_CString& b);
bool operator<(const HMX_CString& a, const HMX_CString& b);
