#include "tools/print_program/run_records.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>

#include "platform/clock.hpp"

namespace vela {
namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(UnescapeField(line.substr(start, tab - start)));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::string Join(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += '\t';
        line += EscapeField(fields[i]);
    }
    return line;
}

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string EscapeField(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 32 || c == 127 || c == '\\') {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string UnescapeField(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && Hex(text[i + 2]) >= 0 &&
            Hex(text[i + 3]) >= 0) {
            out += static_cast<char>(Hex(text[i + 2]) * 16 + Hex(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FormatIndexLine(const IndexEntry& e) {
    return Join({e.file, std::to_string(e.pages), e.address, e.recipient, e.fate, e.year, e.owner});
}

bool ParseIndexLine(const std::string& line, IndexEntry& e) {
    if (line.empty() || line[0] == '#') return false;
    const auto f = SplitTabs(line);
    if (f.size() < 5 || f[0].empty()) return false;
    e = IndexEntry();
    e.file = f[0];
    e.pages = std::atoi(f[1].c_str());
    e.address = f[2];
    e.recipient = f[3];
    e.fate = f[4];
    if (f.size() > 5) e.year = f[5];
    if (f.size() > 6) e.owner = f[6];
    return true;
}

bool ReadIndex(const std::string& hostPath, std::vector<IndexEntry>& entries) {
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        IndexEntry e;
        if (ParseIndexLine(line, e)) entries.push_back(e);
    }
    return !in.bad();
}

bool RewriteIndex(const std::string& hostPath, const std::vector<std::string>& headerLines,
                  const std::vector<IndexEntry>& entries) {
    const std::string temporary = hostPath + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& line : headerLines) out << line << '\n';
        for (const IndexEntry& e : entries) out << FormatIndexLine(e) << '\n';
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), hostPath.c_str()) == 0;
}

std::string FormatSendLogLine(const SendLogEntry& e) {
    return Join({e.time, e.file, e.address, e.result, e.reply, e.messageId});
}

bool ParseSendLogLine(const std::string& line, SendLogEntry& e) {
    if (line.empty() || line[0] == '#') return false;
    const auto f = SplitTabs(line);
    if (f.size() < 4) return false;
    e = SendLogEntry();
    e.time = f[0];
    e.file = f[1];
    e.address = f[2];
    e.result = f[3];
    if (f.size() > 4) e.reply = f[4];
    if (f.size() > 5) e.messageId = f[5];
    return true;
}

bool AppendSendLog(const std::string& hostPath, const SendLogEntry& entry) {
    const int fd = ::open(hostPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const std::string line = FormatSendLogLine(entry) + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    // A send must be on disk before the next one, or a crash could have it
    // sent twice; the other results may be written again at no cost.
    const bool synced = entry.result != "sent" || ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

std::set<std::string> SentFiles(const std::string& hostPath) {
    std::set<std::string> sent;
    std::ifstream in(hostPath, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        SendLogEntry e;
        if (ParseSendLogLine(line, e) && e.result == "sent") sent.insert(e.file);
    }
    return sent;
}

std::string LogTimeNow() { return LocalTimeText("%Y-%m-%d %H:%M:%S"); }

}  // namespace vela
