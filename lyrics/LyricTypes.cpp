#include "lyrics/LyricTypes.h"

#include <algorithm>

int CountTimes(const TimeRow& row) {
    return static_cast<int>(std::count_if(row.begin(), row.end(), IsStartTime));
}

std::optional<TimeSlot> FindEarliest(const std::vector<TimeRow>& rows) {
    std::optional<TimeSlot> best;
    for (size_t row = 0; row < rows.size(); ++row) {
        for (size_t slot = 0; slot < static_cast<size_t>(kTimeSlots); ++slot) {
            const uint32_t value = rows[row][slot];
            if (IsStartTime(value) && (!best || value < best->time))
                best = TimeSlot{static_cast<int>(row), static_cast<int>(slot), value};
        }
    }
    return best;
}
