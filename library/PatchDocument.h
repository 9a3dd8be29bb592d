// Patch documents (.80p): building one from the parameters, and applying one's values with its reading
// rules. A tone lives only inside a patch document, as "toneA" (Upper) or "toneB" (Lower).
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "Keel/Core/IKeelAPIBase.h"

namespace vlm {

constexpr const char* kPatchDocumentFormat = "com.velmora.patch";
constexpr const char* kPatchDocumentKind = "patch";
constexpr const char* kToneModelRevision = "rev4";
constexpr const char* kNotAPatchFileError = "Not a Velmora patch file";

// Threads: UI thread. The values map that the applying operations fill has one member per parameter
// set: the index in decimal -> the normalized value set.

// {key: normalized value of parameter (row index + indexOffset)} for the rows of one run.
nlohmann::json ParamsToJson(const keel::IEditorDelegate& processor, int firstRow, int rowCount,
                            int indexOffset);
// {"modelRevision": "rev4", "params": the 49 tone keys and the tone's two LFO sync keys}; toneOffset 0 or 49.
nlohmann::json BuildToneJson(const keel::IEditorDelegate& processor, int toneOffset);
// The whole document of the current parameters; "createdWith" carries the processor's version text.
nlohmann::json BuildPatchDocument(const keel::IPluginBase& processor);

// Sets each key of the run present as a JSON number (clamped to 0..1); returns how many were set.
int ApplyPresentKeys(keel::IKeelAPIBase& processor, const nlohmann::json& params, int firstRow, int rowCount,
                     int indexOffset, nlohmann::json& values);
// Sets each key of the run not present as a number to its parameter's default; returns how many.
int ResetMissingKeys(keel::IKeelAPIBase& processor, const nlohmann::json& params, int firstRow, int rowCount,
                     int indexOffset, nlohmann::json& values);
// The tone keys present, then the two LFO sync keys present or else their defaults; toneOffset 0 or 49.
int ApplyToneParams(keel::IKeelAPIBase& processor, const nlohmann::json& toneParams, int toneOffset,
                    nlohmann::json& values);
// A document from before the Lower patch block existed: copies parameters 6-16 to 170-180.
void FillMissingLowerPartBlock(keel::IKeelAPIBase& processor, const nlohmann::json& patchParams,
                               nlohmann::json& values);
// The whole load: patch keys (only the 33 patch rows while the effect chain is locked), the Lower block
// fill, the patch LFO2 sync defaults, then tone A and tone B. Parameters no document names are never
// touched. The caller checks the format first (IsPatchDocument).
void ApplyPatchDocument(keel::IKeelAPIBase& processor, const nlohmann::json& document, bool effectChainLocked,
                        nlohmann::json& values);

// "format" is "com.velmora.patch" and "kind" is "patch".
bool IsPatchDocument(const nlohmann::json& document);
// ReadJsonFile, then IsPatchDocument; error: the reader's message, or "Not a Velmora patch file".
bool ReadPatchDocument(const std::filesystem::path& path, nlohmann::json& document, std::string& error);
// The built-in Init document, parsed.
nlohmann::json ParseInitPatchDocument();
// True when the file's "patch.keyMode" is a number that rounds to key mode 0 ("Whole").
bool ReadPatchIsWhole(const std::filesystem::path& path);
// Gives the path the ".80t" (tone) or ".80p" extension unless it has it already (in any letter case).
void EnsureDocumentExtension(std::filesystem::path& path, bool tone);

} // namespace vlm
