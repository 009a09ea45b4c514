#include "optical/disc_structure.h"

namespace zv::optical {

namespace {

std::string bookTypeText(int value) {
    switch (value) {
    case 0: return "DVD-ROM";
    case 1: return "DVD-RAM";
    case 2: return "DVD-R";
    case 3: return "DVD-RW";
    case 9: return "DVD+RW";
    case 10: return "DVD+R";
    default: return "Unknown";
    }
}

std::string discSizeText(int value) {
    switch (value) {
    case 0: return "120mm";
    case 1: return "80mm";
    default: return "Unknown";
    }
}

std::string maximumRateText(int value) {
    switch (value) {
    case 0: return "2.52 Mbps";
    case 1: return "5.04 Mbps";
    case 2: return "10.08 Mbps";
    case 15: return "Not Specified";
    default: return "Unknown";
    }
}

std::string layerTypeText(int value) {
    switch (value) {
    case 1: return "Layer contains embossed data";
    case 2: return "Layer contains recordable area";
    case 4: return "Layer contains rewritable area";
    case 8: return "Reserved";
    default: return "Unknown";
    }
}

std::string linearDensityText(int value) {
    switch (value) {
    case 0: return "0.267 um/bit";
    case 1: return "0.293 um/bit";
    case 2: return "0.409 to 0.435 um/bit";
    case 4: return "0.280 to 0.291 um/bit";
    case 8: return "0.353 um/bit";
    default: return "Reserved";
    }
}

std::string trackDensityText(int value) {
    switch (value) {
    case 0: return "0.74 um/track";
    case 1: return "0.80 um/track";
    case 2: return "0.615 um/track";
    default: return "Reserved";
    }
}

}  // namespace

DvdPhysicalFormat decodeDvdPhysicalFormat(const uint8_t* r) {
    DvdPhysicalFormat format;
    format.bookType = bookTypeText(r[4] >> 4);
    format.discSize = discSizeText(r[5] >> 4);
    format.maximumRate = maximumRateText(r[5] & 0x0F);
    format.layers = std::to_string((r[6] >> 5) & 0x03);
    format.layerType = layerTypeText(r[6] & 0x0F);
    format.linearDensity = linearDensityText(r[7] >> 4);
    format.trackDensity = trackDensityText(r[7] & 0x0F);
    return format;
}

bool isDvdProfile(uint16_t profile) {
    return (profile >= 0x0010 && profile <= 0x0017) || profile == 0x001A || profile == 0x001B ||
           profile == 0x002A || profile == 0x002B;
}

}  // namespace zv::optical
