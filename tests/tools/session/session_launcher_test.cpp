#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "env/ini_file.hpp"
#include "tests/support/temp_folder.hpp"
#include "tools/session/session_setup.hpp"

namespace vela {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

TEST(SessionArguments, ValidCommandLines) {
    std::string error;
    auto options = ParseSessionArguments(
        {"/srv/vela", "--lang", "spa", "--date", "20240229", "--device", "PDF", "--session",
         "/tmp/s", "--exe", "/x", "--", "KELD0190", "--batch", "--kind", "S"},
        error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->root, "/srv/vela");
    EXPECT_EQ(options->language, "SPA");
    EXPECT_EQ(options->date, "20240229");
    EXPECT_EQ(options->device, "PDF");
    EXPECT_EQ(options->sessionDir, "/tmp/s");
    EXPECT_EQ(options->exeDir, "/x");
    EXPECT_EQ(options->program, "KELD0190");
    EXPECT_EQ(options->arguments, (std::vector<std::string>{"--batch", "--kind", "S"}));

    options = ParseSessionArguments({"root", "--", "KELD0190"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->language, "");
    EXPECT_TRUE(options->arguments.empty());
    EXPECT_TRUE(ParseSessionArguments({"--help"}, error)->help);
}

TEST(SessionArguments, InvalidCommandLinesSayWhy) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--", "KELD0190"}, "name the installation root"},
        {{"root"}, "name the program to run after --"},
        {{"root", "--"}, "name the program to run after --"},
        {{"root", "--lang", "ENG", "--", "P"}, "unknown language ENG (CAT, SPA, GLG or OCI)"},
        {{"root", "--date", "20250230", "--", "P"},
         "the working date must be a date written YYYYMMDD: 20250230"},
        {{"root", "--date", "20230229", "--", "P"},
         "the working date must be a date written YYYYMMDD: 20230229"},
        {{"root", "--date", "2025-01-01", "--", "P"},
         "the working date must be a date written YYYYMMDD: 2025-01-01"},
        {{"root", "--colour", "--", "P"}, "unknown option --colour"},
        {{"root", "KELD0190"}, "put -- before the program to run: KELD0190"},
        {{"root", "--device"}, "--device needs a value"},
    };
    for (const auto& [args, why] : cases) {
        std::string error;
        EXPECT_FALSE(ParseSessionArguments(args, error)) << args[0];
        EXPECT_EQ(error, why);
    }
}

TEST(SessionSettings, WhatTheProgramReadsFromTheSessionFiles) {
    SessionOptions options;
    options.program = "KELD0190";
    options.operatorName = "ANNA";
    const auto settings = SessionSettings(options, "/tmp/s1/", "20250115");
    auto find = [&](const std::string& key) {
        for (const SessionSetting& s : settings) {
            if (s.key == key) return s.file + " " + s.section + " " + s.value;
        }
        return std::string("missing");
    };
    EXPECT_EQ(find("Operador"), "Sessio.ini Menu ANNA");
    EXPECT_EQ(find("Dir"), "Sessio.ini Terminal /tmp/s1/");
    EXPECT_EQ(find("Data"), "VelaTerm.ini Sistema 20250115");
    EXPECT_EQ(find("Sortida"), "VelaTerm.ini Sistema PANTALLA");
    EXPECT_EQ(find("Idioma"), "VelaTerm.ini Sistema ");  // removed: Vela.ini decides
    EXPECT_EQ(find("Col0"), "VelaTerm.ini Pantalla 15000700000700070007");
}

// A stand-in program that reports its session and ends with code 7.
std::string MakeProbe(const TempFolder& exe, const TempFolder& out) {
    const std::string probe = exe / "PROBE";
    WriteFile(probe,
              "#!/bin/sh\n"
              "{ echo \"ROOT=$RUKROOT\"; echo \"EXE=$RUKEXE\"; echo \"TMP=$RUKTMP\";"
              " echo \"ARGS=$*\"; } > " +
                  out.path() +
                  "env.txt\n"
                  "cp \"$RUKTMP/Sessio.ini\" \"$RUKTMP/VelaTerm.ini\" " +
                  out.path() +
                  "\n"
                  "mkdir -p \"$RUKTMP/ROVODOVO\"\n"
                  "echo document > \"$RUKTMP/ROVODOVO/DOC0001.txt\"\n"
                  "exit 7\n");
    chmod(probe.c_str(), 0755);
    return probe;
}

