#include "ui/form_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "env/session.hpp"
#include "tests/support/temp_folder.hpp"

namespace vela {
namespace {

// Two forms, the second a continuation of the first with its own window,
// and one list; comments before records, a record over several lines, a
// quoted label holding a comma, an unquoted label and CR LF line ends.
const std::string kGoodFile =
    "' two forms\r\n"
    "2,3\r\n"
    "' form 1\r\n"
    "\"d,1b,4800\",3,2,0,0,0,0\r\n"
    "2,4,\"Kind, of output: \",1,0,20,0,3,0,\"|R,listing|S,returns\"\r\n"
    "4,4,Date: ,10,0,0,8,1,0,\r\n"
    "6,4,\"Owner: \",4,0,0,4,2,1,\"\"\r\n"
    "' form 2\r\n"
    "\"d,1b\",1,0,10,5,14,70\r\n"
    "1,2,\"Name: \"\r\n"
    "  40,20,0,2,0,0,\"\"\r\n"
    "1\r\n"
    "6,0,5,20,20,60,0,\" OWNERS \",0\r\n";

std::string Bracket(const std::string& text) { return "[" + text + "]"; }

TEST(FormFile, ReadsEveryTableAndTranslatesTheTexts) {
    FormTables tables;
    FormFileError error;
    ASSERT_TRUE(ReadFormDescription(kGoodFile, Bracket, tables, error)) << error.reason;
    EXPECT_EQ(tables.formCount, 2);
    EXPECT_EQ(tables.maxFields, 3);
    ASSERT_EQ(tables.forms.size(), 3u);
    ASSERT_EQ(tables.forms[1].fields.size(), 4u);
    ASSERT_EQ(tables.forms[2].fields.size(), 4u);

    const FormEntry& first = tables.forms[1];
    EXPECT_EQ(first.keyList, "d,1b,4800");
    EXPECT_EQ(first.fieldCount, 3);
    EXPECT_EQ(first.linkedForm, 2);
    EXPECT_EQ(first.windowTop, 0);
    EXPECT_EQ(first.fields[1].label, "[Kind, of output: ]");
    EXPECT_EQ(first.fields[1].choices, "[|R,listing|S,returns]");
    EXPECT_EQ(first.fields[1].trailWidth, 20);
    EXPECT_EQ(first.fields[1].dataType, 3);
    EXPECT_EQ(first.fields[1].value, " ");
    EXPECT_EQ(first.fields[2].label, "[Date: ]");
    EXPECT_EQ(first.fields[2].choices, "");  // empty texts are not looked up
    EXPECT_EQ(first.fields[2].flags, 8);
    EXPECT_EQ(first.fields[2].value, std::string(10, ' '));
    EXPECT_EQ(first.fields[3].listNo, 1);

    const FormEntry& second = tables.forms[2];
    EXPECT_EQ((std::vector<int>{second.windowTop, second.windowLeft, second.windowBottom,
                                second.windowRight}),
              (std::vector<int>{10, 5, 14, 70}));
    EXPECT_EQ(second.fields[1].length, 40);
    EXPECT_EQ(second.fields[1].lineWidth, 20);
    EXPECT_EQ(second.fields[1].flags, 2);

    EXPECT_EQ(tables.listCount, 1);
    ASSERT_EQ(tables.lists.size(), 2u);
    EXPECT_EQ(tables.lists[1].recordFile, 6);
    EXPECT_EQ(tables.lists[1].bottom, 20);
    EXPECT_EQ(tables.lists[1].title, "[ OWNERS ]");
}

TEST(FormFile, LineEndsAndTheListSection) {
    FormTables tables;
    FormFileError error;
    std::string lf = kGoodFile;
    for (std::size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at))
        lf.erase(at, 1);
    ASSERT_TRUE(ReadFormDescription(lf, Bracket, tables, error)) << error.reason;
    EXPECT_EQ(tables.forms[2].fields[1].length, 40);

