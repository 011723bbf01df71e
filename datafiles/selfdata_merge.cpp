// The savedata history merge.
#include "datafiles/selfdata_merge.h"

MergeOutcome merge_day_value(std::vector<SelfDataRecord>* history, const SelfDataRecord& rec) {
    std::vector<SelfDataRecord>& h = *history;
    if (h.empty() || rec.day > h.back().day) {
        h.push_back(rec);
        return MergeOutcome::appended;
    }
    size_t i = h.size();
    while (i > 0 && h[i - 1].day > rec.day) --i;
    if (i == 0) {
        h.insert(h.begin(), rec);
        return MergeOutcome::prepended;
    }
    SelfDataRecord& at = h[i - 1];
    if (at.day == rec.day) {
        if (at.value == rec.value) return MergeOutcome::unchanged;
        at.value = rec.value;
        return MergeOutcome::replaced;
    }
    h.insert(h.begin() + static_cast<long>(i), rec);
    return MergeOutcome::inserted;
}
