#include "env/translation.hpp"

#include <fcntl.h>
#include <unistd.h>

#include "env/session.hpp"
#include "platform/host_path.hpp"
#include "platform/input_file.hpp"

namespace vela {
namespace {

std::string moduleSource;  // set by the driver
std::string moduleInUse;   // taken on the first call that needs the file

// Reads one field from pos and steps past the comma or line end that ends
// it (a CR LF pair counts as one line end).
std::string ReadField(std::string_view contents, std::size_t& pos) {
    const std::size_t size = contents.size();
    const auto atTerminator = [&] {
        return contents[pos] == ',' || contents[pos] == '\r' || contents[pos] == '\n';
    };
    while (pos < size && contents[pos] == ' ') ++pos;
    std::string field;
    if (pos < size && contents[pos] == '"') {
        const std::size_t close = contents.find('"', pos + 1);
        if (close == std::string_view::npos) {
            field = contents.substr(pos + 1);
            pos = size;
            return field;
        }
        field = contents.substr(pos + 1, close - pos - 1);
        pos = close + 1;
        while (pos < size && !atTerminator()) ++pos;  // anything after the quote is ignored
    } else {
        const std::size_t start = pos;
        while (pos < size && !atTerminator()) ++pos;
        field = contents.substr(start, pos - start);
    }
    if (pos < size) {
        const char terminator = contents[pos++];
        if (terminator == '\r' && pos < size && contents[pos] == '\n') ++pos;
    }
    return field;
}

// Walks the records in file order until visit returns true.
template <typename Visit>
void WalkRecords(std::string_view contents, Visit visit) {
    std::size_t pos = 0;
    for (;;) {
        LanguageRecord record;
        record[0] = ReadField(contents, pos);
        if (pos >= contents.size()) return;
        for (std::size_t f = 1; f < 4; ++f) record[f] = ReadField(contents, pos);
        if (visit(record)) return;
    }
}

// A folder, a device or an oversized file where the language file should
// be gives no translations, like a missing one.
std::string ReadWholeFile(const std::string& hostPath) {
    std::string contents;
    ReadInputFile(hostPath, contents);
    return contents;
}

}  // namespace

void SetTranslationModule(const std::string& moduleName) { moduleSource = moduleName; }

void ForgetTranslationModule() { moduleInUse.clear(); }

std::vector<LanguageRecord> ReadLanguageRecords(std::string_view contents) {
    std::vector<LanguageRecord> records;
    WalkRecords(contents, [&](const LanguageRecord& record) {
        records.push_back(record);
        return false;
    });
    return records;
}

std::string FindTranslation(std::string_view contents, const std::string& text,
                            const std::string& language) {
    std::string result = text;
    WalkRecords(contents, [&](const LanguageRecord& record) {
        if (record[0] != text) return false;
        if (language == "SPA") {
            result = record[3];
        } else if (language == "GLG") {
            result = record[1];
        } else if (language == "OCI") {
            result = record[2];
        }
        return true;
    });
    return result;
}

std::string Translate(const std::string& text) {
    if (Session.language == "CAT") return text;
    if (moduleInUse.empty()) moduleInUse = moduleSource;
    // Before the driver has named the program there is no file to read, and
    // none named ".LNG" is to be created.
    if (moduleInUse.empty()) return text;
    const std::string hostPath =
        ResolveHostPath(Session.rootDir + "LOCALE\\" + moduleInUse + ".LNG");
    // Opening for read and write creates a missing file, empty; an existing
    // one is left as it is.
    const int descriptor =
        ::open(hostPath.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor >= 0) ::close(descriptor);
    return FindTranslation(ReadWholeFile(hostPath), text, Session.language);
}

}  // namespace vela