    // Forms alone, with no list section at all, and a DOS end-of-file mark.
    const std::string formsOnly =
        "1,1\r\n\"d,1b\",1,0,0,0,0,0\r\n1,1,\"A\",3,0,0,0,0,0,\"\"\r\n\x1a";
    ASSERT_TRUE(ReadFormDescription(formsOnly, Bracket, tables, error)) << error.reason;
    EXPECT_EQ(tables.listCount, 0);
    EXPECT_EQ(tables.lists.size(), 1u);
}

TEST(FormFile, RefusedFilesNameTheLineAtFault) {
    const std::string header = "1,2\r\n";
    const std::string form = "\"d,1b\",1,0,0,0,0,0\r\n";
    const std::string field = "1,1,\"A\",3,0,0,0,0,0,\"\"\r\n";
    const struct {
        const char* name;
        std::string contents;
        int line;
        const char* reasonPart;
    } cases[] = {
        {"empty file", "", 1, "ends before the form count"},
        {"only comments", "' nothing\r\n", 1, "ends before the form count"},
        {"letters for a number", "x,2\r\n", 1, "not a whole number"},
        {"no forms", "0,2\r\n", 1, "outside 1 to 99"},
        {"too many fields", "1,200\r\n", 1, "outside 0 to 99"},
        {"fields beyond the most", header + "\"d,1b\",3,0,0,0,0,0\r\n", 2, "outside 0 to 2"},
        {"cut inside a field", header + form + "1,1,\"A\",3\r\n", 3, "ends before"},
        {"cut before a field", header + form, 2, "field 1, row"},
        {"zero length", header + form + "1,1,\"A\",0,0,0,0,0,0,\"\"\r\n", 3, "length is 0"},
        {"line wider than the field", header + form + "1,1,\"A\",3,4,0,0,0,0,\"\"\r\n", 3,
         "line width is 4"},
        {"unknown type", header + form + "1,1,\"A\",3,0,0,0,7,0,\"\"\r\n", 3, "type is 7"},
        {"unclosed quote", header + form + "1,1,\"A,3,0,0,0,0,0,\r\n", 3, "no closing quote"},
        {"text after a quote", header + form + "1,1,\"A\"B,3,0,0,0,0,0,\"\"\r\n", 3,
         "after the closing quote"},
        {"comment inside a record", header + form + "' here\r\n" + field, 3, "row"},
        {"continuation to itself", "1,2\r\n\"d,1b\",1,1,0,0,0,0\r\n" + field, 2, "lead back"},
        {"continuation loop",
         "2,1\r\n\"d,1b\",1,2,0,0,0,0\r\n" + field + "\"d,1b\",1,1,0,0,0,0\r\n" + field, 2,
         "lead back"},
        {"continuation beyond the forms", "1,1\r\n\"d,1b\",1,2,0,0,0,0\r\n" + field, 2,
         "outside 0 to 1"},
        {"exit keys without Esc", header + "\"d,4800\",1,0,0,0,0,0\r\n" + field, 2,
         "Esc (1b) is not among"},
        {"exit key that is not hexadecimal", header + "\"d,1b,48g0\",1,0,0,0,0,0\r\n" + field, 2,
         "\"48g0\" is not an exit key"},
        {"exit key that gives 0", header + "\"d,1b=0\",1,0,0,0,0,0\r\n" + field, 2, "gives 0"},
        {"empty exit key", header + "\"d,,1b\",1,0,0,0,0,0\r\n" + field, 2, "is not an exit key"},
        {"yes/no field without form 2",
         "1,1\r\n\"d,1b\",1,0,0,0,0,0\r\n1,1,\"A\",1,0,0,0,3,0,\"\"\r\n", 2, "needs form 2"},
        {"yes/no field on form 2",
         "2,1\r\n\"d,1b\",1,0,0,0,0,0\r\n" + field +
             "\"d,1b\",1,0,0,0,0,0\r\n1,1,\"A\",1,0,0,0,3,0,\"\"\r\n",
         4, "back to form 2"},
        {"yes/no field after form 2",
         "3,1\r\n\"d,1b\",1,0,0,0,0,0\r\n" + field + "\"d,1b\",1,3,0,0,0,0\r\n" + field +
             "\"d,1b\",1,0,0,0,0,0\r\n1,1,\"A\",1,0,0,0,3,0,\"\"\r\n",
         6, "back to form 2"},
        {"window without room", header + "\"d,1b\",1,0,5,5,6,40\r\n" + field, 2, "no room"},
        {"list that does not exist",
         header + form + "1,1,\"A\",3,0,0,0,0,2,\"\"\r\n1\r\n" + "6,0,5,20,20,60,0,\"L\",0\r\n", 2,
         "list 2"},
        {"list cut short", header + form + field + "1\r\n6,0,5,20\r\n", 5, "list 1, window bottom"},
        {"list too narrow", header + form + field + "1\r\n6,0,5,20,6,60,0,\"L\",0\r\n", 5,
         "no room"},
        {"filter form beyond the forms",
         header + form + field + "1\r\n6,0,5,20,20,60,2,\"L\",0\r\n", 5, "filter form"},
    };
    for (const auto& c : cases) {
        FormTables tables;
        tables.formCount = 7;  // left alone on refusal
        FormFileError error;
        EXPECT_FALSE(ReadFormDescription(c.contents, Bracket, tables, error)) << c.name;
        EXPECT_EQ(error.line, c.line) << c.name << ": " << error.reason;
        EXPECT_NE(error.reason.find(c.reasonPart), std::string::npos)
            << c.name << ": " << error.reason;
        EXPECT_EQ(tables.formCount, 7) << c.name;
    }
}

class LoadFormsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Session.rootDir = folder_.path();
        Session.language = "CAT";
        std::filesystem::create_directories(folder_ / "FORMS");
    }
    testing::TempFolder folder_;
};

