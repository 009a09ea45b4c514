// The drive capability summary: the phrases of the capability bits of the MMC CD/DVD
// capabilities page (mode page 0x2A) and the drive's buffer and speeds, one per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zv::optical {

inline constexpr const char* kLineBreak = "\r\n";

// Offset of the page in a MODE SENSE (10) response: after the 8-byte mode parameter header
// and the block descriptors whose length the header gives in bytes 6-7.
size_t modePageOffset(const uint8_t* response, size_t responseSize);

// Page bytes 0..19 of the capabilities page inside a MODE SENSE (10) response; bytes that
// lie beyond the response read as zero.
std::vector<uint8_t> capabilityPageBytes(const uint8_t* response, size_t responseSize);

// A speed in kilobytes per second as a multiple of the CD speed: divided by 176.46 and
// rounded to the nearest whole number (7056 -> 40, 1411 -> 8).
long speedMultiple(unsigned kilobytesPerSecond);

// The summary text from page bytes 0..19: every phrase of a set capability bit, then
// "Device Buffer: Nk", "Max Read Speed: Rx", "Max Write Speed: Wx". "Read CD-R" is placed
// without a separator, every other line after CR LF, so a drive that cannot read CD-R gives
// a text that begins with CR LF.
std::string buildCapabilitySummary(const std::vector<uint8_t>& page);

// The summary's lines as a list shows them (a leading CR LF gives an empty first line; an
// empty summary gives no lines).
std::vector<std::string> summaryLines(const std::string& summary);

}  // namespace zv::optical
