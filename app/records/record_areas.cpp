#include "app/records/record_areas.hpp"

#include <utility>

namespace vela {

RecordAreas recordAreas{};

RecordArea* AreaOfFile(std::int16_t fileNumber) {
    const std::pair<std::int16_t, RecordArea*> areas[] = {
        {layout::VPropiet::kFileNumber, &recordAreas.owner},
        {layout::VGrups::kFileNumber, &recordAreas.group},
        {layout::VPagos::kFileNumber, &recordAreas.payment},
        {layout::Industri::kFileNumber, &recordAreas.payee},
        {layout::UIndFami::kFileNumber, &recordAreas.family},
        {layout::VCapPeri::kFileNumber, &recordAreas.periodHeader},
        {layout::VLinPeri::kFileNumber, &recordAreas.periodLine},
        {layout::UTerrito::kFileNumber, &recordAreas.territory},
        {layout::UFiscal::kFileNumber, &recordAreas.fiscal},
    };
    for (const auto& [number, area] : areas) {
        if (number == fileNumber) return area;
    }
    return nullptr;
}

}  // namespace vela
