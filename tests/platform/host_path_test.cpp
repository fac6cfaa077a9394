#include "platform/host_path.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

TEST(HostPath, BackslashesBecomeSlashesAndTheDriveIsDropped) {
    EXPECT_EQ(HostPath("C:\\VELA\\DADES\\VPagos.dat"), "/VELA/DADES/VPagos.dat");
    EXPECT_EQ(HostPath("/srv/vela/DADES\\VPropiet.dat"), "/srv/vela/DADES/VPropiet.dat");
    EXPECT_EQ(HostPath("DADES\\X"), "DADES/X");
    EXPECT_EQ(HostPath("1:X"), "1:X");  // not a drive letter
    EXPECT_EQ(HostPath(""), "");
}

TEST(HostPath, OpeningFallsBackToAnotherLetterCase) {
    testing::TempFolder root;
    ::mkdir((root / "dades").c_str(), 0755);
    testing::WriteFile(root / "dades/vpagos.DAT", "x");
    EXPECT_EQ(ResolveHostPath(root.path() + "DADES\\VPagos.dat"), root / "dades/vpagos.DAT");
    // A name that exists in no spelling is kept as written, below the
    // folder that does exist.
    EXPECT_EQ(ResolveHostPath(root.path() + "DADES\\New.dat"), root / "dades/New.dat");
    EXPECT_EQ(ResolveHostPath(root.path() + "NOU\\X.dat"), root / "NOU/X.dat");
}

TEST(HostPath, AnExactNameWinsOverOtherSpellings) {
    testing::TempFolder root;
    testing::WriteFile(root / "Vela.ini", "a");
    testing::WriteFile(root / "VELA.INI", "b");
    EXPECT_EQ(ResolveHostPath(root.path() + "VELA.INI"), root / "VELA.INI");
    EXPECT_EQ(ResolveHostPath(root.path() + "Vela.ini"), root / "Vela.ini");
}

}  // namespace
}  // namespace vela
