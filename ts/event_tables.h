// The handlers of the event tables: the EIT present/following and the SIT of a
// partial transport stream. A change of a programme's present event appends a
// snapshot, so that the video packets counted from then on belong to the new event.
#pragma once

#include "ts/psi_tables.h"

#include <cstdint>
#include <span>

namespace kalvento {

void handle_eit(std::span<const std::uint8_t> section, TableState& state);
void handle_sit(std::span<const std::uint8_t> section, TableState& state);

}  // namespace kalvento
