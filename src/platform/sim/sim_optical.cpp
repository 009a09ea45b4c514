// Simulated optical devices: not built yet; the feature answers nothing, so the core refuses
// these requests as an unknown device would.
#include "platform/sim/sim_feature.h"

#include <memory>

namespace zv::sim {

namespace {
class SimOpticalFeature final : public SimFeature {};
}  // namespace

std::unique_ptr<SimFeature> makeSimOpticalFeature(SimContext&) { return std::make_unique<SimOpticalFeature>(); }

}  // namespace zv::sim
