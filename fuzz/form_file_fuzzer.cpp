// libFuzzer target for the form description reader: any bytes an office may
// put in a .KFM file must be read or refused without a crash or a hang, a
// refusal must name a line of the file, and tables that are accepted must
// hold what the form engine relies on: every value as long as its field,
// line widths within the field, continuation chains that end, list numbers
// that name lists.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/form_file.hpp"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view contents(reinterpret_cast<const char*>(data), size);
    vela::FormTables tables;
    vela::FormFileError error;
    if (!vela::ReadFormDescription(
            contents, [](const std::string& text) { return text; }, tables, error)) {
        const auto lines = std::count(contents.begin(), contents.end(), '\n') +
                           std::count(contents.begin(), contents.end(), '\r') + 1;
        Check(error.line >= 1 && error.line <= lines && !error.reason.empty());
        return 0;
    }
    Check(tables.formCount >= 1 && tables.forms.size() == std::size_t(tables.formCount) + 1);
    Check(tables.lists.size() == std::size_t(tables.listCount) + 1);
    for (int form = 1; form <= tables.formCount; ++form) {
        const vela::FormEntry& entry = tables.forms[form];
        Check(entry.fieldCount <= tables.maxFields);
        Check(entry.fields.size() == std::size_t(tables.maxFields) + 1);
        int next = entry.linkedForm;
        for (int steps = 0; next != 0; ++steps) {
            Check(steps < tables.formCount && next != form);
            next = tables.forms[next].linkedForm;
        }
        for (int field = 1; field <= entry.fieldCount; ++field) {
            const vela::FormField& f = entry.fields[field];
            Check(f.length >= 1 && f.value.size() == std::size_t(f.length));
            Check(f.lineWidth >= 0 && f.lineWidth <= f.length);
            Check(f.listNo <= tables.listCount);
        }
    }
    for (int list = 1; list <= tables.listCount; ++list) {
        Check(tables.lists[list].nextList <= tables.listCount);
        Check(tables.lists[list].filterForm <= tables.formCount);
    }
    return 0;
}
