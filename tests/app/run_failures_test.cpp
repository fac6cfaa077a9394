// What a run does when something goes wrong in it: a record file that
// cannot be read stops the walk with nothing written after it as if
// complete; another run's lock is waited for, then refused; the spool file,
// the print program's options and the print program itself are checked;
// texts from the records cannot add spool directives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/run_messages.hpp"
#include "app/selection.hpp"
#include "app/withholding_run.hpp"
#include "datenum/calendar_dates.hpp"
#include "env/session.hpp"
#include "platform/file_lock.hpp"
#include "platform/headless_console.hpp"
#include "print/spool_file.hpp"
#include "recman/record_manager.hpp"
#include "records/record_file.hpp"
#include "tests/app/office_fixture.hpp"
#include "tests/recman/record_file_support.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::FileExists;
using testing::OfficeFixture;
using testing::ReadFile;
using testing::WriteFile;

constexpr std::int16_t kPayments = 18;

// Two owners in the state territory, each paying a professional.
class RunFailuresTest : public ::testing::Test {
  protected:
    void SetUp() override {
        office_.Territory(1, "ESTAT");
        for (const char* owner : {"0001", "0002"}) {
            office_.Owner(owner, std::string("PROPIETARI*") + owner, "ES11111111H      ");
            office_.Group(owner, 1, 1);
        }
        office_.Payee({"0010", "GARCIA*JOAN", "P", "ES22222222J", "17001 GIRONA", "joan@x.cat"});
        office_.Payment("0001", 1, "20250310", 100000, 15000, "0010");
        office_.Payment("0002", 1, "20250310", 200000, 30000, "0010");
    }
    void TearDown() override { SetRunLockWaitForTesting(std::chrono::minutes(5)); }

    // Another program holds an owner's payment locked, and the run reads
    // the payments in the lock mode that reports a conflict at once: the
    // walk's read of that payment fails in the middle of the data (the
    // walk of the owner before reads it too, to find its own end).
    void LockPaymentOf(const std::string& owner, testing::RecordFileClient& holder) {
        ASSERT_EQ(holder.Open(office_.root() + "DADES/VPagos.dat", 0, "4719"), 0);
        ASSERT_EQ(holder.Get(kOpGetGreaterOrEqual + kLockNoWaitBias, 3, PackDigits(owner)), 0);
        std::int16_t status = 0;
        SetLockMode(kPayments, "B", status);
    }
    std::string ReturnFolder() const { return office_.root() + "AEAT/190M2025.0A/"; }

    OfficeFixture office_;
};

TEST_F(RunFailuresTest, AnUnreadablePaymentStopsTheReturnFiles) {
    office_.Owner("0003", "PROPIETARI*0003", "ES11111111H      ");
    office_.Group("0003", 1, 1);
    office_.Payment("0003", 1, "20250310", 300000, 45000, "0010");
    office_.Open();
    testing::RecordFileClient holder;
    LockPaymentOf("0003", holder);
    office_.Select("S", "20251231");
    const RunOutcome outcome = ProcessTerritories();
    EXPECT_TRUE(outcome.stopped);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_NE(outcome.failures[0].find(office_.root() + "DADES/VPagos.dat"), std::string::npos);
    EXPECT_NE(outcome.failures[0].find("status 84 (record in use)"), std::string::npos);
    // The first owner's file is complete; the second owner, whose walk met
    // the failure, has none, not even a temporary one.
    EXPECT_EQ(ReadFile(ReturnFolder() + "P0001").size(), 2u * 502);
    EXPECT_FALSE(FileExists(ReturnFolder() + "P0002"));
    for (const auto& entry : std::filesystem::directory_iterator(ReturnFolder())) {
        EXPECT_EQ(entry.path().filename(), "P0001");
    }
}

