// Simulated tools devices: not built yet; the feature answers nothing, so the core refuses
// these requests as an unknown device would.
#include "platform/sim/sim_feature.h"

#include <memory>

namespace zv::sim {

namespace {
class SimToolsFeature final : public SimFeature {};
}  // namespace

std::unique_ptr<SimFeature> makeSimToolsFeature(SimContext&) { return std::make_unique<SimToolsFeature>(); }

}  // namespace zv::sim
