#include "app/batch_arguments.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace vela {
namespace {

CommandLine Parse(std::vector<const char*> args, BatchArguments& out, std::string& error) {
    args.insert(args.begin(), "KELD0190");
    return ParseCommandLine(static_cast<int>(args.size()), args.data(), out, error);
}

TEST(CommandLine, BatchRunsNeedTheWholeSelection) {
    BatchArguments a;
    std::string error;
    EXPECT_EQ(Parse({}, a, error), CommandLine::interactive);
    EXPECT_EQ(Parse({"--help"}, a, error), CommandLine::help);
    EXPECT_EQ(Parse({"--batch", "--kind", "S", "--closing", "31.12.2025", "--first", "1", "--last",
                     "9999", "--contact-name", "GARCIA LOPEZ ANNA", "--contact-phone", "933000000"},
                    a, error),
              CommandLine::batch);
    EXPECT_EQ(a.kind, "S");
    EXPECT_EQ(a.closingDate, "31.12.2025");
    EXPECT_EQ(a.firstOwner, "1");
    EXPECT_EQ(a.lastOwner, "9999");
    EXPECT_EQ(a.contactName.value_or(""), "GARCIA LOPEZ ANNA");
    EXPECT_EQ(a.contactPhone.value_or(""), "933000000");
}

TEST(CommandLine, RejectedLinesSayWhy) {
    BatchArguments a;
    std::string error;
    EXPECT_EQ(Parse({"--batch", "--kind", "S"}, a, error), CommandLine::error);
    EXPECT_NE(error.find("--closing"), std::string::npos);
    EXPECT_EQ(Parse({"--kind", "S", "--closing", "1", "--first", "1", "--last", "2"}, a, error),
              CommandLine::error);
    EXPECT_EQ(Parse({"--batch", "--colour", "x"}, a, error), CommandLine::error);
    EXPECT_NE(error.find("--colour"), std::string::npos);
    EXPECT_EQ(Parse({"--batch", "--kind"}, a, error), CommandLine::error);
    EXPECT_NE(error.find("needs a value"), std::string::npos);
    // An unknown option is named as unknown, wherever it stands.
    for (const auto& line : std::vector<std::vector<const char*>>{
             {"--bogus"}, {"--batch", "--bogus"}, {"--kind", "S", "--bogus"}}) {
        EXPECT_EQ(Parse(line, a, error), CommandLine::error);
        EXPECT_EQ(error, "unknown option --bogus");
    }
}

}  // namespace
}  // namespace vela
