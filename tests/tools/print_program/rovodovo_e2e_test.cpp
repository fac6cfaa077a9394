// The print program as the application runs it: a session, a spool file, a
// Vela.ini; run folders, exit statuses, the printer queue through a stand-in
// lp, and e-mail against a local SMTP server (python3-aiosmtpd) started by
// the tests on 127.0.0.1, with STARTTLS on a throw-away certificate.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "platform/code_page_850.hpp"
#include "platform/process.hpp"
#include "tests/support/temp_folder.hpp"
#include "tools/print_program/run_records.hpp"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

constexpr const char* kPython = "/usr/bin/python3";

bool HaveAiosmtpd() { return RunPiped({kPython, "-c", "import aiosmtpd"}, "", nullptr) == 0; }

// A send text as the spool holds it: UTF-8 letters in code page 850, the
// control characters of a damaged or hostile record kept as they are.
std::string SpoolBytes(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 32) return text;
    }
    return Cp850(text);
}

// One certificate a payee: address ",," name.
std::string CertificateSpool(const std::vector<std::string>& sends, const std::string& device) {
    std::string s = "DEVICE" + device + "\r\n";
    int n = 0;
    for (const std::string& send : sends) {
        s += "SEND" + SpoolBytes(send) + "\r\nPAGE 66 \r\n*@e\r\n*bi\r\n 1 ," +
             Cp850("JOSEP PEÑA") + ", 1 \r\n*ib\r\n 1 ,REF I" + std::to_string(++n) +
             ", 20 \r\n 20 ," + Cp850("│") +
             ", 0 \r\nJUSN 68 \\.\\\r\n 50 ,EXERCICI , 0 \r\n 70 ,2025, 0 \r\n 95 ," + Cp850("│") +
             ", 1 \r\n";
    }
    return s;
}

// A local SMTP server in a child process.
class SmtpSink {
  public:
    explicit SmtpSink(const std::string& folder) : folder_(folder) {
        fs::create_directories(folder);
    }
    ~SmtpSink() { Stop(); }

