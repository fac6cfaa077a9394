#include "app/start_up.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "app/program_values.hpp"
#include "datenum/calendar_dates.hpp"
#include "datenum/numeric_value.hpp"
#include "env/ini_file.hpp"
#include "env/session.hpp"
#include "env/session_check.hpp"
#include "env/translation.hpp"
#include "platform/host_path.hpp"
#include "platform/input_file.hpp"

namespace vela {

std::string FixedField(const std::string& text, std::size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, ' ');
    return field;
}

std::string DefaultClosingDate(const std::string& packedWorkDate) {
    const std::string century = UnpackDigits(packedWorkDate.substr(0, 2));
    const double previousYear = NumericValue(century) - 1;
    return PackDigits(ZeroPad(previousYear, 4) + "1231");
}

PresenterData LoadPresenterData(const std::string& rootDir) {
    const std::string ini = rootDir + "Vela.ini";
    return {FixedField(IniRead(ini, "Presentador", "Nom"), kContactNameWidth),
            FixedField(IniRead(ini, "Presentador", "Telefon"), kContactPhoneWidth)};
}

void SavePresenterData(const std::string& rootDir, const PresenterData& presenter) {
    const std::string ini = rootDir + "Vela.ini";
    IniWrite(ini, "Presentador", "Nom", presenter.contactName);
    IniWrite(ini, "Presentador", "Telefon", presenter.contactPhone);
}

bool StartSession(std::string& error) {
    ReadSession();
    error = MissingSession("KELD0190");
    if (!error.empty()) return false;
    if (!Session.rootDir.empty() && ::chdir(ResolveHostPath(Session.rootDir).c_str()) != 0) {
        error = "cannot enter the installation folder " + HostPath(Session.rootDir) + ": " +
                std::strerror(errno);
        return false;
    }
    moduleName = "KELD0190";
    SetTranslationModule(moduleName);
    recordTerminator = "\r\n";
    return true;
}

bool CheckInputFiles(std::string& error) {
    std::vector<std::string> files = {Session.tmpDir + "Sessio.ini",
                                      Session.tmpDir + "VelaTerm.ini",
                                      Session.rootDir + "Vela.ini"};
    if (Session.language != "CAT")
        files.push_back(Session.rootDir + "LOCALE\\" + moduleName + ".LNG");
    for (const std::string& file : files) {
        const std::string host = ResolveHostPath(file);
        const InputFile check = CheckInputFile(host);
        if (check != InputFile::read && check != InputFile::missing) {
            error = InputFileProblem(host, check);
            return false;
        }
    }
    return true;
}

}  // namespace vela
