#include "env/ini_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "datenum/text_utils.hpp"
#include "platform/host_path.hpp"
#include "platform/input_file.hpp"

namespace vela {
namespace {

std::string UpperAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::string CutComment(const std::string& line) { return line.substr(0, line.find(';')); }

// The section name of a header line (already cut at ";" and trimmed, starting
// with "["): the text up to the first "]", or to the end without one.
std::string HeaderName(const std::string& s) {
    const auto close = s.find(']');
    return TrimBlanks(s.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// A raw line of the file: its text and the line end that followed it
// (CR LF, LF, or nothing for a last line without one).
struct RawLine {
    std::string text;
    std::string end;
};

std::vector<RawLine> SplitLines(const std::string& contents) {
    std::vector<RawLine> lines;
    std::size_t pos = 0;
    while (pos < contents.size()) {
        const auto lf = contents.find('\n', pos);
        if (lf == std::string::npos) {
            lines.push_back({contents.substr(pos), ""});
            break;
        }
        std::size_t textEnd = lf;
        if (textEnd > pos && contents[textEnd - 1] == '\r') --textEnd;
        lines.push_back(
            {contents.substr(pos, textEnd - pos), contents.substr(textEnd, lf + 1 - textEnd)});
        pos = lf + 1;
    }
    return lines;
}

// Writes lines one after another; a line that had no line end of its own gets
// CR LF when another line follows it.
class LineWriter {
  public:
    void Copy(const RawLine& line) {
        Separate();
        out_ += line.text;
        out_ += line.end;
        open_ = line.end.empty();
    }
    void Write(const std::string& text) { Copy({text, "\r\n"}); }
    std::string Take() { return std::move(out_); }

  private:
    void Separate() {
        if (open_) out_ += "\r\n";
        open_ = false;
    }
    std::string out_;
    bool open_ = false;
};

// An INI file is read whole, and only when it is a regular file of a sane
// size: a folder or a device of that name reads as no file.
bool ReadWholeFile(const std::string& hostPath, std::string& contents) {
    return ReadInputFile(hostPath, contents) == InputFile::read;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string IniRead(const std::string& file, const std::string& section, const std::string& key) {
    std::string contents;
    if (!ReadWholeFile(ResolveHostPath(file), contents)) return {};
    const std::string wantedSection = UpperAscii(TrimBlanks(section));
    const std::string wantedKey = UpperAscii(TrimBlanks(key));

    std::string value;
    bool inSection = false;
    for (const RawLine& line : SplitLines(contents)) {
        std::string s = CutComment(line.text);
        const auto first = s.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        s.erase(0, first);
        if (!inSection) {
            if (s[0] == '[' && UpperAscii(HeaderName(TrimBlanks(s))) == wantedSection) {
                inSection = true;
            }
            continue;
        }
        if (s[0] == '[') break;  // only the first occurrence of a section is searched
        const auto eq = s.find('=');
        if (eq != std::string::npos && UpperAscii(TrimBlanks(s.substr(0, eq))) == wantedKey) {
            value = s.substr(eq + 1);
            break;
        }
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string IniRewrite(const std::string& contents, const std::string& section,
                       const std::string& key, const std::string& value) {
    const std::string wantedSection = UpperAscii(TrimBlanks(section));
    const std::string wantedKey = UpperAscii(TrimBlanks(key));
    const bool removeSection = wantedKey.empty();
    const std::vector<RawLine> lines = SplitLines(contents);
    LineWriter out;

    bool inSection = false;
    bool written = false;
    bool previousNonBlank = true;
    // Blank and comment-only lines are held back from deferredStart on, so
    // that a key or section added at the end of a section goes before them.
    std::size_t deferredStart = 0;
    bool deferring = false;

    const auto writePending = [&] {
        if (!written && !section.empty() && !key.empty() && !value.empty()) {
            if (!inSection) out.Write("[" + section + "]");
            out.Write(key + "=" + value);
        }
        written = true;
    };
    const auto replayDeferred = [&](std::size_t upTo) {
        if (!deferring) return;
        for (std::size_t i = deferredStart; i < upTo; ++i) out.Copy(lines[i]);
        deferring = false;
    };

    for (std::size_t j = 0; j < lines.size(); ++j) {
        RawLine line = lines[j];
        bool skip = false;
        if (previousNonBlank) {
            deferredStart = j;
            deferring = true;
        }
        const std::string s = TrimBlanks(CutComment(line.text));
        if (s.empty()) {
            previousNonBlank = false;
            continue;
        }
        previousNonBlank = true;
        if (!inSection) {
            if (s[0] == '[' && UpperAscii(HeaderName(s)) == wantedSection) {
                inSection = true;
                skip = removeSection;
            }
        } else if (s[0] == '[') {
            writePending();
            inSection = false;
        } else if (const auto eq = s.find('='); eq != std::string::npos) {
            if (removeSection || UpperAscii(TrimBlanks(s.substr(0, eq))) == wantedKey) {
                line = {line.text.substr(0, line.text.find('=') + 1) + value, "\r\n"};
                skip = removeSection || value.empty();
                written = true;
            }
        }
        replayDeferred(j);
        if (!skip) out.Copy(line);
    }
    writePending();
    replayDeferred(lines.size());
    return out.Take();
}

bool IniWrite(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value) {
    // The temporary copy lives in the INI file's own folder, so that the
    // final rename stays on one file system and replaces the file atomically.
    std::string folder = file;
    while (!folder.empty() && !IsPathSeparator(folder.back())) folder.pop_back();
    const std::string hostFile = ResolveHostPath(file);

    timeval now{};
    ::gettimeofday(&now, nullptr);
    std::minstd_rand random(static_cast<unsigned>(now.tv_sec * 100 + now.tv_usec / 10000) ^
                            static_cast<unsigned>(::getpid()));
    std::uniform_int_distribution<int> digit(0, 9);

    // Another program may hold the file briefly (or the folder may be
    // unwritable); retry for a few seconds, then leave the old file as it is.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        std::string tempName;
        std::string hostTemp;
        int fd = -1;
        do {
            tempName = folder;
            for (int i = 0; i < 8; ++i) tempName += static_cast<char>('0' + digit(random));
            tempName += ".tmp";
            hostTemp = ResolveHostPath(tempName);
            // O_EXCL: a name in use by another writer is never shared.
            fd = ::open(hostTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        } while (fd < 0 && errno == EEXIST);

        bool done = false;
        if (fd >= 0) {
            std::string contents;
            struct stat info;
            const bool exists = ::stat(hostFile.c_str(), &info) == 0;
            // A file that exists but cannot be read is never replaced: the
            // copy would lose its contents.
            if (!exists || ReadWholeFile(hostFile, contents)) {
                const std::string updated = IniRewrite(contents, section, key, value);
                if (exists) ::fchmod(fd, info.st_mode & 07777);
                done = WriteAll(fd, updated) && ::fsync(fd) == 0;
            }
            done = (::close(fd) == 0) && done;
            done = done && ::rename(hostTemp.c_str(), hostFile.c_str()) == 0;
            if (!done) ::unlink(hostTemp.c_str());
        }
        if (done) {
            // The rename itself is made durable by flushing the folder.
            const std::string hostFolder = folder.empty() ? "." : ResolveHostPath(folder);
            const int dirFd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dirFd >= 0) {
                ::fsync(dirFd);
                ::close(dirFd);
            }
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace vela
