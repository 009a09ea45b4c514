// Simulated disk devices: not built yet; the feature answers nothing, so the core refuses
// these requests as an unknown device would.
#include "platform/sim/sim_feature.h"

#include <memory>

namespace zv::sim {

namespace {
class SimDiskFeature final : public SimFeature {};
}  // namespace

std::unique_ptr<SimFeature> makeSimDiskFeature(SimContext&) { return std::make_unique<SimDiskFeature>(); }

}  // namespace zv::sim
