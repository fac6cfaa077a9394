// Whether a program of the family was started in a session. The session
// folder comes from RUKTMP or, without it, from "Sessio.ini" [Terminal]
// "Dir" in the current folder; with neither, the session settings would take
// the terminal type (TERM) for a folder, which never holds a session. A
// program started by hand that way says so instead of writing into such a
// folder.
#pragma once

#include <string>

namespace vela {

// Empty when the session folder is known. Otherwise the plain words for the
// user: which of RUKROOT, RUKEXE and RUKTMP are not set, and how to start
// program in a session.
std::string MissingSession(const std::string& program);

}  // namespace vela
