#include "ts/service_table.h"

namespace kalvento {

int ServiceTable::find(std::uint16_t service_id, std::uint8_t kind) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].serviceId == service_id && records_[i].networkKind == kind)
            return static_cast<int>(i);
    return -1;
}

int ServiceTable::find_or_add(std::uint16_t service_id, std::uint8_t kind) {
    std::size_t i = 0;
    for (; i < records_.size(); ++i) {
        const ServiceRecord& record = records_[i];
        if (record.serviceId == service_id && record.networkKind == kind)
            return static_cast<int>(i);
        if (record.networkKind > kind ||
            (record.networkKind == kind && record.serviceId > service_id))
            break;
    }
    if (records_.size() >= kMaxServices) return kFull;
    ServiceRecord record;
    record.serviceId = service_id;
    record.networkKind = kind;
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(i), std::move(record));
    return static_cast<int>(i);
}

}  // namespace kalvento
