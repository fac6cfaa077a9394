// The keyboard's Insert toggle, shared by every field of every program of
// the session: a PC keeps it in the keyboard's own state, so a clerk who
// switched to insert mode in one program is still in insert mode in the
// next. Here it is kept in the session folder, in the file "Insert.tmp"
// holding "1" (insert) or "0" (overwrite); without the file the keyboard
// starts in overwrite mode, as a PC keyboard does.
#pragma once

#include <string>

namespace vela {

// True when the toggle is on (insert mode).
bool InsertToggle();

// Writes the toggle back for the rest of the session.
void SetInsertToggle(bool on);

// Host path of the file that holds the toggle.
std::string InsertTogglePath();

}  // namespace vela
