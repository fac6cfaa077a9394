#include "app/owner_list.hpp"

#include "app/records/record_areas.hpp"
#include "app/records/record_layouts.hpp"
#include "datenum/calendar_dates.hpp"
#include "ui/browse_list.hpp"

namespace vela {

namespace {

OwnerListForms& Forms() {
    static OwnerListForms forms;
    return forms;
}

std::string OwnerCode() {
    return UnpackDigits(layout::VPropiet::ownerCode.Read(recordAreas.owner));
}

}  // namespace

std::int16_t OwnerListStartKey(std::int16_t list, std::string& prefix, std::string& startKey) {
    prefix.clear();
    startKey.clear();
    if (list != kOwnerList) return 0;
    BrowseListSpec spec;
    if (BrowseListSpecOf(list, spec) && spec.filterForm != 0 && Forms().fieldValue) {
        prefix = Forms().fieldValue(spec.filterForm, 1);
        prefix.erase(prefix.find_last_not_of(' ') + 1);
    }
    startKey = prefix;
    return 0;
}

std::string OwnerListRowText(std::int16_t list) {
    if (list != kOwnerList) return "";
    return OwnerCode() + "  " + layout::VPropiet::ownerName.Read(recordAreas.owner);
}

std::int16_t OwnerListChoice(std::int16_t list, std::int16_t form, std::int16_t field) {
    if (list != kOwnerList || form == 0 || field == 0 || !Forms().storeField) return 0;
    return Forms().storeField(form, OwnerCode(), field, 0);
}

void InstallOwnerList(OwnerListForms forms) {
    Forms() = std::move(forms);
    SetBrowseListHooks({OwnerListStartKey, OwnerListRowText, OwnerListChoice});
}

}  // namespace vela
