// The program's browse-list hooks. The program has one list, list 1: the
// owners by name (key 1 of the owners file, whose collating sequence folds
// letters to capitals without accents), starting at and limited to the
// beginning of a name typed in the first field of the list's filter form, so
// a clerk typing "garcia" or "GARCÍA" sees the same owners. Each row shows
// the owner's code and name; Enter puts the code into the field.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vela {

inline constexpr std::int16_t kOwnerList = 1;

// What the hooks take from the form engine: a field's value, and storing a
// text into a field through the engine's checks (status 0 when accepted).
struct OwnerListForms {
    std::function<std::string(std::int16_t form, std::int16_t field)> fieldValue;
    std::function<std::int16_t(std::int16_t form, const std::string& text, std::int16_t field,
                               std::int16_t key)>
        storeField;
};

// Installs the hooks of list 1 in the browse lists.
void InstallOwnerList(OwnerListForms forms);

// The hooks themselves; any other list number does nothing.
std::int16_t OwnerListStartKey(std::int16_t list, std::string& prefix, std::string& startKey);
std::string OwnerListRowText(std::int16_t list);
std::int16_t OwnerListChoice(std::int16_t list, std::int16_t form, std::int16_t field);

}  // namespace vela
