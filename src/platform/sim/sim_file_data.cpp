// Sparse file contents of the simulated machine.
#include "platform/sim/sim_model.h"

#include <algorithm>
#include <cstring>

namespace zv::sim {

void SimFile::read(uint64_t offset, uint8_t* out, size_t count) const {
    while (count > 0) {
        const uint64_t index = offset / ChunkSize;
        const size_t within = size_t(offset % ChunkSize);
        const size_t step = std::min<size_t>(count, size_t(ChunkSize) - within);
        auto found = chunks.find(index);
        if (found == chunks.end()) std::memset(out, 0, step);
        else std::memcpy(out, found->second.data() + within, step);
        out += step;
        offset += step;
        count -= step;
    }
}

void SimFile::write(uint64_t offset, const uint8_t* in, size_t count) {
    size = std::max<uint64_t>(size, offset + count);
    while (count > 0) {
        const uint64_t index = offset / ChunkSize;
        const size_t within = size_t(offset % ChunkSize);
        const size_t step = std::min<size_t>(count, size_t(ChunkSize) - within);
        auto& chunk = chunks[index];
        if (chunk.empty()) chunk.assign(size_t(ChunkSize), 0);
        std::memcpy(chunk.data() + within, in, step);
        in += step;
        offset += step;
        count -= step;
    }
}

void SimFile::truncate() {
    size = 0;
    chunks.clear();
}

std::string SimFile::text() const {
    std::string out(size_t(size), '\0');
    read(0, reinterpret_cast<uint8_t*>(out.data()), out.size());
    return out;
}

}  // namespace zv::sim
