#include "smart/attribute_evaluation.h"

#include "platform/api/codec.h"
#include "smart/smart_texts.h"

namespace zv::smart {

namespace {

constexpr size_t kEntriesStart = 2;
constexpr size_t kEntrySize = 12;
constexpr int64_t kTotalLimit = 2147483647;

const uint8_t* entryAt(const uint8_t* page, int k) { return page + kEntriesStart + size_t(k) * kEntrySize; }

void addTotals(const AttributeEntry& a, TSmartResult& r) {
    if (a.raw <= 0 || a.raw >= kTotalLimit) return;
    if (a.id == 5) r.ReallocatedSectors = int32_t(a.raw);
    if (a.id == 9) r.PowerOnHours = int32_t(a.raw / 60 + 1);
    if (a.id == 12) r.PowerCycles = int32_t(a.raw);
}

std::string judge(const AttributeEntry& a, int threshold, int scale, TSmartResult& r) {
    const bool preFail = a.flags & 0x1;
    if (!preFail || threshold == 0) return "-";
    // The ATA rule: a normalised value at or below its threshold has tripped it.
    if (a.current <= threshold) {
        ++r.FailCount;
        return "Failing Now";
    }
    if (a.worst <= threshold) {
        ++r.FailCount;
        return "Failed In Past";
    }
    if (a.current < threshold + (scale - threshold) / 2 || (a.id == 5 && a.raw > 500)) {
        ++r.WarnCount;
        return "Warning";
    }
    return "OK";
}

void takeTemperature(const uint8_t* entry, const AttributeEntry& a, TSmartResult& r) {
    const uint8_t* raw = entry + 5;
    r.Temperature = raw[0];
    r.TemperatureByte2 = raw[2];
    r.TemperatureByte4 = raw[0] == a.current ? a.worst : raw[4];
}

}  // namespace

AttributeEntry DecodeAttributeEntry(const uint8_t* e) {
    AttributeEntry a;
    a.id = e[0];
    a.flags = codec::getLe16(e + 1);
    a.current = e[3];
    a.worst = e[4];
    uint64_t raw = 0;
    for (int i = 5; i >= 0; --i) raw = (raw << 8) | e[5 + i];
    a.raw = int64_t(raw);
    return a;
}

int ThresholdFor(const uint8_t* thresholdPage, int id) {
    for (int k = 0; k < kAttributeEntries; ++k) {
        const uint8_t* e = entryAt(thresholdPage, k);
        if (e[0] == id) return e[1];
    }
    return 0;
}

void EvaluateAttributes(const uint8_t* attributePage, const uint8_t* thresholdPage, TSmartResult& r) {
    int scale = 100;
    int k = 0;
    for (; k < kAttributeEntries; ++k) {
        const uint8_t* entry = entryAt(attributePage, k);
        const AttributeEntry a = DecodeAttributeEntry(entry);
        if (a.id == 0) break;
        const size_t s = size_t(k);
        const int threshold = ThresholdFor(thresholdPage, a.id);
        r.Ids[s] = a.id;
        r.Names[s] = AttributeName(a.id);
        r.PreFail[s] = a.flags & 0x01;
        r.ErrorRate[s] = a.flags & 0x08;
        r.EventCount[s] = a.flags & 0x10;
        r.Current[s] = a.current;
        r.Worst[s] = a.worst;
        r.Threshold[s] = threshold;
        r.Raw[s] = a.raw;
        addTotals(a, r);
        if ((a.id == 3 || a.id == 4) && a.current > 230) scale = 253;
        r.State[s] = judge(a, threshold, scale, r);
        if (a.id == 194) takeTemperature(entry, a, r);
    }
    r.AttrCount = k;
}

}  // namespace zv::smart
