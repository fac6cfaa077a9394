#include "ui/forms.hpp"

#include <cstdlib>

#include "datenum/calendar_dates.hpp"
#include "datenum/date_text.hpp"
#include "datenum/dotted_codes.hpp"
#include "datenum/text_utils.hpp"
#include "env/session.hpp"
#include "platform/console.hpp"
#include "ui/field_editor.hpp"
#include "ui/form_tables.hpp"
#include "ui/help.hpp"
#include "ui/keyboard.hpp"
#include "ui/windows.hpp"

namespace vela {
namespace {

using namespace field_flags;

FormHooks hooks;
FieldEditor fieldEditor = EditField;
HelpViewer helpViewer = ShowHelp;
ListBrowser listBrowser;

FormHooks WithDefaults(FormHooks given) {
    if (!given.paintForm) given.paintForm = PaintFields;
    if (!given.checkFormExit)
        given.checkFormExit = [](std::int16_t, std::int16_t&) { return std::int16_t{0}; };
    if (!given.listStartKey)
        given.listStartKey = [](std::int16_t, std::string&, std::string&) {
            return std::int16_t{0};
        };
    if (!given.listRowText) given.listRowText = [](std::int16_t) { return std::string(); };
    if (!given.applyListChoice) {
        given.applyListChoice = [](std::int16_t, std::int16_t, std::int16_t) {
            return std::int16_t{0};
        };
    }
    return given;
}

void Style(const char* letters) {
    std::string spec = letters;
    SetTextStyle(spec);
}

void PrintAt(std::int16_t row, std::int16_t column, const std::string& text) {
    LocateInWindow(row, column);
    Screen().Print(text);
}

std::int16_t ValueColumn(const FormField& field) {
    return static_cast<std::int16_t>(field.column + static_cast<std::int16_t>(field.label.size()));
}

// Width and rows a field takes on the screen, without its description area.
std::int16_t ShownWidth(const FormField& field) {
    return field.lineWidth > 0 ? field.lineWidth : field.length;
}
std::int16_t ShownLines(const FormField& field) {
    return field.lineWidth > 0 ? static_cast<std::int16_t>(field.length / field.lineWidth) : 1;
}

bool DisplayOnly(const FormField& field) { return (field.flags & kDisplayOnly) != 0; }

// The first and last fields the user can edit; first > last when none.
void EditableEnds(std::int16_t form, std::int16_t& first, std::int16_t& last) {
    const std::int16_t count = Form(form).fieldCount;
    first = 1;
    while (first <= count && DisplayOnly(Field(form, first))) ++first;
    last = count;
    while (last >= 1 && DisplayOnly(Field(form, last))) --last;
}

std::size_t TrimmedLength(const std::string& text) {
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? 0 : end + 1;
}

// Keys with which a nested form makes the outer form end as well.
bool LeavesOuterForm(std::int16_t key) {
    switch (key) {
        case keys::kPageUp:
        case keys::kPageDown:
        case keys::kEnd:
        case form_keys::kCtrlB:
        case keys::kEnter:
        case keys::kDown:
        case keys::kUp:
            return true;
        default:
            return false;
    }
}

// Whether resumeForm lies on the chain of continuation forms after form.
// The chain is bounded by the number of forms, so a damaged link cannot
// make the walk endless.
bool ResumeOnChain(std::int16_t form) {
    std::int16_t next = Form(form).linkedForm;
    for (int steps = 0; next != 0 && steps <= formTables.formCount; ++steps) {
        if (next == resumeForm) return true;
        next = Form(next).linkedForm;
    }
    return false;
}

// The field under a click, skipping display-only fields; 0 for none.
std::int16_t FieldAtClick(std::int16_t form, std::int16_t key) {
    const int where = -static_cast<int>(key);
    const FormEntry& entry = Form(form);
    const int row = where % 100 - entry.windowTop;
    const int column = where / 100 - entry.windowLeft;
    for (std::int16_t f = 1; f <= entry.fieldCount; ++f) {
        const FormField& field = Field(form, f);
        if (DisplayOnly(field)) continue;
        const int right = field.column + static_cast<int>(field.label.size()) + ShownWidth(field) +
                          field.trailWidth;
        if (row >= field.row && row < field.row + ShownLines(field) && column >= field.column &&
            column < right) {
            return f;
        }
    }
    return 0;
}

void BlankDescription(const FormField& field) {
    PrintAt(field.row, static_cast<std::int16_t>(ValueColumn(field) + ShownWidth(field)),
            std::string(static_cast<std::size_t>(field.trailWidth), ' '));
}

void PrintLines(const FormField& field, const std::string& text) {
    if (field.lineWidth <= 0) {
        PrintAt(field.row, ValueColumn(field), text);
        return;
    }
    const auto width = static_cast<std::size_t>(field.lineWidth);
    for (std::int16_t line = 0; line < ShownLines(field); ++line) {
        const std::size_t from = static_cast<std::size_t>(line) * width;
        PrintAt(static_cast<std::int16_t>(field.row + line), ValueColumn(field),
                from < text.size() ? text.substr(from, width) : std::string());
    }
}

// Edits one field until its hooks accept what was typed (or the key says
// there is nothing to store). Returns with key set.
void EditOneField(std::int16_t form, std::int16_t current, std::string& text, std::int16_t& key) {
    FormField& field = Field(form, current);
    std::int16_t status = 0;
    do {
        SetFieldChoices(field.choices);
        std::int16_t row = field.row;
        std::int16_t column = ValueColumn(field);
        std::int16_t lineWidth = field.lineWidth;
        std::int16_t position = (field.flags & kCursorAtEnd) != 0
                                    ? static_cast<std::int16_t>(TrimmedLength(text) + 1)
                                    : 1;
        if (fieldEditor) {
            fieldEditor(row, column, lineWidth, text, position, key);
        } else {
            key = keys::kEsc;  // nothing can edit: the field is left untouched
        }
        status = 0;
        if (key == keys::kF1) {
            const std::string topic = Session.menuName.substr(0, TrimmedLength(Session.menuName));
            if (!topic.empty()) helpViewer(topic);
            key = keys::kNone;
        } else if (key == form_keys::kF4) {
            key = keys::kNone;
            if (field.listNo > 0) {
                std::int16_t result = -1;
                if (listBrowser) listBrowser(field.listNo, result);
                if (result != 0) {
                    status = result;
                } else {
                    hooks.applyListChoice(field.listNo, form, current);
                    const FormEntry& entry = Form(form);
                    key = current == entry.fieldCount && entry.linkedForm == 0 ? keys::kEnter
                                                                               : keys::kDown;
                }
            }
        } else {
            if (field.trailWidth > 0) {
                if ((field.flags & kMasked) == 0) PrintLines(field, text);
                BlankDescription(field);
            }
            if (key == keys::kEsc) {
                ShowField(form, current);
            } else {
                if ((field.flags & (kStartsEmpty | kMasked)) != 0 && IsAllChar(text, ' ') != 0) {
                    text = field.value;
                }
                status = StoreField(form, text, current, key);
            }
        }
        if (status != 0) Beep();
    } while (status != 0);
}

}  // namespace

void SetFormHooks(FormHooks given) { hooks = WithDefaults(std::move(given)); }

const FormHooks& Hooks() {
    if (!hooks.paintForm) hooks = WithDefaults(hooks);
    return hooks;
}

void SetFieldEditor(FieldEditor editor) {
    fieldEditor = editor ? std::move(editor) : FieldEditor(EditField);
}
void SetHelpViewer(HelpViewer viewer) {
    helpViewer = viewer ? std::move(viewer) : HelpViewer(ShowHelp);
}
void SetListBrowser(ListBrowser browser) { listBrowser = std::move(browser); }

void ShowField(std::int16_t form, std::int16_t field) {
    const FormField& entry = Field(form, field);
    if (entry.dataType == field_types::kSwitch) {
        Form(form).linkedForm = entry.value == "S" ? 2 : 0;
    }
    LocateInWindow(entry.row, ValueColumn(entry));
    if ((entry.flags & kMasked) != 0) return;
    if (entry.dataType == field_types::kDate) {
        Screen().Print(DateText(ParseDate(entry.value), 0, "dma"));
    } else if (!entry.choices.empty()) {
        for (const FieldChoice& choice : ParseFieldChoices(entry.choices)) {
            if (FieldText(choice.code, entry.length) == entry.value) {
                Screen().Print(FieldText(choice.description, static_cast<std::int16_t>(
                                                                 entry.length + entry.trailWidth)));
                break;
            }
        }
    } else {
        PrintLines(entry, entry.value);
    }
}

std::int16_t StoreField(std::int16_t form, std::string& text, std::int16_t field,
                        std::int16_t /*key*/) {
    FormField& entry = Field(form, field);
    std::int16_t status = 0;
    if (entry.dataType == field_types::kDate) {
        if (IsAllChar(text, ' ') != 0) text = DateFieldText(Session.workDate);
        status = CheckDate(text);
    } else if (entry.dataType == field_types::kCode) {
        status = CheckCode(text);
    }
    if (status != 0) return status;
    const std::size_t start = text.find_first_not_of(' ');
    entry.value = FieldText(start == std::string::npos ? "" : text.substr(start), entry.length);
    ShowField(form, field);
    return 0;
}

void PaintFields(std::int16_t form) {
    const FormEntry& entry = Form(form);
    Style("n");
    for (std::int16_t f = 1; f <= entry.fieldCount; ++f) {
        const FormField& field = Field(form, f);
        PrintAt(field.row, field.column, field.label);
    }
    Style("h");
    for (std::int16_t f = 1; f <= entry.fieldCount; ++f) ShowField(form, f);
}

void EditForm(std::int16_t formNumber, std::int16_t allowPrev, std::int16_t allowNext,
              std::int16_t& key) {
    Hooks();
    // A form may run inside another one's field (a filter form, a form a
    // hook opens): the field's exit keys and mask are kept for it.
    const NestedKeyTable nested;
    const bool continuation = formNumber < 0;
    const auto form = static_cast<std::int16_t>(std::abs(formNumber));
    FormEntry& entry = Form(form);
    const bool window = entry.windowTop != 0;
    if (window) {
        Style("+n");
        OpenWindow(entry.windowTop, entry.windowLeft, entry.windowBottom, entry.windowRight);
        DrawFrame(kFrameDouble);
        Style("-");
    }
    hooks.paintForm(form);

    std::int16_t first = 0;
    std::int16_t last = 0;
    EditableEnds(form, first, last);
    std::int16_t current = first;
    bool leaving = first > last;

    if (!leaving) {
        // Back into the continuation form the user last left with PgUp or
        // PgDn, when it follows this one.
        if (resumeForm != 0 && resumeForm != form && !ResumeOnChain(form)) resumeForm = 0;
        if (resumeForm > 0 && resumeForm != form && entry.linkedForm > 0) {
            EditForm(static_cast<std::int16_t>(-entry.linkedForm), allowPrev, allowNext, key);
            leaving = LeavesOuterForm(key);
        } else {
            resumeForm = 0;
        }
    }

    for (;;) {
        while (!leaving && current >= first && current <= last) {
            FormField& field = Field(form, current);
            SetExitKeys("+ea", entry.keyList + ",3b00");
            const bool masked = (field.flags & kMasked) != 0;
            std::string text = (field.flags & (kStartsEmpty | kMasked)) != 0
                                   ? std::string(static_cast<std::size_t>(field.length), ' ')
                                   : field.value;
            if (masked) SetExitKeys("h", "");
            if (DisplayOnly(field)) {
                // Passed over in the direction the user was going.
                if (key == keys::kNone) key = keys::kDown;
            } else {
                if (field.trailWidth > 0) BlankDescription(field);
                EditOneField(form, current, text, key);
            }
            EditableEnds(form, first, last);
            if (masked) SetExitKeys("v", "");
            SetExitKeys("-", "");

            const bool wasFirst = current == first;
            const bool wasLast = current == last;
            switch (key) {
                case keys::kNone:
                    break;
                case keys::kPageUp:
                    current = first;
                    if (wasFirst && allowPrev != 0) {
                        leaving = true;
                        resumeForm = form;
                    } else {
                        resumeForm = 0;
                    }
                    break;
                case keys::kPageDown:
                    current = last;
                    if (wasLast && allowNext != 0) {
                        leaving = true;
                        resumeForm = form;
                    } else {
                        resumeForm = 0;
                    }
                    break;
                case keys::kEnd:
                case form_keys::kCtrlB:
                    leaving = true;
                    break;
                case keys::kEsc:
                    if (wasFirst) leaving = true;
                    current = first;
                    break;
                case keys::kEnter:
                case keys::kDown:
                case form_keys::kF2:
                    if ((wasLast || key == form_keys::kF2) && entry.linkedForm > 0) {
                        EditForm(static_cast<std::int16_t>(-entry.linkedForm), allowPrev, allowNext,
                                 key);
                        leaving = LeavesOuterForm(key);
                    } else if (key == keys::kDown) {
                        if (!wasLast) ++current;
                    } else if (key == keys::kEnter) {
                        ++current;  // past the last field the form is left
                    }
                    break;
                case keys::kUp:
                    if (current > first) {
                        --current;
                    } else if (continuation) {
                        key = keys::kEsc;
                        leaving = true;
                    }
                    break;
                default:
                    if (key < 0) {
                        const std::int16_t hit = FieldAtClick(form, key);
                        if (hit != 0) current = hit;
                    } else {
                        leaving = true;
                    }
                    break;
            }
        }
        // Every way out passes the form-exit check; a refusal starts the
        // form again at its first editable field. A form with nothing to
        // edit cannot be started again and is left whatever the check says.
        const std::int16_t status = hooks.checkFormExit(form, key);
        EditableEnds(form, first, last);
        if (status == 0 || first > last) break;
        current = first;
        leaving = false;
    }
    if (window) CloseWindow();
}

}  // namespace vela
