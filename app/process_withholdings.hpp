// The program's main procedure: the selection form shown again and again,
// each accepted selection run (the outputs, then the print program), until
// the clerk leaves the selection form with Esc. The selection form keeps the
// values of the last run.
#pragma once

namespace vela {

void ProcessWithholdings();

}  // namespace vela
