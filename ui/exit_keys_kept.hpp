// The exit-key table as a pop-up tool found it, put back when the tool ends.
//
// The calendar and the calculator open from inside a field's editing, when
// the form engine already holds the table's one-level save slot for that
// field. Saving through the slot would be ignored there and restoring
// through it would hand the field the table of before the form, so that the
// first key typed afterwards ended the field. The tools keep their own copy
// instead and leave the slot alone.
#pragma once

#include <string>

#include "ui/keyboard.hpp"

namespace vela {

class ExitKeysKept {
  public:
    ExitKeysKept() : keys_(exitKeys), results_(exitResults) {}
    ~ExitKeysKept() {
        exitKeys = keys_;
        exitResults = results_;
    }
    ExitKeysKept(const ExitKeysKept&) = delete;
    ExitKeysKept& operator=(const ExitKeysKept&) = delete;

  private:
    std::string keys_;
    std::string results_;
};

}  // namespace vela
