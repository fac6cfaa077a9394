#include "app/office_identity.hpp"

#include <gtest/gtest.h>

#include "platform/code_page_850.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

using testing::TempFolder;
using testing::WriteFile;

TEST(OfficeIdentity, ReadFromVelaIniAndPaddedOrCutTo35) {
    TempFolder root;
    WriteFile(root / "Vela.ini",
              "[Usuari]\r\nIdioma=CAT\r\n[Oficina]\r\nNom=" + Cp850("FINQUES L'ESTANY") +
                  "\r\nAdreca1=C. MAJOR, 1\r\nAdreca2=08500 VIC\r\n"
                  "RaoSocial=ADMINISTRACIONS DE FINQUES DE LA PLANA DE VIC SL\r\n"
                  "NIF=ESB12345674\r\n");
    const OfficeIdentity office = LoadOfficeIdentity(root.path());
    EXPECT_EQ(office.officeName, Cp850("FINQUES L'ESTANY") + std::string(19, ' '));
    EXPECT_EQ(office.officeAddress1, "C. MAJOR, 1" + std::string(24, ' '));
    EXPECT_EQ(office.officeAddress2, "08500 VIC" + std::string(26, ' '));
    EXPECT_EQ(office.officeAddress3, std::string(35, ' '));
    EXPECT_EQ(office.officeLegalName, "ADMINISTRACIONS DE FINQUES DE LA PL");
    EXPECT_EQ(office.officeTaxId, "ESB12345674" + std::string(24, ' '));
}

TEST(OfficeIdentity, MissingFileGivesBlankFields) {
    TempFolder root;
    const OfficeIdentity office = LoadOfficeIdentity(root.path());
    for (const std::string* field :
         {&office.officeName, &office.officeAddress1, &office.officeAddress2,
          &office.officeAddress3, &office.officeLegalName, &office.officeTaxId}) {
        EXPECT_EQ(*field, std::string(35, ' '));
    }
}

}  // namespace
}  // namespace vela
