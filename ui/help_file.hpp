// The text-session help file, "AJUDA\" + topic + ".HLP": fixed-length
// records of one screen line each, as long as the console is wide (an
// 80-column console reads 80 bytes a line). Bytes are code page 850 text
// except three toggles that take no column: 1e highlight, 1f underline and
// 10 reverse. Every line starts with all toggles off. Records carry no line
// ends: a page written as lines of 78 characters and CR LF reads the same
// while its lines have no toggles, but a line with toggles shows more than
// 78 characters, the CR and LF among them.
//
// HelpFile reads one record at a time, as the help window asks for it;
// StyleHelpLine turns a record into the runs of text to print and the text
// style letters to print them in.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

// Characters of a help line shown at most.
inline constexpr int kHelpLineWidth = 76;

class HelpFile {
  public:
    // A file that cannot be opened has no lines.
    HelpFile(const std::string& hostPath, int recordLength);
    ~HelpFile();
    HelpFile(const HelpFile&) = delete;
    HelpFile& operator=(const HelpFile&) = delete;

    // The file length divided by the record length, rounded to the nearest
    // whole number (a half counts up).
    int Lines() const { return lines_; }

    // Record number (1-based); a record cut short by the end of the file is
    // what there is of it, a record beyond it is empty.
    std::string Line(int number) const;

    // Why a file that is there is not read (a folder, a device, far too
    // large), in plain words naming it; empty for a missing file.
    const std::string& problem() const { return problem_; }

  private:
    std::string problem_;
    std::FILE* file_ = nullptr;
    int recordLength_;
    int lines_ = 0;
};

// A piece of a help line and the style it is printed in: "n" plain help
// text, "h" highlight, "u" underline, "r" reverse.
struct HelpRun {
    std::string style;
    std::string text;
    bool operator==(const HelpRun&) const = default;
};

// The runs of a record, at most kHelpLineWidth visible characters in all.
// A record without toggles is one "n" run of its first kHelpLineWidth
// characters. Turning highlight on gives "h" unless underline is on,
// turning underline on gives "u", reverse "r"; turning any toggle off goes
// back to "n".
std::vector<HelpRun> StyleHelpLine(std::string_view record);

}  // namespace vela
