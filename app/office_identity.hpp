// The office's own identity, kept in "Vela.ini" [Oficina] of the installation
// root: the name and address printed on certificates and listings, the legal
// name and tax number under which the office's own fees are reported when the
// office is the payee (payee code 0000).
#pragma once

#include <cstddef>
#include <string>

namespace vela {

// Every field is cut or blank-padded to this width.
inline constexpr std::size_t kOfficeFieldWidth = 35;

struct OfficeIdentity {
    std::string officeName;       // [Oficina] Nom
    std::string officeAddress1;   // Adreca1
    std::string officeAddress2;   // Adreca2
    std::string officeAddress3;   // Adreca3
    std::string officeLegalName;  // RaoSocial
    std::string officeTaxId;      // NIF: 2-character country prefix, then the tax number
};

// Read at start-up; blank fields for a missing file, section or key.
OfficeIdentity LoadOfficeIdentity(const std::string& rootDir);

// The identity loaded by the driver for the whole run.
extern OfficeIdentity officeIdentity;

}  // namespace vela
