#include "datenum/edit_settings.hpp"

#include <optional>

#include "env/ini_file.hpp"
#include "platform/environment.hpp"

namespace vela {
namespace {

struct NumberSettings {
    char decimal;
    char thousands;
};

struct DateSettings {
    char separator;
    std::string order;
};

std::optional<NumberSettings> numberSettings;
std::optional<DateSettings> dateSettings;

// The settings are read from the root the menu system gives, not from the
// session record, so that they are right even before the session is read.
std::string UserSetting(const char* key) {
    return IniRead(GetEnvironment("RUKROOT") + "Vela.ini", "Usuari", key);
}

char FirstCharacterOr(const std::string& value, char fallback) {
    return value.empty() || value[0] == ' ' ? fallback : value[0];
}

const NumberSettings& Numbers() {
    if (!numberSettings) {
        numberSettings = NumberSettings{FirstCharacterOr(UserSetting("DecCaracter"), '\''),
                                        FirstCharacterOr(UserSetting("MilCaracter"), '.')};
    }
    return *numberSettings;
}

const DateSettings& Dates() {
    if (!dateSettings) {
        std::string order = UserSetting("DatOrdre");
        if (order.find_first_not_of(' ') == std::string::npos) order = "DMA";
        order.resize(3, ' ');
        // Offices write the letters in either case; the formatter compares
        // them with upper-cased parts letters.
        for (char& c : order) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        dateSettings = DateSettings{FirstCharacterOr(UserSetting("DatCaracter"), '/'), order};
    }
    return *dateSettings;
}

}  // namespace

char DecimalCharacter() { return Numbers().decimal; }
char ThousandsCharacter() { return Numbers().thousands; }
char DateSeparator() { return Dates().separator; }
const std::string& DateOrder() { return Dates().order; }

void ReloadEditSettings() {
    numberSettings.reset();
    dateSettings.reset();
}

}  // namespace vela
