// The pop-up calendar of the hot key Alt+C: three months of a year in a
// framed window at the right edge of the screen, a highlighted day moved by
// the cursor keys, and the chosen date returned as the short numeric date
// text (the key reader types it into the field being edited).
//
// The picker opens on the session's working date and always shows the
// calendar quarter of the highlighted month: January-March, April-June,
// July-September or October-December.
#pragma once

#include <cstdint>
#include <string>

namespace vela {

// The chosen date as DateText style 0, parts "dma"; "" when left with Esc.
std::string PickDate();

// Days of month 1-12 in year, by the Gregorian leap-year rule.
int MonthDays(int year, int month);

}  // namespace vela
