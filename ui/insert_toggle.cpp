#include "ui/insert_toggle.hpp"

#include <fstream>

#include "env/session.hpp"
#include "platform/host_path.hpp"

namespace vela {

std::string InsertTogglePath() { return ResolveHostPath(Session.tmpDir + "Insert.tmp"); }

bool InsertToggle() {
    std::ifstream in(InsertTogglePath(), std::ios::binary);
    char state = '0';
    return in.get(state) && state == '1';
}

void SetInsertToggle(bool on) {
    // A session folder that cannot be written only loses the toggle for the
    // next program; the field being edited keeps its own copy.
    std::ofstream out(InsertTogglePath(), std::ios::binary | std::ios::trunc);
    out << (on ? '1' : '0');
}

}  // namespace vela
