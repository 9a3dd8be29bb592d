// Clean-up of the temporary files that a writer killed mid-save leaves beside the file it was replacing.
#pragma once

#include <string>

namespace keel {

// Removes "<file>.tmp-<pid>" and "<file>.tmp-<pid>-<n>" beside file whose process has ended (a living
// process, this one included, may be writing its own right now). Returns how many were removed.
int RemoveStaleTemporaries(const std::string& file);

// True when name ends in ".tmp-<pid>" or ".tmp-<pid>-<n>" and process pid, not this one, has ended: a
// temporary file that nobody will rename any more.
bool IsStaleTemporaryName(const std::string& name);

} // namespace keel