    bool Start(const std::vector<std::string>& options) {
        int out[2];
        if (::pipe(out) != 0) return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            std::vector<std::string> args = {kPython, VELA_SMTP_SINK, folder_};
            args.insert(args.end(), options.begin(), options.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(kPython, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(out[0]);
        if (line.rfind("READY ", 0) != 0) return false;
        port_ = std::stoi(line.substr(6));
        return true;
    }
    void Stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }
    int port() const { return port_; }
    std::vector<std::string> Messages() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder_)) {
            if (e.path().extension() == ".eml") names.push_back(e.path().stem().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Envelope(const std::string& name) const {
        return ReadFile(folder_ + "/" + name + ".env");
    }
    std::string Message(const std::string& name) const {
        return ReadFile(folder_ + "/" + name + ".eml");
    }

  private:
    std::string folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

class Rovodovo : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(root());
        fs::create_directories(session());
        WriteFile(session() + "VelaTerm.ini", "[Sistema]\r\nData=20260115\r\nIdioma=CAT\r\n");
        WriteFile(session() + "ROVODOVO.INI", "[Opcions]\r\nCorreu=S\r\n");
        fs::create_directories(root() + "LOCALE");
        fs::copy_file(std::string(VELA_SOURCE_DIR) + "/data/LOCALE/KELD0190.LNG",
                      root() + "LOCALE/KELD0190.LNG");
        SetVelaIni("");
    }
    std::string root() const { return folder_.path() + "root/"; }
    std::string session() const { return folder_.path() + "session/"; }
    void SetVelaIni(const std::string& correu) {
        WriteFile(root() + "Vela.ini", "[Oficina]\r\nNom=FINQUES PLANA\r\n" + correu);
    }
    void SetSpool(const std::string& text) { WriteFile(session() + "rovodovo.tmp", text); }

    // Runs ROVODOVO with the session's variables; path: the PATH it gets.
    int Run(const std::vector<std::string>& args = {}, const std::string& path = "/usr/bin:/bin") {
        std::string command = "cd / && RUKROOT='" + root() + "' RUKTMP='" + session() +
                              "' RUKEXE='" + BIN_DIR + "/' PATH='" + path + "' '" + BIN_DIR +
                              "/ROVODOVO'";
        for (const auto& a : args) command += " '" + a + "'";
        command += " </dev/null >'" + folder_.path() + "out' 2>'" + folder_.path() + "err'";
        std::string ignored;
        return RunPiped({"/bin/sh", "-c", command}, "", &ignored);
    }
    std::string Out() const { return ReadFile(folder_.path() + "out"); }
    std::string Err() const { return ReadFile(folder_.path() + "err"); }
    std::string RunFolder() const {
        const std::string out = Out();
        return out.substr(0, out.find(": "));
    }
    std::vector<SendLogEntry> Log(const std::string& folder) const {
        std::vector<SendLogEntry> entries;
        std::istringstream in(ReadFile(folder + "/ENVIAMENTS.txt"));
        std::string line;
        while (std::getline(in, line)) {
            SendLogEntry e;
            if (ParseSendLogLine(line, e)) entries.push_back(e);
        }
        return entries;
    }
    std::string SmtpSettings(int port, const std::string& extra) {
        return "[Correu]\r\nEnviament=SMTP\r\nServidor=127.0.0.1\r\nPort=" + std::to_string(port) +
               "\r\nRemitent=office@finques.cat\r\nMaxPerMinut=1000\r\n" + extra;
    }
    // A throw-away certificate for 127.0.0.1; false when openssl is missing.
    bool MakeCertificate() {
        return RunPiped({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                         "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                         "-keyout", folder_ / "key.pem", "-out", folder_ / "cert.pem"},
                        "", nullptr) == 0;
    }
    void WriteKeyFile(const std::string& password, mode_t mode) {
        WriteFile(folder_ / "clau", password + "\n");
        ::chmod((folder_ / "clau").c_str(), mode);
    }

    TempFolder folder_;
};

TEST_F(Rovodovo, ExitStatusesForUsageAndForNoSpoolFile) {
    EXPECT_EQ(Run({"--bogus"}), 2);
    EXPECT_NE(Err().find("usage"), std::string::npos);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(Run(), 3);  // no spool file
    EXPECT_NE(Err().find("rovodovo.tmp"), std::string::npos);
    SetSpool("%PDF-1.5\n\x01\x02 binary");
    EXPECT_EQ(Run(), 3);
    EXPECT_NE(Err().find("not a spool file"), std::string::npos);
    EXPECT_EQ(Run({"--resend", folder_ / "nowhere"}), 3);
}

TEST_F(Rovodovo, EveryRunWritesAFolderOfItsOwnAndSaysSoInOneLine) {
    SetSpool(CertificateSpool({"anna@example.cat,,ANNA PUIG", ",,JOAN", "pere@example.cat,,PERE"},
                              "PDF"));
    ASSERT_EQ(Run(), 0) << Err();
    const std::string first = RunFolder();
    ASSERT_EQ(Run(), 0) << Err();
    const std::string second = RunFolder();
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(session() + "ROVODOVO/", 0), 0u) << first;
    for (const std::string& folder : {first, second}) {
        for (const char* name : {"DOC0001.pdf", "DOC0001.txt", "DOC0003.pdf", "INDEX.txt"}) {
            EXPECT_TRUE(FileExists(folder + "/" + name)) << folder << name;
        }
    }
    // One line on standard output: the folder, then the counts. With no
    // [Correu] the messages are only written into the folder.
    EXPECT_EQ(Out(),
              second + ": 3 DOCUMENTS, 3 PÀGINES, 2 CORREUS DESATS A LA CARPETA, 0 NO ENVIATS\n");
    const std::string index = ReadFile(second + "/INDEX.txt");
    EXPECT_NE(index.find("DOC0002.pdf\t1\t\tJOAN\twritten; to print\t2025\tJOSEP PEÑA"),
              std::string::npos)
        << index;
    EXPECT_NE(index.find("DOC0001.pdf\t1\tanna@example.cat\tANNA PUIG\twritten; e-mail written to "
                         "DOC0001.eml"),
              std::string::npos)
        << index;
    const std::string eml = ReadFile(second + "/DOC0001.eml");
    EXPECT_NE(eml.find("To: \"ANNA PUIG\" <anna@example.cat>"), std::string::npos);
    EXPECT_NE(eml.find("Subject: =?UTF-8?B?"), std::string::npos);  // JOSEP PEÑA
    EXPECT_EQ(Log(second).size(), 2u);
    // The PDFs of the two runs are the same bytes.
    EXPECT_EQ(ReadFile(first + "/DOC0003.pdf"), ReadFile(second + "/DOC0003.pdf"));
}

