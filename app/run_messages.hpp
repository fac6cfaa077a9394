// Messages of a run (completion, failures): in the interactive program a
// message window centred on row 12 that waits for a key; in a batch run the
// same window on the headless screen, and the text on standard output
// instead of the wait (failures on standard error, in plain words).
#pragma once

#include <string>

namespace vela {

void SetBatchMessages(bool batch);
bool BatchMessages();

// Shows an already translated text.
void ShowRunMessage(const std::string& text);

// Something that went wrong in a run: the interactive program shows the
// translated text in the message window; a batch run says it in plain words
// on standard error.
void ShowRunFailure(const std::string& shown, const std::string& plainWords);

// A message that stays up while the program waits for something (another
// run): a window without a key in the interactive program, a line on
// standard output in a batch run. CloseWaitMessage takes the window away.
void ShowWaitMessage(const std::string& text);
void CloseWaitMessage();

}  // namespace vela
