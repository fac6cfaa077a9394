#include "tools/print_program/mail_message.hpp"

#include <ctime>
#include <fstream>
#include <random>
#include <sstream>

namespace vela {
namespace {

bool IsAtext(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string("!#$%&'*+-/=?^_`{|}~").find(static_cast<char>(c)) != std::string::npos;
}

bool IsLabel(const std::string& label) {
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
        return false;
    }
    for (unsigned char c : label) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-')) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kBase64[v >> 18];
        out += kBase64[(v >> 12) & 63];
        out += kBase64[(v >> 6) & 63];
        out += kBase64[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kBase64[v >> 18];
        out += kBase64[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kBase64[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

// Base64 in lines of 76 characters, each ended by CR LF.
std::string Base64Lines(const std::string& bytes) {
    const std::string encoded = Base64(bytes);
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); i += 76) {
        out += encoded.substr(i, 76);
        out += "\r\n";
    }
    return out;
}

bool IsPrintableAscii(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 32 || c > 126) return false;
    }
    return true;
}

}  // namespace

bool HasControlCharacter(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 32 || c == 127) return true;
    }
    return false;
}

bool IsPlainAddress(const std::string& address) {
    const auto at = address.find('@');
    if (at == std::string::npos || address.find('@', at + 1) != std::string::npos) return false;
    if (address.size() > 254) return false;
    const std::string local = address.substr(0, at);
    const std::string domain = address.substr(at + 1);
    if (local.empty() || local.size() > 64) return false;
    for (const std::string& run : Split(local, '.')) {
        if (run.empty()) return false;
        for (unsigned char c : run) {
            if (!IsAtext(c)) return false;
        }
    }
    const auto labels = Split(domain, '.');
    if (labels.size() < 2) return false;
    for (const std::string& label : labels) {
        if (!IsLabel(label)) return false;
    }
    return true;
}

std::string RefusalReason(const std::string& address, const std::string& name) {
    if (HasControlCharacter(address)) return "control character in the address";
    if (HasControlCharacter(name)) return "control character in the name";
    if (!IsPlainAddress(address)) return "not an address of the form local@domain";
    return std::string();
}

std::string EncodeHeaderText(const std::string& utf8) {
    if (IsPrintableAscii(utf8)) return utf8;
    // Encoded words never split a character: cut before a continuation byte.
    constexpr std::size_t kChunk = 45;  // 45 bytes give 60 base64 characters
    std::string out;
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t end = std::min(start + kChunk, utf8.size());
        while (end < utf8.size() && end > start + 1 &&
               (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            --end;
        }
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" + Base64(utf8.substr(start, end - start)) + "?=";
        start = end;
    }
    return out;
}

std::string FormatMailbox(const std::string& name, const std::string& address) {
    if (name.empty()) return address;
    std::string shown = name;
    if (IsPrintableAscii(name)) {
        // A plain name goes between quotes, its quotes and backslashes escaped.
        shown = "\"";
        for (char c : name) {
            if (c == '"' || c == '\\') shown += '\\';
            shown += c;
        }
        shown += "\"";
    } else {
        shown = EncodeHeaderText(name);
    }
    return shown + " <" + address + ">";
}

std::string MailDate(long long unixSeconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long offset = local.tm_gmtoff / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec, offset < 0 ? '-' : '+',
                  std::labs(offset) / 60, std::labs(offset) % 60);
    return text;
}

std::string NewMessageId(const std::string& domain) {
    static std::mt19937_64 generator{std::random_device{}()};
    static unsigned long counter = 0;
    char text[96];
    std::snprintf(text, sizeof text, "<%lld.%016llx.%lu@",
                  static_cast<long long>(std::time(nullptr)),
                  static_cast<unsigned long long>(generator()), ++counter);
    return text + (domain.empty() ? std::string("rovodovo.invalid") : domain) + ">";
}

std::string MessageHeaders(const MailMessage& message, bool withBlindCopy) {
    std::string headers;
    if (!message.fromAddress.empty()) {
        headers += "From: " + FormatMailbox(message.fromName, message.fromAddress) + "\r\n";
    }
    headers += "To: " + FormatMailbox(message.toName, message.toAddress) + "\r\n";
    if (withBlindCopy && !message.blindCopy.empty()) {
        headers += "Bcc: " + message.blindCopy + "\r\n";
    }
    headers += "Subject: " + EncodeHeaderText(message.subject) + "\r\n";
    headers += "Date: " + message.date + "\r\n";
    headers += "Message-ID: " + message.messageId + "\r\n";
    return headers;
}

bool ComposeMessage(const MailMessage& message, bool withBlindCopy, std::string& out) {
    std::ifstream in(message.attachmentPath, std::ios::binary);
    if (!in) return false;
    std::ostringstream pdf;
    pdf << in.rdbuf();
    if (in.bad()) return false;
    const std::string boundary = "=_rovodovo_" + Base64(message.messageId).substr(0, 24);
    std::string body;
    for (char c : message.body) {
        if (c == '\n') body += '\r';
        body += c;
    }
    out = MessageHeaders(message, withBlindCopy);
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
    out += "--" + boundary + "\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: base64\r\n\r\n";
    out += Base64Lines(body);
    out += "--" + boundary + "\r\n";
    out += "Content-Type: application/pdf; name=\"" + message.attachmentName + "\"\r\n";
    out += "Content-Disposition: attachment; filename=\"" + message.attachmentName + "\"\r\n";
    out += "Content-Transfer-Encoding: base64\r\n\r\n";
    out += Base64Lines(pdf.str());
    out += "--" + boundary + "--\r\n";
    return true;
}

}  // namespace vela
