// Messages of a run (completion, failures): in the interactive program a
// message window centred on row 12 that waits for a key; in a batch run the
// same window on the headless screen, and the text on standard output
// instead of the wait.
#pragma once

#include <string>

namespace vela {

void SetBatchMessages(bool batch);
bool BatchMessages();

// Shows an already translated text.
void ShowRunMessage(const std::string& text);

}  // namespace vela
