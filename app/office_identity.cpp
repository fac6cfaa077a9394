#include "app/office_identity.hpp"

#include "app/start_up.hpp"
#include "env/ini_file.hpp"

namespace vela {

OfficeIdentity officeIdentity{};

OfficeIdentity LoadOfficeIdentity(const std::string& rootDir) {
    const std::string ini = rootDir + "Vela.ini";
    auto read = [&](const char* key) {
        return FixedField(IniRead(ini, "Oficina", key), kOfficeFieldWidth);
    };
    return {read("Nom"),     read("Adreca1"),   read("Adreca2"),
            read("Adreca3"), read("RaoSocial"), read("NIF")};
}

}  // namespace vela
