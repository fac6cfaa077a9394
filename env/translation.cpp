#include "env/translation.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <functional>
#include <unordered_map>

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

// The wording of a record in the language, or the Catalan text itself for a
// language other than the three.
std::string Wording(const LanguageRecord& record, const std::string& text,
                    const std::string& language) {
    if (language == "SPA") return record[3];
    if (language == "GLG") return record[1];
    if (language == "OCI") return record[2];
    return text;
}

bool operator==(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// What tells one state of the language file's contents from another.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    timespec changed{};

    explicit FileStamp(const struct stat& info)
        : device(info.st_dev),
          inode(info.st_ino),
          size(info.st_size),
          modified(info.st_mtim),
          changed(info.st_ctim) {}
    FileStamp() = default;
    bool operator==(const FileStamp&) const = default;
};

// A file changed this recently may change again within the same tick of the
// file system's clock (a second or two on some) without its stamp changing:
// its contents are not kept for the next call. A file whose last change
// (content or attributes) is older leaves a newer change time after any
// change.
constexpr time_t kSettleSeconds = 2;

std::function<std::time_t()> clockForTesting;

std::time_t Now() { return clockForTesting ? clockForTesting() : std::time(nullptr); }

// The language file as last read, its records by Catalan text (the first
// record of a text, as a read from the start finds it), kept while the
// file's stamp stays the same.
struct LanguageTable {
    std::string hostPath;
    FileStamp stamp;
    bool settled = false;
    std::unordered_map<std::string, LanguageRecord> records;
};

LanguageTable table;
long fileReads = 0;

const LanguageTable& CurrentTable(const std::string& hostPath, const struct stat& info) {
    const FileStamp stamp(info);
    if (table.settled && table.hostPath == hostPath && table.stamp == stamp) return table;
    table.hostPath = hostPath;
    table.stamp = stamp;
    table.settled = info.st_ctim.tv_sec + kSettleSeconds < Now();
    table.records.clear();
    ++fileReads;
    for (LanguageRecord& record : ReadLanguageRecords(ReadWholeFile(hostPath))) {
        table.records.try_emplace(record[0], std::move(record));
    }
    return table;
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
        result = Wording(record, text, language);
        return true;
    });
    return result;
}

long LanguageFileReads() { return fileReads; }

void SetTranslationClockForTesting(std::function<std::time_t()> now) {
    clockForTesting = std::move(now);
}

std::string Translate(const std::string& text) {
    if (Session.language == "CAT") return text;
    if (moduleInUse.empty()) moduleInUse = moduleSource;
    // Before the driver has named the program there is no file to read, and
    // none named ".LNG" is to be created.
    if (moduleInUse.empty()) return text;
    const std::string hostPath =
        ResolveHostPath(Session.rootDir + "LOCALE\\" + moduleInUse + ".LNG");
    struct stat info;
    if (::stat(hostPath.c_str(), &info) != 0) {
        // Opening for read and write creates a missing file, empty.
        const int descriptor =
            ::open(hostPath.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
        if (descriptor >= 0) ::close(descriptor);
        if (::stat(hostPath.c_str(), &info) != 0) return text;
    }
    if (!S_ISREG(info.st_mode)) {
        // A folder or a device gives no translations (ReadInputFile).
        ++fileReads;
        return FindTranslation(ReadWholeFile(hostPath), text, Session.language);
    }
    const LanguageTable& current = CurrentTable(hostPath, info);
    const auto found = current.records.find(text);
    return found == current.records.end() ? text : Wording(found->second, text, Session.language);
}

}  // namespace vela
