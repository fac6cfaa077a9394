// The record file layer's two messages in the session languages: the fatal
// open failure (followed by the path and the status) and the wait on a
// locked record. Catalan for any language not listed.
#pragma once

#include <string>

namespace vela {

// CP850 texts for the language code ("SPA", "GLG", "OCI", else Catalan).
const std::string& OpenFailureText(const std::string& language);
const std::string& LockWaitText(const std::string& language);

}  // namespace vela
