// The program driver: start-up and shut-down of KELD0190.
//
// Start-up reads the session, makes the installation root the current
// folder, sets the module name, works out the default selection and loads the
// presenter's contact data from "Vela.ini" [Presentador]. Shut-down writes
// the presenter data back (with the blank padding of its form fields), so
// what the clerk typed is kept between runs, whether or not a return was
// produced.
#pragma once

#include <string>

namespace vela {

// Widths of the presenter form's fields: contact name and telephone.
inline constexpr std::size_t kContactNameWidth = 40;
inline constexpr std::size_t kContactPhoneWidth = 9;

struct PresenterData {
    std::string contactName;   // blank-padded to kContactNameWidth
    std::string contactPhone;  // blank-padded to kContactPhoneWidth
};

// The default closing date of the selection: 31 December of the year before
// the working date, as a packed date.
std::string DefaultClosingDate(const std::string& packedWorkDate);

PresenterData LoadPresenterData(const std::string& rootDir);
void SavePresenterData(const std::string& rootDir, const PresenterData& presenter);

// Text cut or blank-padded to width, as fixed-width fields hold it.
std::string FixedField(const std::string& text, std::size_t width);

// Reads the session and prepares the process; false when the program was
// started without a session or the installation root cannot be made the
// current folder (the reason is in error).
bool StartSession(std::string& error);

// The session's and the installation's input files (the session INI files,
// "Vela.ini", the language file): a missing one is fine (its values read as
// empty), but a folder, a device, an unreadable or an absurdly large file in
// its place stops the program with error naming it, rather than letting
// settings silently read as empty.
bool CheckInputFiles(std::string& error);

}  // namespace vela
