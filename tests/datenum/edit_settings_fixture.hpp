// Test fixture for the editing settings: an installation root of its own
// (RUKROOT) whose "Vela.ini" each test may write, with the settings reloaded
// before and after every test so that no test sees another's characters.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "datenum/edit_settings.hpp"
#include "env/session.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela::testing {

class EditSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ReloadEditSettings();
        savedLanguage_ = Session.language;
        savedCurrency_ = Session.currency;
        Session.language = "CAT";
        Session.currency = "E";
    }
    void TearDown() override {
        ReloadEditSettings();
        Session.language = savedLanguage_;
        Session.currency = savedCurrency_;
    }

    // Writes "Vela.ini" [Usuari] with the given lines and reloads.
    void WriteUserSettings(const std::string& lines) {
        WriteFile(root_ / "Vela.ini", "[Usuari]\r\n" + lines);
        ReloadEditSettings();
    }

    TempFolder root_;
    ScopedEnvironment rootVariable_{"RUKROOT", root_.path().c_str()};

  private:
    std::string savedLanguage_;
    std::string savedCurrency_;
};

}  // namespace vela::testing
