#pragma once
// The station's hours made from hand-made slots, for the tests of the hours
// and of every report read from them.

#include "hourly/HourTable.h"
#include "hourly/UtHourList.h"

#include "TenMinuteTestSupport.h"

#include <cstdint>
#include <memory>
#include <string_view>

// A slot as the settler hands it on; the texts are views of the arguments.
inline TenMinuteRow slot(std::string_view time, std::int64_t echo, std::int64_t longEcho,
                         std::int64_t other, std::int64_t obs, std::string_view remark = {}) {
    TenMinuteRow r;
    r.time = timeOf(time);
    r.echo = echo;
    r.longEcho = longEcho;
    r.otherData = other;
    r.observedMinutes = obs;
    r.remark = remark;
    return r;
}

// An hour table that slots are folded into, and the UT-hour list over it.
struct Hours {
    std::shared_ptr<HourTable> table = std::make_shared<HourTable>();

    void add(const TenMinuteRow& row) { table->add(row); }
    // One slot standing for a whole hour.
    void hour(std::string_view time, std::int64_t echo, std::int64_t obs,
              std::string_view remark = {}, std::int64_t longEcho = 0, std::int64_t other = 0) {
        add(slot(time, echo, longEcho, other, obs, remark));
    }
    void gap(std::string_view time) { add(gapRow(timeOf(time))); }
    const std::vector<HourRow>& rows() const { return table->rows(); }
    UtHourList list(std::int32_t utOffsetHours, std::int32_t noiseMinutes) const {
        return UtHourList(table, utOffsetHours, noiseMinutes);
    }
};
