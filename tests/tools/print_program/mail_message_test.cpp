#include "tools/print_program/mail_message.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/temp_folder.hpp"
#include "tools/print_program/mail_settings.hpp"
#include "tools/print_program/mail_transport.hpp"
#include "tools/print_program/run_records.hpp"

namespace vela {
namespace {

TEST(MailAddresses, OnlyPlainLocalAtDomainPasses) {
    for (const char* good : {"anna@example.cat", "a.b+c@sub.example.es", "x_y-z@a-b.co"}) {
        EXPECT_TRUE(IsPlainAddress(good)) << good;
        EXPECT_EQ(RefusalReason(good, "ANNA"), "") << good;
    }
    for (const char* bad :
         {"", "anna", "anna@", "@example.cat", "anna@example", "anna@@example.cat",
          "an na@example.cat", "<anna@example.cat>", "anna@example.cat>", "a@b.cat, c@d.cat",
          "anna..x@example.cat", ".anna@example.cat", "anna@-x.cat", "anna@x..cat",
          "\"anna\"@example.cat", "anna@exam_ple.cat", "anna@example.cat\r\nBcc: v@x.cat",
          "anna@example.cat\nBcc: v@x.cat"}) {
        EXPECT_FALSE(IsPlainAddress(bad)) << bad;
        EXPECT_NE(RefusalReason(bad, "ANNA"), "") << bad;
    }
}

TEST(MailAddresses, ControlCharactersInNamesAreRefused) {
    EXPECT_NE(RefusalReason("a@b.cat", "ANNA\r\nBcc: v@x.cat"), "");
    EXPECT_NE(RefusalReason("a@b.cat", std::string("ANNA\0X", 6)), "");
    EXPECT_NE(RefusalReason("a@b.cat", "ANNA\tPUIG"), "");
    EXPECT_NE(RefusalReason("a@b.cat", "ANNA\x7f"), "");
    EXPECT_EQ(RefusalReason("a@b.cat", "ÀNGELS CORTÉS, \"LA\" <GRAN>"), "");
}

TEST(MailHeaders, AccentedTextIsEncodedInWordsOfAtMost75) {
    EXPECT_EQ(EncodeHeaderText("Plain subject 2025"), "Plain subject 2025");
    EXPECT_EQ(EncodeHeaderText("Peña"), "=?UTF-8?B?UGXDsWE=?=");
    const std::string longText =
        "Certificat de retencions de l'exercici 2025 - JOSEP PEÑA SERRA, ÀNGELS CORTÉS IBÁÑEZ "
        "i GONÇALVES";
    const std::string encoded = EncodeHeaderText(longText);
    std::size_t start = 0;
    int words = 0;
    for (;;) {
        const auto end = encoded.find("\r\n ", start);
        const std::string word = encoded.substr(start, end - start);
        EXPECT_LE(word.size(), 75u) << word;
        EXPECT_EQ(word.rfind("=?UTF-8?B?", 0), 0u);
        ++words;
        if (end == std::string::npos) break;
        start = end + 3;
    }
    EXPECT_GT(words, 1);
    // No header line ends but at a fold.
    EXPECT_EQ(encoded.find('\n'), encoded.find("\r\n ") + 1);
}

TEST(MailHeaders, MailboxesDateAndMessageId) {
    EXPECT_EQ(FormatMailbox("", "a@b.cat"), "a@b.cat");
    EXPECT_EQ(FormatMailbox("ANNA \"LA\" PUIG", "a@b.cat"), "\"ANNA \\\"LA\\\" PUIG\" <a@b.cat>");
    EXPECT_EQ(FormatMailbox("ÀNGELS", "a@b.cat"), "=?UTF-8?B?w4BOR0VMUw==?= <a@b.cat>");
    const std::string date = MailDate(0);
    EXPECT_NE(date.find("1970"), std::string::npos);
    EXPECT_EQ(date.size(), 31u) << date;
    const std::string a = NewMessageId("finques.cat");
    EXPECT_NE(a, NewMessageId("finques.cat"));
    EXPECT_EQ(a.front(), '<');
    EXPECT_NE(a.find("@finques.cat>"), std::string::npos);
}

TEST(MailMessage, ComposedWithHeadersBodyAndAttachment) {
    testing::TempFolder folder;
    testing::WriteFile(folder / "DOC0001.pdf", std::string("%PDF-1.5\n\x01\x02\xff", 12));
    MailMessage m;
    m.fromAddress = "office@finques.cat";
    m.fromName = "FINQUES PLANA";
    m.toAddress = "anna@example.cat";
    m.toName = "ANNA PEÑA";
    m.blindCopy = "record@finques.cat";
    m.subject = "Certificat 2025";
    m.body = "Line one\nLine two\n";
    m.date = MailDate(1767225600);
    m.messageId = "<1.2@finques.cat>";
    m.attachmentPath = folder / "DOC0001.pdf";
    m.attachmentName = "DOC0001.pdf";
    std::string text;
    ASSERT_TRUE(ComposeMessage(m, true, text));
    EXPECT_NE(text.find("To: =?UTF-8?B?"), std::string::npos);
    EXPECT_NE(text.find("Bcc: record@finques.cat\r\n"), std::string::npos);
    EXPECT_NE(text.find("Message-ID: <1.2@finques.cat>\r\n"), std::string::npos);
    EXPECT_NE(text.find("Date: "), std::string::npos);
    EXPECT_NE(text.find("filename=\"DOC0001.pdf\""), std::string::npos);
    EXPECT_NE(text.find("JVBERi0xLjUKAQL/"), std::string::npos);  // the PDF in base64
    std::string withoutCopy;
    ASSERT_TRUE(ComposeMessage(m, false, withoutCopy));
    EXPECT_EQ(withoutCopy.find("Bcc:"), std::string::npos);
    // Every line ends in CR LF and none is longer than 998 characters.
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(text[end - 1], '\r');
        EXPECT_LE(end - at, 998u);
    }
    m.attachmentPath = folder / "missing.pdf";
    EXPECT_FALSE(ComposeMessage(m, true, text));
}

TEST(SendThrottle, NeverMoreThanTheRateInAnyMinute) {
    double now = 0;
    std::vector<double> slept;
    SendThrottle throttle(
        3, [&] { return now; },
        [&](double s) {
            slept.push_back(s);
            now += s;
        });
    for (int i = 0; i < 3; ++i) {
        throttle.Wait();
        now += 1;
    }
    EXPECT_TRUE(slept.empty());
    throttle.Wait();  // the fourth at second 3 waits until second 60
    ASSERT_EQ(slept.size(), 1u);
    EXPECT_DOUBLE_EQ(slept[0], 57);
    now = 200;
    throttle.Wait();
    EXPECT_EQ(slept.size(), 1u);
}

TEST(RunRecords, FieldsReadBackExactlyWhateverTheyHold) {
    const std::string nasty = std::string("a\tb\r\nc\\x41\\d\x01") + "\x7f" + "é";
    EXPECT_EQ(UnescapeField(EscapeField(nasty)), nasty);
    EXPECT_EQ(EscapeField(nasty).find_first_of("\t\r\n"), std::string::npos);
    IndexEntry e{"DOC0007.pdf", 2, "a@b.cat\tx", "ÀNGELS\r\nBcc", "written; sent", "2025", "JOSEP"};
    IndexEntry back;
    ASSERT_TRUE(ParseIndexLine(FormatIndexLine(e), back));
    EXPECT_EQ(back.file, e.file);
    EXPECT_EQ(back.pages, 2);
    EXPECT_EQ(back.address, e.address);
    EXPECT_EQ(back.recipient, e.recipient);
    EXPECT_EQ(back.fate, e.fate);
    EXPECT_EQ(back.owner, "JOSEP");
    EXPECT_FALSE(ParseIndexLine("# comment", back));
    EXPECT_FALSE(ParseIndexLine("only\ttwo", back));
}

TEST(RunRecords, SentFilesAreThoseWhoseLogSaysSent) {
    testing::TempFolder folder;
    const std::string log = folder / "ENVIAMENTS.txt";
    EXPECT_TRUE(SentFiles(log).empty());
    AppendSendLog(log, {"t", "DOC0001.pdf", "a@b.cat", "failed", "down", ""});
    AppendSendLog(log, {"t", "DOC0002.pdf", "c@d.cat", "sent", "250 OK", "<1@x>"});
    AppendSendLog(log, {"t", "DOC0003.pdf", "bad", "refused", "not an address", ""});
    AppendSendLog(log, {"t", "DOC0001.pdf", "a@b.cat", "sent", "250 OK", "<2@x>"});
    AppendSendLog(log, {"t", "DOC0004.pdf", "e@f.cat", "written", "DOC0004.eml", "<3@x>"});
    EXPECT_EQ(SentFiles(log), (std::set<std::string>{"DOC0001.pdf", "DOC0002.pdf"}));
}

}  // namespace
}  // namespace vela