int RunLauncher(const std::string& environment, const std::string& arguments) {
    const std::string command =
        environment + " " + std::string(VELA_SESSION_PATH) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunLauncher(const std::string& arguments) {
    const std::string command =
        std::string(VELA_SESSION_PATH) + " " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Line(const std::string& text, const std::string& key) {
    const auto at = text.find(key + "=");
    return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
}

TEST(SessionLauncher, WithoutASessionFolderUsesTheUsersFolderUnderTheRootAndKeepsIt) {
    TempFolder root, exe, out;
    MakeProbe(exe, out);
    EXPECT_EQ(RunLauncher("USER=anna", root.path() + " --lang gLg --date 20250115 --exe " +
                                           exe.path() + " -- PROBE one two"),
              7);
    const std::string env = ReadFile(out / "env.txt");
    EXPECT_EQ(Line(env, "ROOT"), "ROOT=" + root.path());
    EXPECT_EQ(Line(env, "EXE"), "EXE=" + exe.path());
    EXPECT_EQ(Line(env, "ARGS"), "ARGS=one two");
    EXPECT_EQ(Line(env, "TMP"), "TMP=" + root.path() + "SESSIONS/anna/");
    // The folder stays, with what the program left in it.
    EXPECT_TRUE(FileExists(root / "SESSIONS/anna/Sessio.ini"));
    EXPECT_EQ(ReadFile(root / "SESSIONS/anna/ROVODOVO/DOC0001.txt"), "document\n");
    EXPECT_EQ(IniRead(out / "VelaTerm.ini", "Sistema", "Data"), "20250115");
    EXPECT_EQ(IniRead(out / "VelaTerm.ini", "Sistema", "Idioma"), "GLG");
    EXPECT_EQ(IniRead(out / "Sessio.ini", "Terminal", "Dir"), root.path() + "SESSIONS/anna/");
    EXPECT_EQ(IniRead(out / "Sessio.ini", "Menu", "Operador"), "ANNA");

    // Another user gets a folder of their own; the first one's is untouched.
    EXPECT_EQ(RunLauncher("USER=jordi", root.path() + " --exe " + exe.path() + " -- PROBE"), 7);
    EXPECT_EQ(Line(ReadFile(out / "env.txt"), "TMP"), "TMP=" + root.path() + "SESSIONS/jordi/");
    EXPECT_TRUE(FileExists(root / "SESSIONS/anna/ROVODOVO/DOC0001.txt"));
    // --operator names the operator without changing the folder.
    EXPECT_EQ(RunLauncher("USER=anna",
                          root.path() + " --operator MARTA --exe " + exe.path() + " -- PROBE"),
              7);
    EXPECT_EQ(Line(ReadFile(out / "env.txt"), "TMP"), "TMP=" + root.path() + "SESSIONS/anna/");
    EXPECT_EQ(IniRead(out / "Sessio.ini", "Menu", "Operador"), "MARTA");
}

TEST(SessionLauncher, DefaultSessionFolderNames) {
    EXPECT_EQ(DefaultSessionFolder("/srv/vela", "anna"), "/srv/vela/SESSIONS/anna/");
    EXPECT_EQ(DefaultSessionFolder("/srv/vela/", "anna"), "/srv/vela/SESSIONS/anna/");
    EXPECT_EQ(DefaultSessionFolder("/srv/vela", ""), "/srv/vela/SESSIONS/OPERADOR/");
    EXPECT_EQ(DefaultSessionFolder("/srv/vela", ".."), "/srv/vela/SESSIONS/OPERADOR/");
    EXPECT_EQ(DefaultSessionFolder("/srv/vela", "a/b"), "/srv/vela/SESSIONS/OPERADOR/");
}

TEST(SessionLauncher, ANamedSessionFolderIsKept) {
    TempFolder root, exe, out, session;
    MakeProbe(exe, out);
    WriteFile(session / "VelaTerm.ini", "[Sistema]\r\nIdioma=SPA\r\n[Propi]\r\nX=1\r\n");
    EXPECT_EQ(RunLauncher(root.path() + " --session " + session.path() + "s1 --exe " + exe.path() +
                          " -- PROBE"),
              7);
    EXPECT_TRUE(FileExists(session / "s1/Sessio.ini"));
    // Settings of an earlier session in the same folder give way.
    EXPECT_EQ(RunLauncher(root.path() + " --session " + session.path() + " --exe " + exe.path() +
                          " -- PROBE"),
              7);
    EXPECT_EQ(IniRead(session / "VelaTerm.ini", "Sistema", "Idioma"), "");
    EXPECT_EQ(IniRead(session / "VelaTerm.ini", "Propi", "X"), "1");
}

TEST(SessionLauncher, FailuresAreReportedWithNonZeroCodes) {
    TempFolder root, exe;
    EXPECT_EQ(RunLauncher(root.path() + " --exe " + exe.path() + " -- MISSING"), 127);
    EXPECT_EQ(RunLauncher("/nonexistent/vela --exe " + exe.path() + " -- MISSING"), 2);
    EXPECT_EQ(RunLauncher("--lang XX"), 2);
    EXPECT_EQ(RunLauncher("--help"), 0);
}

}  // namespace
}  // namespace vela