// The interactive program shows the same failure in its message window and
// waits for the clerk's key before it goes on.
TEST_F(RunFailuresTest, TheInteractiveProgramShowsTheFailureInAWindow) {
    class Watching : public HeadlessConsole {
      public:
        using HeadlessConsole::HeadlessConsole;
        bool NextEvent(ConsoleEvent& event, int timeoutMs) override {
            if (timeoutMs < 0) {
                std::string text;
                for (int row = 9; row <= 15; ++row) text += Screen().RowText(row) + "\n";
                seen.push_back(text);
            }
            return HeadlessConsole::NextEvent(event, timeoutMs);
        }
        std::vector<std::string> seen;
    };
    office_.Open();
    testing::RecordFileClient holder;
    LockPaymentOf("0002", holder);
    office_.Select("R", "20251231");
    auto console = std::make_unique<Watching>(25, 80);
    Watching& watching = *console;
    InstallConsole(std::move(console));
    watching.PushPause();
    watching.PushCharacter(13);
    SetBatchMessages(false);
    const RunOutcome outcome = ProcessTerritories();
    SetBatchMessages(true);
    EXPECT_TRUE(outcome.stopped);
    ASSERT_EQ(watching.seen.size(), 1u);
    EXPECT_NE(watching.seen[0].find("NO ES POT LLEGIR EL FITXER " + office_.root() +
                                    "DADES/VPagos.dat (84)"),
              std::string::npos)
        << watching.seen[0];
    EXPECT_EQ(watching.Beeps(), 1);
    EXPECT_EQ(windowDepth, 0);  // the message and the progress window closed
    InstallConsole(nullptr);
}

TEST_F(RunFailuresTest, AnUnreadablePaymentLeavesNoShortListingToPrint) {
    office_.Open();
    testing::RecordFileClient holder;
    LockPaymentOf("0002", holder);
    office_.Select("R", "20251231");
    Session.exeDir = office_.session() + "nowhere/";
    RunOutcome outcome;
    EXPECT_FALSE(RunWithholdings(outcome));
    EXPECT_TRUE(outcome.stopped);
    ASSERT_EQ(outcome.failures.size(), 1u);  // the print program was not even tried
    EXPECT_NE(outcome.failures[0].find("the run stopped there"), std::string::npos);
    EXPECT_FALSE(FileExists(office_.session() + "rovodovo.tmp"));
    EXPECT_FALSE(FileExists(office_.session() + "ROVODOVO.INI"));
}

// The same data without the damage goes through, up to the print program,
// which here is missing: that is a failure too, named.
TEST_F(RunFailuresTest, AMissingOrFailingPrintProgramIsAFailure) {
    office_.Open();
    office_.Select("R", "20251231");
    Session.exeDir = office_.session() + "nowhere/";
    RunOutcome outcome;
    EXPECT_FALSE(RunWithholdings(outcome));
    EXPECT_FALSE(outcome.stopped);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0],
              "the print program " + office_.session() + "nowhere/ROVODOVO cannot be started");
    EXPECT_NE(ReadFile(office_.session() + "ROVODOVO.INI").find("Correu=N"), std::string::npos);

    std::filesystem::create_directory(office_.session() + "bin");
    WriteFile(office_.session() + "bin/ROVODOVO", "#!/bin/sh\nexit 3\n");
    std::filesystem::permissions(office_.session() + "bin/ROVODOVO",
                                 std::filesystem::perms::owner_all);
    Session.exeDir = office_.session() + "bin/";
    EXPECT_FALSE(RunWithholdings(outcome));
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_NE(outcome.failures[0].find("failed with exit status 3"), std::string::npos);

    WriteFile(office_.session() + "bin/ROVODOVO", "#!/bin/sh\nexit 0\n");
    EXPECT_TRUE(RunWithholdings(outcome));
    EXPECT_TRUE(outcome.failures.empty());
}