namespace vela {
namespace {

class MailSettingsTest : public ::testing::Test {
  protected:
    MailSettings With(const std::string& correu) {
        testing::WriteFile(folder_ / "Vela.ini",
                           "[Oficina]\r\nNom=FINQUES PLANA\r\n[Correu]\r\n" + correu);
        return ReadMailSettings(folder_ / "Vela.ini");
    }
    testing::TempFolder folder_;
};

TEST_F(MailSettingsTest, DefaultsAndWhatCannotWork) {
    const MailSettings fresh = With("");
    EXPECT_EQ(fresh.transport, MailTransportKind::Folder);  // a fresh installation sends nothing
    EXPECT_EQ(fresh.security, MailSecurity::StartTls);
    EXPECT_EQ(fresh.port, 587);
    EXPECT_EQ(fresh.maxPerMinute, 30);
    EXPECT_EQ(fresh.senderName, "FINQUES PLANA");
    EXPECT_EQ(fresh.problem, "");

    const std::string smtp =
        "Enviament=smtp\r\nServidor=mail.example.cat\r\nRemitent=o@finques.cat\r\n";
    EXPECT_EQ(With(smtp).problem, "");
    EXPECT_EQ(With(smtp + "Seguretat=TLS\r\n").port, 465);
    EXPECT_NE(With(smtp + "Seguretat=CAP\r\n").problem, "");  // no clear text to another machine
    EXPECT_NE(With("Enviament=SMTP\r\nRemitent=o@finques.cat\r\n").problem, "");  // no server
    EXPECT_NE(With("Enviament=SMTP\r\nServidor=m.cat\r\n").problem, "");          // no sender
    EXPECT_NE(With(smtp + "Copia=not an address\r\n").problem, "");
    EXPECT_NE(With(smtp + "Port=99999\r\n").problem, "");
    EXPECT_NE(With(smtp + "MaxPerMinut=0\r\n").problem, "");
    EXPECT_NE(With("Enviament=PIGEON\r\n").problem, "");
}

TEST_F(MailSettingsTest, KeyFileOnlyWhenItsOwnerAloneMayReadIt) {
    std::string password, error;
    testing::WriteFile(folder_ / "clau", "s3cret\r\nsecond line\n");
    ::chmod((folder_ / "clau").c_str(), 0600);
    ASSERT_TRUE(ReadKeyFile(folder_ / "clau", password, error)) << error;
    EXPECT_EQ(password, "s3cret");
    for (mode_t mode : {0640, 0604, 0660}) {
        ::chmod((folder_ / "clau").c_str(), mode);
        EXPECT_FALSE(ReadKeyFile(folder_ / "clau", password, error)) << mode;
    }
    EXPECT_FALSE(ReadKeyFile(folder_ / "missing", password, error));
    EXPECT_FALSE(ReadKeyFile(folder_.path(), password, error));  // a folder
}

}  // namespace
}  // namespace vela
