// One e-mail message of the print program: a document's PDF sent to the
// address of its send directive. Holds the checks every address and name
// passes before it reaches a header (no control characters, addresses of
// the form local@domain), the encoding of header texts with accented
// letters (RFC 2047, UTF-8 in base64 words), and the message as a whole in
// Internet message form (.eml files, sendmail).
#pragma once

#include <string>
#include <vector>

namespace vela {

// True when the text holds a character with code 0-31 or 127.
bool HasControlCharacter(const std::string& text);

// local@domain: a local part of letters, digits and !#$%&'*+-/=?^_`{|}~
// in dot-separated runs, a domain of two or more dot-separated labels of
// letters, digits and inner hyphens. Nothing else (no blanks, no angle
// brackets, no comments).
bool IsPlainAddress(const std::string& address);

// Why an address and recipient name may not go into headers ("" when they
// may).
std::string RefusalReason(const std::string& address, const std::string& name);

// A header text (UTF-8) as it may stand in a header: unchanged when it is
// printable ASCII, else as encoded words of at most 75 characters each,
// separated by a folding line end.
std::string EncodeHeaderText(const std::string& utf8);

// "Name <address>" with the name encoded as needed (just the address when
// the name is empty).
std::string FormatMailbox(const std::string& name, const std::string& address);

// A date for the Date header: "Tue, 08 Dec 2026 09:35:56 +0100".
std::string MailDate(long long unixSeconds);

// A new, unique Message-ID ("<...@domain>").
std::string NewMessageId(const std::string& domain);

struct MailMessage {
    std::string fromAddress, fromName;  // UTF-8
    std::string toAddress, toName;
    std::string blindCopy;  // an address, or ""
    std::string subject;
    std::string body;  // UTF-8 text, lines ended by "\n"
    std::string date;
    std::string messageId;
    std::string attachmentPath;  // host path of the PDF
    std::string attachmentName;  // file name shown to the recipient
};

// The header lines (each ended by CR LF) of the message, Bcc included when
// withBlindCopy (sendmail and the .eml files; an SMTP server gets the copy
// as a recipient only).
std::string MessageHeaders(const MailMessage& message, bool withBlindCopy);

// The whole message: headers, a text part and the PDF attached (base64).
// False when the attachment cannot be read.
bool ComposeMessage(const MailMessage& message, bool withBlindCopy, std::string& out);

}  // namespace vela
