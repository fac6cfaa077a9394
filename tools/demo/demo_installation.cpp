#include "tools/demo/demo_installation.hpp"

#include <filesystem>

#include "env/ini_file.hpp"
#include "tools/demo/unload_file.hpp"

namespace vela {

namespace fs = std::filesystem;

namespace {

// The installation data that other parts of the project keep in the
// repository, copied as they stand.
constexpr const char* kDataFolders[] = {"LOCALE", "FORMS", "AJUDA"};

bool WriteBytes(const fs::path& path, std::string_view bytes, std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) error = "cannot write " + path.string();
    return static_cast<bool>(file);
}

}  // namespace

bool WriteInstallationFiles(const DemoInstallation& installation, std::string& error) {
    const fs::path root(installation.root);
    std::error_code fsError;
    for (const char* folder : {"", "ddf", "DADES", "TAULES"}) {
        fs::create_directories(root / folder, fsError);
        if (!fs::is_directory(root / folder)) {
            error = "cannot make the folder " + (root / folder).string();
            return false;
        }
    }
    const std::string ini = (root / "Vela.ini").string();
    for (const IniEntry& entry : DemoVelaIni(installation.office)) {
        if (!IniWrite(ini, entry.section, entry.key, entry.value)) {
            error = "cannot write " + ini;
            return false;
        }
    }
    for (const char* folder : kDataFolders) {
        const fs::path from = fs::path(installation.dataDir) / folder;
        if (!fs::is_directory(from)) continue;
        fs::copy(from, root / folder,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing, fsError);
        if (fsError) {
            error = "cannot copy " + from.string() + ": " + fsError.message();
            return false;
        }
    }
    for (const RecordFileInfo& file : kRecordFiles) {
        const fs::path xdf = root / "ddf" / (std::string(file.name) + ".xdf");
        if (!WriteBytes(xdf, file.dictionaryEntry, error)) return false;
    }
    return true;
}

UnloadFileSink::UnloadFileSink(std::string folder) : folder_(std::move(folder)) {}

void UnloadFileSink::Add(const RecordFileInfo& file, std::string_view record) {
    auto& stream = files_[static_cast<std::size_t>(&file - kRecordFiles.data())];
    if (!stream) {
        stream = std::make_unique<std::ofstream>(
            (fs::path(folder_) / (std::string(file.name) + ".unl")).string(),
            std::ios::binary | std::ios::trunc);
    }
    const std::string unload = UnloadRecord(record);
    stream->write(unload.data(), static_cast<std::streamsize>(unload.size()));
}

bool UnloadFileSink::Close(std::string& error) {
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (!files_[i]) {
            // A file without records still gets its (empty) unload file.
            files_[i] = std::make_unique<std::ofstream>(
                (fs::path(folder_) / (std::string(kRecordFiles[i].name) + ".unl")).string(),
                std::ios::binary | std::ios::trunc);
        }
        files_[i]->close();
        if (!*files_[i]) {
            error = "cannot write the unload file of " + std::string(kRecordFiles[i].name);
            return false;
        }
    }
    return true;
}

}  // namespace vela
