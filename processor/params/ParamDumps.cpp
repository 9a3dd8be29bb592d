// Schema and curve dumps: fixed text layouts, numbers as %.17g in the C locale whatever the user's locale.
#include "processor/params/ParamDumps.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Keel/Core/HeapString.h"

namespace vlm {
namespace {

constexpr int kSamplesPerParam = 21;

// %.17g: enough digits to read every double back exactly; to_chars never looks at the locale.
void AppendNumber(std::string& out, double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
  out.append(text, result.ptr);
}

std::string NameOf(const keel::IParam& param) {
  const char* name = param.GetName();
  return std::string(name, strnlen(name, keel::IParam::kTextSize));
}

const char* EnvPath(const char* variable) {
  const char* value = std::getenv(variable);
  return (value && *value) ? value : nullptr;
}

void WriteIfOpens(const char* path, const std::string& text) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file)
    return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

} // namespace

std::string MakeSchemaDump(const ConstParamAccessor& getParam, int count) {
  std::string out = "[\n";
  for (int i = 0; i < count; ++i) {
    const keel::IParam& param = *getParam(i);
    keel::HeapString json;
    param.GetJSON(json, i);
    std::string line = json.Get();
    if (!line.empty() && line.back() == '}') {
      line.pop_back();
      line += ", \"default_normalized\":";
      AppendNumber(line, param.GetDefault(true));
      line += '}';
    }
    out += "  ";
    out += line;
    out += i + 1 < count ? ",\n" : "\n";
  }
  out += "]\n";
  return out;
}

std::string MakeCurvesDump(const ConstParamAccessor& getParam, int count) {
  std::string out = "{\n  \"samples_per_param\": ";
  out += std::to_string(kSamplesPerParam);
  out += ",\n  \"norm_values\": [";
  for (int s = 0; s < kSamplesPerParam; ++s) {
    if (s)
      out += ", ";
    AppendNumber(out, s / 20.0);
  }
  out += "],\n  \"params\": [\n";
  for (int i = 0; i < count; ++i) {
    const keel::IParam& param = *getParam(i);
    out += "    {\"id\": ";
    out += std::to_string(i);
    out += ", \"name\": \"";
    out += NameOf(param); // names hold no characters that need escaping
    out += "\", \"min\": ";
    AppendNumber(out, param.GetMin());
    out += ", \"max\": ";
    AppendNumber(out, param.GetMax());
    out += ", \"default\": ";
    AppendNumber(out, param.GetDefault(false));
    out += ", \"real\": [";
    for (int s = 0; s < kSamplesPerParam; ++s) {
      if (s)
        out += ", ";
      // The shape's own output, not constrained to steps: the curve as the engine sees it.
      AppendNumber(out, param.GetShape().NormalizedToValue(s / 20.0, param));
    }
    out += i + 1 < count ? "]},\n" : "]}\n";
  }
  out += "  ]\n}\n";
  return out;
}

bool WriteParamDumpsFromEnvironment(const ConstParamAccessor& getParam, int count) {
  const char* schemaPath = EnvPath(kDumpSchemaPathEnv);
  const char* curvesPath = EnvPath(kDumpCurvesPathEnv);
  if (schemaPath)
    WriteIfOpens(schemaPath, MakeSchemaDump(getParam, count));
  if (curvesPath)
    WriteIfOpens(curvesPath, MakeCurvesDump(getParam, count));
  return schemaPath || curvesPath;
}

} // namespace vlm
