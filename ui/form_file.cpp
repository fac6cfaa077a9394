#include "ui/form_file.hpp"

#include <fstream>
#include <iterator>
#include <sstream>

#include "env/session.hpp"
#include "env/translation.hpp"
#include "platform/host_path.hpp"
#include "platform/input_file.hpp"

namespace vela {
namespace {

// Thrown inside the reader only, caught at its entry point: the reasons a
// file is refused come from deep inside nested records.
struct Refusal {
    int line;
    std::string reason;
};

// Sequential input over the file's bytes, with the line number kept for
// messages. A DOS end-of-file mark (Ctrl+Z) ends the text.
class ItemReader {
  public:
    explicit ItemReader(std::string_view contents) : s_(contents) {
        const std::size_t mark = s_.find('\x1a');
        if (mark != std::string_view::npos) s_ = s_.substr(0, mark);
    }

    int Line() const { return line_; }
    bool AtEnd() const { return pos_ >= s_.size(); }

    // Before a record: comment lines, and blank lines, are passed over. The
    // test is made on what is left of the current line, so a record that
    // starts in the middle of a line is read from there.
    void SkipComments() {
        while (pos_ < s_.size()) {
            std::size_t end = pos_;
            while (end < s_.size() && s_[end] != '\n' && s_[end] != '\r') ++end;
            const std::string_view rest = s_.substr(pos_, end - pos_);
            const bool blank = rest.find_first_not_of(" \t") == std::string_view::npos;
            if (!blank && rest.front() != '\'') return;
            pos_ = end;
            if (pos_ < s_.size()) SkipLineEnd();
        }
    }

    // The next item as text; what stands for refuses names the item.
    std::string Text(const std::string& what) {
        SkipBlanks();
        if (AtEnd()) throw Refusal{LastLine(), "the file ends before " + what};
        std::string item;
        if (s_[pos_] == '"') {
            const std::size_t close = s_.find_first_of("\"\r\n", pos_ + 1);
            if (close == std::string_view::npos || s_[close] != '"') {
                Refuse(what + ": the quoted text has no closing quote on its line");
            }
            item = s_.substr(pos_ + 1, close - pos_ - 1);
            pos_ = close + 1;
            SkipBlanks();
            if (!AtEnd() && !AtItemEnd()) Refuse(what + ": text after the closing quote");
        } else {
            const std::size_t begin = pos_;
            while (!AtEnd() && !AtItemEnd()) ++pos_;
            item = s_.substr(begin, pos_ - begin);
        }
        if (!AtEnd()) {
            if (s_[pos_] == ',') {
                ++pos_;
            } else {
                SkipLineEnd();
            }
        }
        return item;
    }

    // The next item as a whole decimal number within [least, most].
    std::int16_t Number(const std::string& what, long least, long most) {
        const int line = line_;
        const std::string item = Text(what);
        std::size_t end = item.find_last_not_of(" \t");
        const std::string digits = end == std::string::npos ? "" : item.substr(0, end + 1);
        std::size_t at = 0;
        if (at < digits.size() && (digits[at] == '-' || digits[at] == '+')) ++at;
        bool whole = at < digits.size() && digits.size() - at <= 6;
        for (std::size_t i = at; whole && i < digits.size(); ++i) {
            whole = digits[i] >= '0' && digits[i] <= '9';
        }
        if (!whole) throw Refusal{line, what + " is not a whole number (\"" + item + "\")"};
        const long value = std::stol(digits);
        if (value < least || value > most) {
            throw Refusal{line, what + " is " + std::to_string(value) + ", outside " +
                                    std::to_string(least) + " to " + std::to_string(most)};
        }
        return static_cast<std::int16_t>(value);
    }

    [[noreturn]] void Refuse(const std::string& reason) const { throw Refusal{line_, reason}; }

