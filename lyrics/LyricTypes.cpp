#include "lyrics/LyricTypes.h"

#include <algorithm>

int CountTimes(const TimeRow& row) {
    return static_cast<int>(std::count_if(row.begin(), row.end(), IsStartTime));
}
