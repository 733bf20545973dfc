// The order of the rows of the job list when the user sorts it by a column:
// names, programme texts and the broadcast date compare byte by byte as CP932,
// the last column by the order in which the entries were added.
#pragma once

#include "app/job_list.h"

namespace kalvento {

// -1, 0 or 1 for entries a and b (ids in the order of addition) under the
// sort column `column` (0..8). `ascending` is the column's direction: a first
// click on a column sorts it ascending, the next one descending. The list
// starts sorted by column 8, descending: the newest entry first.
int compare_job_rows(const Job& a, const Job& b, int column, bool ascending);

}  // namespace kalvento