TEST_F(Rovodovo, ScreenWithoutATerminalOnlyWritesTheFolder) {
    WriteFile(session() + "ROVODOVO.INI", "[Opcions]\r\nCorreu=N\r\n");
    SetSpool(CertificateSpool({",,A"}, "PANTALLA"));
    ASSERT_EQ(Run(), 0) << Err();
    EXPECT_NE(Out().find(": 1 DOCUMENTS, 1 PÀGINES, SENSE TERMINAL: NO ES MOSTREN\n"),
              std::string::npos)
        << Out();
    EXPECT_FALSE(FileExists(RunFolder() + "/ENVIAMENTS.txt"));
}

TEST_F(Rovodovo, PrinterQueueThroughLpWithAnArgumentVector) {
    fs::create_directories(folder_ / "bin");
    WriteFile(folder_ / "bin/lp", "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\" >> '" +
                                      folder_ / "lp.log" + "'; done\necho >> '" +
                                      folder_ / "lp.log" + "'\n");
    ::chmod((folder_ / "bin/lp").c_str(), 0755);
    WriteFile(session() + "ROVODOVO.INI", "[Opcions]\r\nCorreu=N\r\n");
    SetSpool(CertificateSpool({",,A", ",,B"}, "LASER 1;rm -rf x"));
    ASSERT_EQ(Run({}, folder_ / "bin" + ":/usr/bin:/bin"), 0) << Err();
    const std::string folder = RunFolder();
    EXPECT_EQ(ReadFile(folder_ / "lp.log"), "-d|LASER 1;rm -rf x|" + folder + "/DOC0001.pdf|\n" +
                                                "-d|LASER 1;rm -rf x|" + folder +
                                                "/DOC0002.pdf|\n");
    EXPECT_NE(ReadFile(folder + "/INDEX.txt").find("\tprinted; to print"), std::string::npos);

    // A queue lp refuses: said, and the PDFs are kept.
    WriteFile(folder_ / "bin/lp",
              "#!/bin/sh\necho 'lp: The printer or class does not exist.' >&2\nexit 1\n");
    EXPECT_EQ(Run({}, folder_ / "bin" + ":/usr/bin:/bin"), 1);
    EXPECT_NE(Err().find("DOC0001.pdf: not printed"), std::string::npos) << Err();
    EXPECT_TRUE(FileExists(RunFolder() + "/DOC0002.pdf"));
    EXPECT_NE(Out().find("2 NO IMPRESOS"), std::string::npos) << Out();

    // No lp at all.
    fs::remove(folder_ / "bin/lp");
    EXPECT_EQ(Run({}, folder_ / "bin"), 1);
    EXPECT_NE(Err().find("lp could not be started"), std::string::npos) << Err();
}

TEST_F(Rovodovo, BadAddressesAndNamesAreRefusedAndNeverReachTheServer) {
    if (!HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
    SmtpSink sink(folder_ / "sink");
    ASSERT_TRUE(sink.Start({}));
    SetVelaIni(SmtpSettings(sink.port(), "Seguretat=CAP\r\n"));
    SetSpool(CertificateSpool({"good@example.cat,,GOOD", "a@b.cat\tBcc: victim@x.cat,,X",
                               "a@b.cat,,NAME\x0b"
                               "Bcc: victim@x.cat",
                               "<a@b.cat>,,Y", "a@b.cat, victim@x.cat,,Z", "nodomain,,W"},
                              "PDF"));
    EXPECT_EQ(Run(), 1);
    ASSERT_EQ(sink.Messages().size(), 1u) << ReadFile(RunFolder() + "/ENVIAMENTS.txt");
    EXPECT_EQ(sink.Envelope(sink.Messages()[0]), "office@finques.cat\ngood@example.cat\n");
    EXPECT_EQ(sink.Message(sink.Messages()[0]).find("victim"), std::string::npos);
    const auto log = Log(RunFolder());
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].result, "sent");
    for (std::size_t i = 1; i < log.size(); ++i) EXPECT_EQ(log[i].result, "refused") << i;
    for (const char* doc : {"DOC0002", "DOC0003", "DOC0004", "DOC0005", "DOC0006"}) {
        EXPECT_NE(Err().find(std::string(doc) + ".pdf: e-mail to"), std::string::npos) << Err();
    }
    EXPECT_NE(Out().find("1 CORREUS ENVIATS, 5 NO ENVIATS"), std::string::npos) << Out();
}