TEST_F(LoadFormsTest, MessagesNameTheFileAndTheLine) {
    std::string message;
    EXPECT_FALSE(LoadForms("KTEST", message));
    EXPECT_NE(message.find(folder_ / "FORMS/KTEST.KFM"), std::string::npos) << message;
    EXPECT_NE(message.find("cannot be read"), std::string::npos) << message;

    testing::WriteFile(folder_ / "FORMS/KTEST.KFM", "1,1\r\n\"d,1b\",1,0,0,0,0,0\r\n1,1,A\r\n");
    EXPECT_FALSE(LoadForms("KTEST", message));
    EXPECT_NE(message.find(folder_ / "FORMS/KTEST.KFM"), std::string::npos) << message;
    EXPECT_NE(message.find("line 3"), std::string::npos) << message;

    // A folder or an endless device in the file's place: refused, named.
    std::filesystem::remove(folder_ / "FORMS/KTEST.KFM");
    std::filesystem::create_directory(folder_ / "FORMS/KTEST.KFM");
    EXPECT_FALSE(LoadForms("KTEST", message));
    EXPECT_EQ(message, "the form description file " + folder_ / "FORMS/KTEST.KFM" +
                           " is a folder or a device, not a file");
    std::filesystem::remove(folder_ / "FORMS/KTEST.KFM");
    std::filesystem::create_symlink("/dev/zero", folder_ / "FORMS/KTEST.KFM");
    EXPECT_FALSE(LoadForms("KTEST", message));
    EXPECT_NE(message.find("not a file"), std::string::npos) << message;
}

TEST_F(LoadFormsTest, LoadsIntoTheProgramTablesAndForgetsTheResumeForm) {
    testing::WriteFile(folder_ / "FORMS/KTEST.KFM", kGoodFile);
    resumeForm = 2;
    std::string message;
    ASSERT_TRUE(LoadForms("KTEST", message)) << message;
    EXPECT_EQ(resumeForm, 0);
    EXPECT_EQ(Field(1, 1).label, "Kind, of output: ");  // Catalan: as written
    EXPECT_EQ(Field(2, 1).value, std::string(40, ' '));
    EXPECT_EQ(List(1).title, " OWNERS ");
    // Numbers outside the tables reach an empty entry, never past them.
    EXPECT_EQ(Field(3, 1).length, 0);
    EXPECT_EQ(Field(1, 4).length, 0);
    EXPECT_EQ(List(2).recordFile, 0);
}

}  // namespace
}  // namespace vela
