// The notice the terminal shows instead of the program's screen while it is
// smaller than 80 x 25, in the session's language.
#pragma once

namespace vela {

// Makes the console ask for the notice through the language table.
void InstallSmallScreenNotice();

}  // namespace vela
