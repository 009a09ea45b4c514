// The judgement of a disk's attributes from its S.M.A.R.T. attribute and threshold pages.
#pragma once

#include "smart/smart_result.h"

#include <cstdint>

namespace zv::smart {

// One 12-byte entry of the attribute page.
struct AttributeEntry {
    int id = 0;
    uint16_t flags = 0;
    int current = 0;
    int worst = 0;
    int64_t raw = 0;  // 48 bits, zero-extended
};
AttributeEntry DecodeAttributeEntry(const uint8_t* entry);

// The threshold the threshold page gives the attribute `id` (entries are matched by
// identifier, not by position); 0 when the page has none for it.
int ThresholdFor(const uint8_t* thresholdPage, int id);

// Walks the attribute page (up to 30 entries, ending at the first identifier 0) and fills
// AttrCount, the per-attribute arrays, the totals, the states, the fail and warning counts
// and the temperature fields of `result`.
//
// The scale starts at 100 and becomes 253 from the first attribute 3 or 4 whose current value
// exceeds 230. A pre-failure attribute with a threshold is "OK" unless: its current value is at
// or below the threshold ("Failing Now"), its worst value is ("Failed In Past"), its current
// value is below the middle between threshold and scale ("Warning"), or it is attribute 5 with
// more than 500 reallocated sectors ("Warning"). Others read "-".
void EvaluateAttributes(const uint8_t* attributePage, const uint8_t* thresholdPage, TSmartResult& result);

}  // namespace zv::smart
