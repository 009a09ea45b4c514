// The DVD physical format information of READ DISC STRUCTURE (format 0, layer 0), decoded
// into the texts a reader is shown.
#pragma once

#include <cstdint>
#include <string>

namespace zv::optical {

struct DvdPhysicalFormat {
    std::string bookType;       // "DVD-ROM", "DVD-RAM", "DVD-R", "DVD-RW", "DVD+RW", "DVD+R", "Unknown"
    std::string discSize;       // "120mm", "80mm", "Unknown"
    std::string maximumRate;    // "2.52 Mbps", "5.04 Mbps", "10.08 Mbps", "Not Specified", "Unknown"
    std::string layers;         // the field in decimal (0 for a single layer)
    std::string layerType;      // "Layer contains embossed data", ...
    std::string linearDensity;  // "0.267 um/bit", ...
    std::string trackDensity;   // "0.74 um/track", ...
};

// Decodes response bytes 4-7 of the 21-byte response.
DvdPhysicalFormat decodeDvdPhysicalFormat(const uint8_t* response21);

// Profiles whose discs carry this structure (the DVD family, dual-layer kinds included).
bool isDvdProfile(uint16_t profile);

}  // namespace zv::optical