TEST_F(Rovodovo, OneMessageForEveryAddressedCertificateWithItsPdf) {
    if (!HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
    SmtpSink sink(folder_ / "sink");
    ASSERT_TRUE(sink.Start({}));
    SetVelaIni(SmtpSettings(sink.port(), "Seguretat=CAP\r\nCopia=record@finques.cat\r\n"));
    SetSpool(CertificateSpool(
        {"anna@example.cat,,ÀNGELS CORTÉS", ",,NO ADDRESS", "pere@example.es,,PERE"}, "PDF"));
    ASSERT_EQ(Run(), 0) << Err();
    const std::string folder = RunFolder();
    const auto messages = sink.Messages();
    ASSERT_EQ(messages.size(), 2u);
    // The blind copy goes to the office as a recipient, never in a header.
    EXPECT_EQ(sink.Envelope(messages[0]),
              "office@finques.cat\nanna@example.cat\nrecord@finques.cat\n");
    EXPECT_EQ(sink.Envelope(messages[1]),
              "office@finques.cat\npere@example.es\nrecord@finques.cat\n");
    // Read with Python's own e-mail parser: headers decoded, the PDF intact.
    const std::string check =
        "import email, email.policy, sys\n"
        "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)\n"
        "pdf = [p for p in m.iter_attachments()][0]\n"
        "same = pdf.get_content() == open(sys.argv[2], 'rb').read()\n"
        "print(m['To'], '|', m['Subject'], '|', pdf.get_filename(), same,\n"
        "      bool(m['Date']), bool(m['Message-ID']), m['Bcc'])\n";
    std::string out;
    ASSERT_EQ(RunPiped({kPython, "-c", check, folder_ / "sink/" + messages[0] + ".eml",
                        folder + "/DOC0001.pdf"},
                       "", &out),
              0);
    EXPECT_EQ(out,
              "ÀNGELS CORTÉS <anna@example.cat> | Certificat de retencions de l'exercici 2025 - "
              "JOSEP PEÑA | DOC0001.pdf True True True None\n");
    const auto log = Log(folder);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].file, "DOC0001.pdf");
    EXPECT_EQ(log[0].result, "sent");
    EXPECT_NE(log[0].reply.find("250"), std::string::npos) << log[0].reply;
    EXPECT_NE(sink.Message(messages[0]).find("Message-ID: " + log[0].messageId), std::string::npos);
    EXPECT_NE(Out().find("2 CORREUS ENVIATS, 0 NO ENVIATS"), std::string::npos) << Out();
}

TEST_F(Rovodovo, StartTlsWithLoginAndARefusedLogin) {
    if (!HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
    ASSERT_TRUE(MakeCertificate());
    SmtpSink sink(folder_ / "sink");
    ASSERT_TRUE(sink.Start(
        {"--starttls", folder_ / "cert.pem", folder_ / "key.pem", "--login", "office", "s3cret"}));
    const std::string tls = "Seguretat=STARTTLS\r\nCertificatCA=" + folder_ / "cert.pem" +
                            "\r\nUsuari=office\r\nFitxerClau=" + folder_ / "clau" + "\r\n";
    SetVelaIni(SmtpSettings(sink.port(), tls));
    SetSpool(CertificateSpool({"anna@example.cat,,ANNA", "pere@example.es,,PERE"}, "PDF"));

    WriteKeyFile("s3cret", 0600);
    ASSERT_EQ(Run(), 0) << Err();
    EXPECT_EQ(sink.Messages().size(), 2u);

    // A wrong password: the server refuses the login, nothing is sent, and
    // the second document is not tried against the same refusal.
    WriteKeyFile("wrong", 0600);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(sink.Messages().size(), 2u);
    auto log = Log(RunFolder());
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].result, "failed");
    EXPECT_EQ(log[1].result, "failed");
    EXPECT_NE(Err().find("DOC0001.pdf: e-mail to anna@example.cat not sent"), std::string::npos)
        << Err();

    // A key file others may read is refused before any connection.
    WriteKeyFile("s3cret", 0644);
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(sink.Messages().size(), 2u);
    EXPECT_NE(Err().find("chmod 600"), std::string::npos) << Err();
}

