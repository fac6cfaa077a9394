// The records a run of the print program leaves in its run folder:
// INDEX.txt (one line a document: file, pages, e-mail address, recipient,
// what happened to it, and the certificate's year and owner for the
// message texts) and the send log ENVIAMENTS.txt (one line a send attempt:
// time, file, address, result, the server's reply or the reason,
// Message-ID). Fields are separated by tabs; a tab, a line end or any other
// control character and the backslash inside a field are written as \xNN,
// so that every field reads back exactly as it was.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace vela {

std::string EscapeField(const std::string& text);
std::string UnescapeField(const std::string& text);

struct IndexEntry {
    std::string file;  // "DOC0001.pdf"
    int pages = 0;
    std::string address, recipient;  // UTF-8
    std::string fate;                // "written; to print", "printed; sent", ...
    std::string year, owner;         // of a certificate, "" when unknown
};

std::string FormatIndexLine(const IndexEntry& entry);  // without line end
// False for a comment ("#") or malformed line.
bool ParseIndexLine(const std::string& line, IndexEntry& entry);
// Every document line of an INDEX.txt; false when the file cannot be read.
bool ReadIndex(const std::string& hostPath, std::vector<IndexEntry>& entries);
// Writes the index anew (beside the old one, then renamed over it).
bool RewriteIndex(const std::string& hostPath, const std::vector<std::string>& headerLines,
                  const std::vector<IndexEntry>& entries);

struct SendLogEntry {
    std::string time;  // "2026-12-08 09:40:01"
    std::string file, address;
    std::string result;  // "sent", "refused", "failed", "written"
    std::string reply;
    std::string messageId;
};

std::string FormatSendLogLine(const SendLogEntry& entry);
bool ParseSendLogLine(const std::string& line, SendLogEntry& entry);

// Appends one line to the send log; the line of a message sent is flushed
// to disk before the send is counted as done.
bool AppendSendLog(const std::string& hostPath, const SendLogEntry& entry);

// The files the send log shows as sent (a missing log shows none).
std::set<std::string> SentFiles(const std::string& hostPath);

// The local time now as "YYYY-MM-DD HH:MM:SS".
std::string LogTimeNow();

}  // namespace vela
