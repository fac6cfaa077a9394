// The record file layer's messages in the session languages: the fatal
// open failure (followed by the path and the status, and for a file on a
// network drive by the reason) and the wait on a locked record. Catalan for
// any language not listed.
#pragma once

#include <string>

namespace vela {

// CP850 texts for the language code ("SPA", "GLG", "OCI", else Catalan).
const std::string& OpenFailureText(const std::string& language);
const std::string& LockWaitText(const std::string& language);
// Follows the status of an open refused because the file is on a network
// drive (a file system whose locks do not reach other machines).
const std::string& NetworkDriveText(const std::string& language);

}  // namespace vela
