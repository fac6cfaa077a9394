#include "records/record_file_messages.hpp"

#include <array>

#include "platform/code_page_850.hpp"

namespace vela {

namespace {

struct Wording {
    const char* language;
    std::string openFailure;
    std::string lockWait;
    std::string networkDrive;
};

// The first entry is Catalan, the wording for every other language code.
const std::array<Wording, 4>& Wordings() {
    static const std::array<Wording, 4> wordings = {{
        {"CAT", Cp850("NO ES POT ACCEDIR AL FITXER "),
         Cp850("FITXER BLOQUEJAT. ESPEREU UN MOMENT."), Cp850(" - UNITAT DE XARXA")},
        {"SPA", Cp850("NO SE PUEDE ACCEDER AL FICHERO "),
         Cp850("FICHERO BLOQUEADO. ESPERE UN MOMENTO."), Cp850(" - UNIDAD DE RED")},
        {"GLG", Cp850("NOM SE PODE ACEDER AO FICHEIRO "),
         Cp850("FICHEIRO BLOQUEADO. ESPERE UM MOMENTO."), Cp850(" - UNIDADE DE REDE")},
        {"OCI", Cp850("NON SE PÒT ACCEDIR ATH FICHÈR "),
         Cp850("FICHÈR BLOQUEJAT. ESPERATZ UN MOMENT."), Cp850(" - UNITAT DE RET")},
    }};
    return wordings;
}

const Wording& WordingFor(const std::string& language) {
    for (const Wording& wording : Wordings()) {
        if (language == wording.language) return wording;
    }
    return Wordings()[0];
}

}  // namespace

const std::string& OpenFailureText(const std::string& language) {
    return WordingFor(language).openFailure;
}

const std::string& LockWaitText(const std::string& language) {
    return WordingFor(language).lockWait;
}

const std::string& NetworkDriveText(const std::string& language) {
    return WordingFor(language).networkDrive;
}

}  // namespace vela