  private:
    // The last line that holds anything, for a file that ends too soon.
    int LastLine() const {
        return line_ > 1 && !s_.empty() && (s_.back() == '\n' || s_.back() == '\r') ? line_ - 1
                                                                                    : line_;
    }
    bool AtItemEnd() const { return s_[pos_] == ',' || s_[pos_] == '\r' || s_[pos_] == '\n'; }
    void SkipBlanks() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
    }
    // CR LF as the file should have it; a lone LF or CR counts as well.
    void SkipLineEnd() {
        if (s_[pos_] == '\r') ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
        ++line_;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

std::string FormName(int form) { return "form " + std::to_string(form); }

// A key code in hexadecimal, as exit-key lists write it; -1 when the text
// is not one.
long HexKeyCode(const std::string& text) {
    if (text.empty() || text.size() > 4) return -1;
    long value = 0;
    for (const char c : text) {
        const auto lower = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
        const int digit = lower >= '0' && lower <= '9'   ? lower - '0'
                          : lower >= 'a' && lower <= 'f' ? lower - 'a' + 10
                                                         : -1;
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

// A form's exit keys: items "k" or "k=r" in hexadecimal. Esc must be among
// them, since it is how the clerk leaves a form (and the program), and no
// key may end a field as 0, which the engine takes as "edit the field
// again": either would hold the clerk in the form for ever.
void CheckKeyList(int line, const std::string& where, const std::string& keyList) {
    bool esc = false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = keyList.find(',', start);
        const std::string item =
            keyList.substr(start, end == std::string::npos ? end : end - start);
        const std::size_t equals = item.find('=');
        const long key = HexKeyCode(item.substr(0, equals));
        const long result = equals == std::string::npos ? key : HexKeyCode(item.substr(equals + 1));
        if (key < 0 || result < 0) {
            throw Refusal{line, where + ": \"" + item + "\" is not an exit key"};
        }
        if (result == 0) throw Refusal{line, where + ": the exit key \"" + item + "\" gives 0"};
        esc = esc || key == 0x1b;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (!esc) throw Refusal{line, where + ": Esc (1b) is not among the exit keys"};
}

void ReadField(ItemReader& in, const std::string& where, const TextTranslator& translate,
               FormField& field) {
    field.row = in.Number(where + ", row", 0, kMostScreenPosition);
    field.column = in.Number(where + ", column", 0, kMostScreenPosition);
    const std::string label = in.Text(where + ", label");
    field.length = in.Number(where + ", length", 1, kMostFieldLength);
    field.lineWidth = in.Number(where + ", line width", 0, field.length);
    field.trailWidth = in.Number(where + ", description width", 0, kMostScreenPosition);
    field.flags = in.Number(where + ", flags", 0, 15);
    field.dataType = in.Number(where + ", type", 0, 3);
    field.listNo = in.Number(where + ", list number", 0, kMostLists);
    const std::string choices = in.Text(where + ", choices");
    field.label = label.empty() ? label : translate(label);
    field.choices = choices.empty() ? choices : translate(choices);
    field.value.assign(static_cast<std::size_t>(field.length), ' ');
}

// The four edges of a framed window: inside the screen positions, with at
// least one row and one column inside the frame.
void CheckWindow(int line, const std::string& where, std::int16_t top, std::int16_t left,
                 std::int16_t bottom, std::int16_t right) {
    if (top < 1 || left < 1 || bottom < top + 2 || right < left + 2) {
        throw Refusal{line, where + ": the window " + std::to_string(top) + "," +
                                std::to_string(left) + "," + std::to_string(bottom) + "," +
                                std::to_string(right) + " has no room inside its frame"};
    }
}

void ReadForm(ItemReader& in, int form, const FormTables& tables, const TextTranslator& translate,
              FormEntry& entry) {
    const std::string where = FormName(form);
    const int line = in.Line();
    entry.keyList = in.Text(where + ", exit keys");
    CheckKeyList(line, where, entry.keyList);
    entry.fieldCount = in.Number(where + ", field count", 0, tables.maxFields);
    entry.linkedForm = in.Number(where + ", continuation form", 0, tables.formCount);
    entry.windowTop = in.Number(where + ", window top", 0, kMostScreenPosition);
    entry.windowLeft = in.Number(where + ", window left", 0, kMostScreenPosition);
    entry.windowBottom = in.Number(where + ", window bottom", 0, kMostScreenPosition);
    entry.windowRight = in.Number(where + ", window right", 0, kMostScreenPosition);
    if (entry.windowTop != 0) {
        CheckWindow(line, where, entry.windowTop, entry.windowLeft, entry.windowBottom,
                    entry.windowRight);
    }
    entry.fields.assign(static_cast<std::size_t>(tables.maxFields) + 1, FormField{});
    for (int field = 1; field <= entry.fieldCount; ++field) {
        ReadField(in, where + ", field " + std::to_string(field), translate, entry.fields[field]);
    }
}

void ReadList(ItemReader& in, int list, const FormTables& tables, const TextTranslator& translate,
              BrowseListEntry& entry) {
    const std::string where = "list " + std::to_string(list);
    const int line = in.Line();
    entry.recordFile = in.Number(where + ", record file", 0, 32767);
    entry.keyNo = in.Number(where + ", key number", 0, 255);
    entry.top = in.Number(where + ", window top", 1, kMostScreenPosition);
    entry.left = in.Number(where + ", window left", 1, kMostScreenPosition);
    entry.bottom = in.Number(where + ", window bottom", 1, kMostScreenPosition);
    entry.right = in.Number(where + ", window right", 1, kMostScreenPosition);
    CheckWindow(line, where, entry.top, entry.left, entry.bottom, entry.right);
    entry.filterForm = in.Number(where + ", filter form", 0, tables.formCount);
    const std::string title = in.Text(where + ", title");
    entry.title = title.empty() ? title : translate(title);
    entry.nextList = in.Number(where + ", next list", 0, tables.listCount);
}

// A continuation chain that comes back to a form it has passed would make
// the resume rule walk for ever.
void CheckContinuations(const FormTables& tables, const std::vector<int>& formLines) {
    for (int form = 1; form <= tables.formCount; ++form) {
        int next = tables.forms[form].linkedForm;
        for (int steps = 0; next != 0; ++steps) {
            if (next == form || steps > tables.formCount) {
                throw Refusal{formLines[form],
                              FormName(form) + ": its continuation forms lead back to it"};
            }
            next = tables.forms[next].linkedForm;
        }
    }
}

// A yes/no field links form 2 to its form at run time. Form 2 must exist,
// and no form on form 2's own chain (form 2 included) may hold such a
// field, or the chain could be closed into a loop while the program runs.
void CheckSwitches(const FormTables& tables, const std::vector<int>& formLines) {
    const auto holdsSwitch = [&](int form) {
        const FormEntry& entry = tables.forms[form];
        for (int field = 1; field <= entry.fieldCount; ++field) {
            if (entry.fields[field].dataType == field_types::kSwitch) return true;
        }
        return false;
    };
    for (int form = 1; form <= tables.formCount; ++form) {
        if (holdsSwitch(form) && tables.formCount < 2) {
            throw Refusal{formLines[form],
                          FormName(form) + ": a yes/no field needs form 2 to follow it"};
        }
    }
    if (tables.formCount < 2) return;
    for (int form = 2; form != 0; form = tables.forms[form].linkedForm) {
        if (holdsSwitch(form)) {
            throw Refusal{formLines[form], FormName(form) +
                                               ": a yes/no field on form 2's chain would link it "
                                               "back to form 2"};
        }
    }
}

void CheckListNumbers(const FormTables& tables, const std::vector<int>& formLines) {
    for (int form = 1; form <= tables.formCount; ++form) {
        const FormEntry& entry = tables.forms[form];
        for (int field = 1; field <= entry.fieldCount; ++field) {
            if (entry.fields[field].listNo > tables.listCount) {
                throw Refusal{formLines[form],
                              FormName(form) + ", field " + std::to_string(field) + ": list " +
                                  std::to_string(entry.fields[field].listNo) +
                                  " is not among the " + std::to_string(tables.listCount) +
                                  " lists of the file"};
            }
        }
    }
}

}  // namespace

bool ReadFormDescription(std::string_view contents, const TextTranslator& translate,
                         FormTables& tables, FormFileError& error) {
    FormTables read;
    ItemReader in(contents);
    try {
        in.SkipComments();
        read.formCount = in.Number("the form count", 1, kMostForms);
        read.maxFields = in.Number("the most fields of a form", 0, kMostFields);
        read.forms.resize(static_cast<std::size_t>(read.formCount) + 1);
        std::vector<int> formLines(read.forms.size(), 0);
        for (int form = 1; form <= read.formCount; ++form) {
            in.SkipComments();
            formLines[form] = in.Line();
            ReadForm(in, form, read, translate, read.forms[form]);
        }
        CheckContinuations(read, formLines);
        CheckSwitches(read, formLines);
        in.SkipComments();
        // Forms alone make a complete file: it then has no lists.
        if (!in.AtEnd()) read.listCount = in.Number("the list count", 0, kMostLists);
        read.lists.resize(static_cast<std::size_t>(read.listCount) + 1);
        for (int list = 1; list <= read.listCount; ++list) {
            in.SkipComments();
            ReadList(in, list, read, translate, read.lists[list]);
        }
        CheckListNumbers(read, formLines);
    } catch (const Refusal& refusal) {
        error = FormFileError{refusal.line, refusal.reason};
        return false;
    }
    tables = std::move(read);
    return true;
}

std::string FormFilePath(const std::string& moduleName) {
    return Session.rootDir + "FORMS\\" + moduleName + ".KFM";
}

bool LoadForms(const std::string& moduleName, std::string& message) {
    const std::string path = FormFilePath(moduleName);
    const std::string host = ResolveHostPath(path);
    std::string contents;
    const InputFile read = ReadInputFile(host, contents);
    if (read == InputFile::missing || read == InputFile::unreadable) {
        message = "the form description file " + host + " cannot be read";
        return false;
    }
    if (read != InputFile::read) {
        message = "the form description file " + InputFileProblem(host, read);
        return false;
    }
    FormFileError error;
    if (!ReadFormDescription(contents, Translate, formTables, error)) {
        message = "the form description file " + host + " is damaged at line " +
                  std::to_string(error.line) + ": " + error.reason;
        return false;
    }
    resumeForm = 0;
    return true;
}

}  // namespace vela
