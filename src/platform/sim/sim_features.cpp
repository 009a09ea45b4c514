#include "platform/sim/sim_feature.h"

#include <memory>

namespace zv::sim {

std::vector<std::unique_ptr<SimFeature>> makeSimFeatures(SimContext& context) {
    std::vector<std::unique_ptr<SimFeature>> features;
    features.push_back(makeSimOpticalFeature(context));
    features.push_back(makeSimDiskFeature(context));
    features.push_back(makeSimToolsFeature(context));
    return features;
}

}  // namespace zv::sim