// A full disk under the spool file: the run says so, removes what it wrote
// and does not hand a cut-short report to the print program.
TEST_F(RunFailuresTest, ASpoolFileCutShortIsNeverHandedOn) {
    office_.Open();
    office_.Select("C", "20251231");
    std::filesystem::create_symlink("/dev/full", office_.session() + "rovodovo.tmp");
    std::filesystem::create_directory(office_.session() + "bin");
    WriteFile(office_.session() + "bin/ROVODOVO",
              "#!/bin/sh\ntouch \"" + office_.session() + "printed\"\n");
    std::filesystem::permissions(office_.session() + "bin/ROVODOVO",
                                 std::filesystem::perms::owner_all);
    Session.exeDir = office_.session() + "bin/";
    RunOutcome outcome;
    EXPECT_FALSE(RunWithholdings(outcome));
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_NE(outcome.failures[0].find("No space left on device"), std::string::npos);
    EXPECT_FALSE(FileExists(office_.session() + "printed"));
    EXPECT_FALSE(std::filesystem::is_symlink(office_.session() + "rovodovo.tmp"));

    // "Correu" that cannot be written: the print program is not run either.
    std::filesystem::create_directory(office_.session() + "ROVODOVO.INI");
    EXPECT_FALSE(RunWithholdings(outcome));
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_NE(outcome.failures[0].find("ROVODOVO.INI cannot be written"), std::string::npos);
    EXPECT_FALSE(FileExists(office_.session() + "printed"));
}

// Another return-file run of the installation, or another report of the
// session, holds its lock: the run waits its bound, then refuses without
// having written anything.
TEST_F(RunFailuresTest, AnotherRunsLockIsWaitedForThenRefused) {
    office_.Open();
    SetRunLockWaitForTesting(300ms);
    FileLock other;
    ASSERT_EQ(other.TryAcquire(office_.root() + "KELD0190.LCK"), FileLock::Result::acquired);
    office_.Select("S", "20251231");
    RunOutcome outcome;
    EXPECT_FALSE(RunWithholdings(outcome));
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_NE(outcome.failures[0].find("another run has held the return files"), std::string::npos);
    EXPECT_FALSE(FileExists(ReturnFolder() + "P0001"));
    EXPECT_FALSE(FileExists(office_.session() + "rovodovo.tmp"));
    // The listing does not need the return files' lock...
    office_.Select("R", "20251231");
    Session.exeDir = office_.session() + "nowhere/";
    EXPECT_FALSE(RunWithholdings(outcome));
    EXPECT_EQ(outcome.failures.size(), 1u);  // only the missing print program
    EXPECT_FALSE(outcome.stopped);
    other.Release();
    // ...but a second report in the same session waits for the first.
    ASSERT_EQ(other.TryAcquire(office_.session() + "ROVODOVO.LCK"), FileLock::Result::acquired);
    std::filesystem::remove(office_.session() + "rovodovo.tmp");
    EXPECT_FALSE(RunWithholdings(outcome));
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_NE(outcome.failures[0].find("this session's spool file"), std::string::npos);
    EXPECT_FALSE(FileExists(office_.session() + "rovodovo.tmp"));
}

// A payee's e-mail address and name come from the office's records: a line
// end in either must not send the certificate elsewhere or start a page.
TEST_F(RunFailuresTest, RecordTextsCannotAddSpoolDirectives) {
    office_.Payee({"0011", "PUIG*ANNA\nPAGE 1", "P", "ES33333333P", "08001 BARCELONA",
                   "a@b.es\r\nSENDevil@x.es,,X"});
    office_.Payment("0001", 1, "20250311", 1000, 150, "0011");
    office_.Open();
    office_.Select("C", "20251231");
    ASSERT_TRUE(OpenSpool("PANTALLA"));
    const RunOutcome outcome = ProcessTerritories();
    EXPECT_TRUE(CloseSpool());
    EXPECT_EQ(outcome.certificates, 3);
    const std::string spool = office_.SpoolText();
    EXPECT_EQ(spool.find("\r\nSENDevil"), std::string::npos) << spool;
    EXPECT_EQ(spool.find("\r\nPAGE 1"), std::string::npos) << spool;
    EXPECT_NE(spool.find("SENDa@b.es  SENDevil@x.es,,X,,"), std::string::npos) << spool;
    // Every line is a directive of its own kind, nothing else.
    std::size_t sends = 0, pages = 0;
    for (std::size_t at = 0; at < spool.size(); at = spool.find("\r\n", at) + 2) {
        sends += spool.compare(at, 4, "SEND") == 0;
        pages += spool.compare(at, 4, "PAGE") == 0;
    }
    EXPECT_EQ(sends, 3u);
    EXPECT_EQ(pages, 3u);
}

}  // namespace
}  // namespace vela
