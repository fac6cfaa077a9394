// The driver's opening of the office's nine record files: each under its
// file number, from the installation root, into its record area, in the
// order of the files' description (owners first, the tax identities last).
// A missing file is created from its dictionary entry by the record layer;
// a file that cannot be opened ends the program there, after its message.
#pragma once

namespace vela {

void OpenOfficeFiles();

}  // namespace vela
