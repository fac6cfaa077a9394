// The print program's reading of a spool file: directives one a line (device,
// justification, control, send, page, positioned text) turned into documents
// of pages of plain lines, as a fixed-pitch printer would lay them out.
//
// A document starts at a send directive (a certificate tagged for e-mail)
// or, without any, the whole spool file is one document. Columns count from
// 1; a text at column 0 continues where the line stands. Justification "N
// count \c\" fills the gap after the text that follows it with c up to
// column count; the other alignments leave fixed-pitch text where its column
// puts it. The controls "bi" and "b" (toggle) turn bold on, "ib", "b" and
// "@e" (printer reset) turn it off.
//
// SpoolReader reads a stream one page at a time, so that a spool file of any
// size is rendered in the memory of one page; ReadSpool reads a whole text
// at once (tests, small tools).
#pragma once

#include <deque>
#include <istream>
#include <string>
#include <vector>

namespace vela {

struct SpoolPage {
    std::vector<std::string> lines;  // code page 850, trailing blanks removed
    // Per line, one mark per character of the line: 'b' bold, ' ' plain.
    std::vector<std::string> bold;
};

class SpoolReader {
  public:
    explicit SpoolReader(std::istream& in) : in_(in) {}

    // Reads the device directive that every spool file starts with; false
    // when the stream does not start with one (not a spool file).
    bool ReadHeader();
    const std::string& device() const { return device_; }

    enum class Event { Document, Page, End };
    // The next event: Document when a document starts (sendTo() holds its
    // send directive, "" for a document without one), Page when a page is
    // complete (page() holds it), End at the end of the stream.
    Event Next();
    const std::string& sendTo() const { return sendTo_; }
    const SpoolPage& page() const { return page_; }

    // Lines that are no directive: how many, and the first few of them.
    long unreadLines() const { return unreadCount_; }
    const std::vector<std::string>& firstUnreadLines() const { return firstUnread_; }
    // The stream failed before its end (a read error, not the end of file).
    bool readFailed() const { return in_.bad(); }

  private:
    bool ReadLine(std::string& line);
    void StartPage();
    void FinishPage();
    void Justify(const std::string& code);
    void Control(const std::string& code);
    void Text(long column, const std::string& text, long advance);
    void Put(long column, const std::string& text, bool bold);

    struct Pending {
        Event event;
        std::string sendTo;
        SpoolPage page;
    };

    std::istream& in_;
    std::deque<Pending> pending_;
    std::string device_;
    std::string sendTo_;
    SpoolPage page_;
    SpoolPage building_;
    bool pageOpen_ = false;    // building_ holds a page begun and not finished
    bool inDocument_ = false;  // a document has started
    bool ended_ = false;
    std::size_t line_ = 0;
    long column_ = 1;
    long fillTo_ = 0;
    char fill_ = ' ';
    bool bold_ = false;
    long unreadCount_ = 0;
    std::vector<std::string> firstUnread_;
};

// A whole spool text read at once.
struct SpoolDocument {
    std::string sendTo;  // the send directive's text ("" when not tagged)
    std::vector<SpoolPage> pages;
};

struct SpoolContents {
    bool isSpool = false;  // the text starts with a device directive
    std::string device;
    std::vector<SpoolDocument> documents;
    long unreadLines = 0;
};

SpoolContents ReadSpool(const std::string& spoolText);

}  // namespace vela
