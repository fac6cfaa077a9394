#include "ui/small_screen_notice.hpp"

#include "env/translation.hpp"
#include "platform/code_page_850.hpp"
#include "platform/console.hpp"

namespace vela {

void InstallSmallScreenNotice() {
    SetSmallScreenNotice(
        [] { return Translate(Cp850("CAL UN TERMINAL DE 80 COLUMNES PER 25 FILES COM A MÍNIM")); });
}

}  // namespace vela
