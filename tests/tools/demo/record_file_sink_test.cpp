#include "tools/demo/record_file_sink.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/records/record_layouts.hpp"
#include "recman/record_manager.hpp"
#include "records/owner_name.hpp"
#include "tests/support/temp_folder.hpp"
#include "tools/demo/demo_office.hpp"
#include "tools/demo/unload_file.hpp"

namespace vela {
namespace {

using testing::TempFolder;

// One opening of a record file, straight through RecordManagerCall.
class Opened {
  public:
    explicit Opened(const std::string& path, std::string owner = RecordOwnerName()) {
        std::memcpy(path_, path.c_str(), path.size() + 1);
        std::uint16_t length = static_cast<std::uint16_t>(owner.size());
        status = RecordManagerCall(kOpOpen, block_, owner.data(), &length, path_, 255, 0);
    }
    ~Opened() {
        std::uint16_t length = 0;
        RecordManagerCall(kOpClose, block_, nullptr, &length, nullptr, 0, 0);
    }
    std::string Stat() {
        std::string buffer(1536, '\0');
        std::uint16_t length = 1536;
        char key[255];
        status = RecordManagerCall(kOpStat, block_, buffer.data(), &length, key, 255, 0);
        return buffer.substr(0, length);
    }
    // A read along key; the record read, empty when the status is not 0.
    std::string Read(std::uint16_t operation, int key, std::string value = "") {
        std::string data(1536, '\0');
        std::uint16_t length = 1536;
        value.resize(255, '\0');
        std::memcpy(key_, value.data(), 255);
        status = RecordManagerCall(operation, block_, data.data(), &length, key_, 255,
                                   static_cast<std::int8_t>(key));
        return status == 0 ? data.substr(0, length) : "";
    }
    int status = 0;

  private:
    std::uint8_t block_[kPositionBlockSize] = {};
    char path_[255] = {};
    char key_[255] = {};
};

std::uint32_t Get(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// Every dictionary entry creates a file whose Stat gives back the record
// length, page size, keys, segments and collating sequence it was made with.
TEST(RecordFileSink, DictionariesRoundTripThroughCreateAndStat) {
    TempFolder root;
    RecordManagerSink sink(root.path());
    std::string error;
    ASSERT_TRUE(sink.Create(false, error)) << error;
    ASSERT_TRUE(sink.Close(error)) << error;
    for (const RecordFileInfo& file : kRecordFiles) {
        Opened opened(RecordManagerSink::DataFilePath(root.path(), file));
        ASSERT_EQ(opened.status, 0) << file.name;
        const std::string stat = opened.Stat();
        ASSERT_EQ(opened.status, 0) << file.name;
        const std::string created(file.dictionaryEntry.substr(2));
        ASSERT_EQ(stat.size(), created.size()) << file.name;
        EXPECT_EQ(Get(stat, 0, 2), file.recordLength);
        EXPECT_EQ(Get(stat, 2, 2), Get(created, 2, 2));  // page size
        EXPECT_EQ(Get(stat, 4, 2), Get(created, 4, 2));  // keys
        EXPECT_EQ(Get(stat, 6, 4), 0u);                  // no records yet
        for (std::size_t at = 16; at + 16 <= created.size() && created[at] != '\xAC'; at += 16) {
            EXPECT_EQ(Get(stat, at, 2), Get(created, at, 2)) << file.name << " position";
            EXPECT_EQ(Get(stat, at + 2, 2), Get(created, at + 2, 2)) << file.name << " length";
            EXPECT_EQ(Get(stat, at + 4, 2), Get(created, at + 4, 2)) << file.name << " flags";
            EXPECT_EQ(stat[at + 14], created[at + 14]) << file.name << " key number";
        }
        if (created.size() > 265 && created[created.size() - 265] == '\xAC') {
            EXPECT_EQ(stat.substr(stat.size() - 265), created.substr(created.size() - 265));
        }
    }
}

TEST(RecordFileSink, DemoOfficeLoadsIntoTheNineFiles) {
    TempFolder root;
    RecordManagerSink sink(root.path());
    std::string error;
    ASSERT_TRUE(sink.Create(true, error)) << error;
    const DemoCounts counts = GenerateDemoOffice({4, 20, 2025}, sink);
    ASSERT_TRUE(sink.Close(error)) << error;
    for (std::size_t i = 0; i < kRecordFiles.size(); ++i) {
        Opened opened(RecordManagerSink::DataFilePath(root.path(), kRecordFiles[i]));
        ASSERT_EQ(opened.status, 0);
        EXPECT_EQ(Get(opened.Stat(), 6, 4), counts[i]) << kRecordFiles[i].name;
    }

    // Key 3 of the payments runs by owner, payee and date, as the
    // withholding walk needs.
    Opened payments(RecordManagerSink::DataFilePath(root.path(), kRecordFiles[2]));
    std::string last;
    std::size_t walked = 0;
    for (std::string r = payments.Read(kOpGetFirst, 3); payments.status == 0;
         r = payments.Read(kOpGetNext, 3)) {
        const std::string key = layout::VPagos::paymentOwner.Read(r) +
                                layout::VPagos::payeeCode.Read(r) +
                                layout::VPagos::paymentDate.Read(r);
        EXPECT_LE(last, key);
        last = key;
        ++walked;
    }
    EXPECT_EQ(walked, counts[2]);

    // A payee's 17-character tax id, cut to the 14 characters of the key,
    // finds its registered identity.
    Opened payees(RecordManagerSink::DataFilePath(root.path(), kRecordFiles[3]));
    Opened fiscal(RecordManagerSink::DataFilePath(root.path(), kRecordFiles[8]));
    std::size_t found = 0;
    for (std::string r = payees.Read(kOpGetFirst, 0); payees.status == 0;
         r = payees.Read(kOpGetNext, 0)) {
        const std::string taxId = layout::Industri::payeeTaxId.Read(r);
        const std::string registered = fiscal.Read(kOpGetEqual, 0, taxId.substr(0, 14));
        if (fiscal.status == 0) {
            ++found;
            EXPECT_EQ(layout::UFiscal::fiscalTaxId.Read(registered), taxId.substr(0, 14));
        }
    }
    EXPECT_EQ(found, counts[8]);

    // The files carry the installation's owner name.
    Opened stranger(RecordManagerSink::DataFilePath(root.path(), kRecordFiles[0]), "");
    EXPECT_EQ(stranger.status, kStatusInvalidOwner);
}

// The record file utility unloads every demo file with the generated counts.
TEST(RecordFileSink, RecutilUnloadsEveryDemoFile) {
    TempFolder root, out;
    RecordManagerSink sink(root.path());
    std::string error;
    ASSERT_TRUE(sink.Create(true, error)) << error;
    const DemoCounts counts = GenerateDemoOffice({8, 6, 2025}, sink);
    ASSERT_TRUE(sink.Close(error)) << error;
    for (std::size_t i = 0; i < kRecordFiles.size(); ++i) {
        const std::string unload = out / (std::string(kRecordFiles[i].name) + ".unl");
        const std::string command = std::string(RECUTIL_PATH) + " unload " +
                                    RecordManagerSink::DataFilePath(root.path(), kRecordFiles[i]) +
                                    " > " + unload;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const auto records = ParseUnload(testing::ReadFile(unload));
        ASSERT_TRUE(records) << kRecordFiles[i].name;
        EXPECT_EQ(records->size(), counts[i]) << kRecordFiles[i].name;
    }
}

}  // namespace
}  // namespace vela
