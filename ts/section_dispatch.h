// Hands complete sections from a PID's buffer to the table handler of that PID.
#pragma once

#include "ts/psi_tables.h"
#include "ts/section_buffer.h"

#include <cstdint>

namespace kalvento {

// Called after every append to the buffer of `pid`. While the buffer holds a
// whole section: a section whose CRC fails empties the buffer; a good one goes
// to the handler of the PID (PAT, NIT, SDT, EIT, SIT, or PMT for any other PID).
// Bytes behind a section are the start of the next one unless they begin with
// 0xFF, which marks stuffing up to the end of the payload.
void dispatch_section(SectionBuffer& buffer, std::uint16_t pid, TableState& state);

}  // namespace kalvento
