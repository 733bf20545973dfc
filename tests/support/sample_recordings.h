// The sample recordings of kalvento-write-samples, as plans, so that tests can
// analyse exactly what the tool writes.
#pragma once

#include "tests/support/recording_builder.h"

namespace kalvento::test {

// Terrestrial, network 0x7FE8, remote-control key 3: service 1024 (HD, 60 % of
// the packets) and 1025 (SD sub-channel, 25 %), one event each; 6 MB.
RecordingPlan sample_terrestrial_two_services();
// BS (network 4, TS 0x4010, key 1): service 101, 90 % of the packets; 4 MB.
RecordingPlan sample_bs_service_101();
// Terrestrial, service 1024 (92 %): the weather until 40 % of the packets,
// then a drama (a new EIT version); 6 MB.
RecordingPlan sample_programme_change();
// Partial transport stream of BS service 103 (94 %), PAT, PMT and SIT only,
// 192-byte units; 3 MB.
RecordingPlan sample_partial_ts_sit();

}  // namespace kalvento::test
