// Puts the calendar (Alt+C) and the calculator (Alt+X) behind the keyboard's
// hot keys, so that any key read can open them and their result is typed
// into the field being edited.
#pragma once

namespace vela {

void InstallPopUpTools();

}  // namespace vela
