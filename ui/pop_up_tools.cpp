#include "ui/pop_up_tools.hpp"

#include "ui/calculator.hpp"
#include "ui/calendar_picker.hpp"
#include "ui/keyboard.hpp"

namespace vela {

void InstallPopUpTools() {
    SetCalculatorTool(Calculator);
    SetCalendarTool(PickDate);
}

}  // namespace vela