TEST_F(Rovodovo, ImplicitTls) {
    if (!HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
    ASSERT_TRUE(MakeCertificate());
    SmtpSink sink(folder_ / "sink");
    ASSERT_TRUE(sink.Start({"--tls", folder_ / "cert.pem", folder_ / "key.pem"}));
    SetVelaIni(SmtpSettings(sink.port(),
                            "Seguretat=TLS\r\nCertificatCA=" + folder_ / "cert.pem" + "\r\n"));
    SetSpool(CertificateSpool({"anna@example.cat,,ANNA"}, "PDF"));
    ASSERT_EQ(Run(), 0) << Err();
    EXPECT_EQ(sink.Messages().size(), 1u);
    // A certificate the client does not trust: nothing is sent.
    SetVelaIni(SmtpSettings(sink.port(), "Seguretat=TLS\r\n"));
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(sink.Messages().size(), 1u);
}

TEST_F(Rovodovo, SendmailGetsTheWholeMessageOnItsInput) {
    fs::create_directories(folder_ / "bin");
    WriteFile(folder_ / "bin/sendmail", "#!/bin/sh\necho \"$@\" > '" + folder_ / "args" +
                                            "'\ncat >> '" + folder_ / "mail" + "'\n");
    ::chmod((folder_ / "bin/sendmail").c_str(), 0755);
    SetVelaIni(
        "[Correu]\r\nEnviament=SENDMAIL\r\nRemitent=office@finques.cat\r\nCopia=rec@finques."
        "cat\r\n");
    SetSpool(CertificateSpool({"anna@example.cat,,ANNA", "pere@example.es,,PERE"}, "PDF"));
    ASSERT_EQ(Run({}, folder_ / "bin" + ":/usr/bin:/bin"), 0) << Err();
    EXPECT_EQ(ReadFile(folder_ / "args"), "-t -oi\n");
    const std::string mail = ReadFile(folder_ / "mail");
    EXPECT_NE(mail.find("To: \"ANNA\" <anna@example.cat>\r\n"), std::string::npos);
    EXPECT_NE(mail.find("To: \"PERE\" <pere@example.es>\r\n"), std::string::npos);
    EXPECT_NE(mail.find("Bcc: rec@finques.cat\r\n"), std::string::npos);
    EXPECT_NE(mail.find("From: \"FINQUES PLANA\" <office@finques.cat>\r\n"), std::string::npos);
    EXPECT_EQ(Log(RunFolder())[1].result, "sent");
}

TEST_F(Rovodovo, StartTlsIsRequiredWhenAsked) {
    if (!HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
    SmtpSink sink(folder_ / "sink");
    ASSERT_TRUE(sink.Start({}));  // offers no STARTTLS
    SetVelaIni(SmtpSettings(sink.port(), ""));
    SetSpool(CertificateSpool({"anna@example.cat,,ANNA"}, "PDF"));
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(Rovodovo, ServerDownThenResendSendsExactlyTheMissingOnes) {
    if (!HaveAiosmtpd()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
    SmtpSink sink(folder_ / "sink");
    ASSERT_TRUE(sink.Start({}));
    const int port = sink.port();
    sink.Stop();  // the server is down for the run
    SetVelaIni(SmtpSettings(port, "Seguretat=CAP\r\n"));
    SetSpool(CertificateSpool(
        {"anna@example.cat,,ANNA", ",,JOAN", "pere@example.es,,PERE", "bad address,,X"}, "PDF"));
    EXPECT_EQ(Run(), 1);
    const std::string folder = RunFolder();
    EXPECT_NE(Out().find("0 CORREUS ENVIATS, 3 NO ENVIATS"), std::string::npos) << Out();

    SmtpSink again(folder_ / "sink2");
    ASSERT_TRUE(again.Start({}));
    SetVelaIni(SmtpSettings(again.port(), "Seguretat=CAP\r\n"));
    // The two sendable ones go; the refused address is refused again.
    EXPECT_EQ(Run({"--resend", folder}), 1);
    ASSERT_EQ(again.Messages().size(), 2u);
    EXPECT_NE(again.Envelope(again.Messages()[0]).find("anna@example.cat"), std::string::npos);
    EXPECT_NE(again.Envelope(again.Messages()[1]).find("pere@example.es"), std::string::npos);
    EXPECT_NE(ReadFile(folder + "/INDEX.txt")
                  .find("DOC0001.pdf\t1\tanna@example.cat\tANNA\twritten; sent"),
              std::string::npos)
        << ReadFile(folder + "/INDEX.txt");

    // Nothing is sent twice.
    EXPECT_EQ(Run({"--resend", folder + "/"}), 1);
    EXPECT_EQ(again.Messages().size(), 2u);
    EXPECT_NE(Out().find("2 JA ENVIATS, 0 CORREUS ENVIATS, 1 NO ENVIATS"), std::string::npos)
        << Out();
}

}  // namespace
}  // namespace vela
