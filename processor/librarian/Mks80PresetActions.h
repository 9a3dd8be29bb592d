// The page's preset actions that talk to the MKS-80: the current patch, bulk requests, bulk sends and the
// choice for a received dump.
#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

#include "processor/librarian/BulkDumpChoice.h"

class Velmora;

namespace vlm {

// Threads: UI thread. True when the operation is one of "dumpCurrentToMidi", "requestMksBulkDump",
// "dumpMidFileStart", "dumpMidFileCancel" and "mksBulkDumpFormatChoice"; it has then been run, and
// answered with tag 203 unless its answer comes when the transfer ends.
bool HandleMks80PresetAction(Velmora& processor, const std::string& operation, const nlohmann::json& request,
                             const DumpFileChooser& chooseFile, const DumpFolderChooser& chooseFolder);

} // namespace vlm
