#include "ui/form_tables.hpp"

namespace vela {

FormTables formTables;
std::int16_t resumeForm = 0;

namespace {
// What a number outside the tables reaches; refilled on every such use so
// that nothing written there survives.
FormEntry strayForm;
FormField strayField;
BrowseListEntry strayList;
}  // namespace

FormEntry& Form(std::int16_t form) {
    if (form >= 1 && form <= formTables.formCount &&
        static_cast<std::size_t>(form) < formTables.forms.size()) {
        return formTables.forms[form];
    }
    strayForm = FormEntry{};
    return strayForm;
}

FormField& Field(std::int16_t form, std::int16_t field) {
    FormEntry& entry = Form(form);
    if (&entry != &strayForm && field >= 1 &&
        static_cast<std::size_t>(field) < entry.fields.size()) {
        return entry.fields[field];
    }
    strayField = FormField{};
    return strayField;
}

BrowseListEntry& List(std::int16_t list) {
    if (list >= 1 && list <= formTables.listCount &&
        static_cast<std::size_t>(list) < formTables.lists.size()) {
        return formTables.lists[list];
    }
    strayList = BrowseListEntry{};
    return strayList;
}

std::string FieldText(const std::string& text, std::int16_t width) {
    const std::size_t size = width > 0 ? static_cast<std::size_t>(width) : 0;
    std::string result = text.substr(0, size);
    result.resize(size, ' ');
    return result;
}

void SetFieldValue(std::int16_t form, std::int16_t field, const std::string& text) {
    FormField& entry = Field(form, field);
    entry.value = FieldText(text, entry.length);
}

}  // namespace vela
