// Simulated physical disks: the device-number, layout and S.M.A.R.T. requests on drive
// letters, "\\.\PhysicalDriveN" and "\\.\SMARTVSD", each decoded, checked and answered byte
// for byte as the disk driver does.
#include "platform/api/codec.h"
#include "platform/api/disk_requests.h"
#include "platform/api/storage_protocol.h"
#include "platform/sim/json_reader.h"
#include "platform/sim/sim_disk_model.h"
#include "platform/sim/sim_feature.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

namespace zv::sim {

using platform::SendCmdInParams;
using platform::SendCmdOutLayout;

namespace {

std::string hex2(unsigned v) {
    char t[8];
    std::snprintf(t, sizeof t, "%02X", v & 0xFF);
    return t;
}

// The answer to one S.M.A.R.T. driver request.
struct SmartAnswer {
    bool ok = true;
    DWORD error = 0;
    uint8_t driverStatus = 0;
    uint8_t ideError = 0;
    const std::vector<uint8_t>* data = nullptr;  // the sector moved, or null
};

class SimDiskFeature final : public SimFeature {
public:
    explicit SimDiskFeature(SimContext& context) : m_context(context) {}

    std::vector<std::string> driveKeys() const override { return {"disk"}; }
    std::vector<std::string> machineKeys() const override { return {"disks"}; }

    void loadDrive(char letter, const JsonReader& drive) override {
        if (!drive.has("disk")) return;
        m_letters[letter] = loadSimLetterDisk(drive);
        m_letterReaders.emplace(letter, drive.child("disk"));
        m_drivesLoaded = true;
        if (m_machineLoaded) checkReferences();
    }

    void loadMachine(const JsonReader& root) override {
        m_machineLoaded = true;
        if (root.has("disks")) {
            for (const auto& d : root.items("disks")) {
                SimDisk disk = loadSimDisk(d);
                if (m_disks.count(disk.number)) d.child("number").fail("disk " + std::to_string(disk.number) + " is listed twice");
                m_disks[disk.number] = disk;
            }
        }
        checkReferences();
    }

    std::optional<bool> openDevice(SimContext& ctx, const SimDeviceTarget& target, DWORD* error) override {
        if (target.smartVsd) return openSmartVsd(ctx, target, error);
        if (target.physicalDrive < 0) return std::nullopt;
        const SimDisk* disk = diskOf(target.physicalDrive);
        if (!disk) {
            *error = ERROR_FILE_NOT_FOUND;
            return false;
        }
        if (target.access != 0 && !ctx.isAdministrator()) {
            ctx.note("physical disk opened for data access without administrator rights");
            *error = ERROR_ACCESS_DENIED;
            return false;
        }
        if (const SimDiskFailure* f = disk->failure("open", -1)) {
            *error = f->error;
            return false;
        }
        return true;
    }

    bool deviceControl(SimContext& ctx, const SimDeviceTarget& target, DWORD code, const void* in, DWORD inSize,
                       void* out, DWORD outSize, DWORD* returned, BOOL* result) override {
        switch (code) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER:
            if (target.smartVsd) return false;
            *result = deviceNumber(ctx, target, static_cast<uint8_t*>(out), outSize, returned);
            return true;
        case IOCTL_DISK_GET_DRIVE_LAYOUT:
        case IOCTL_DISK_GET_DRIVE_LAYOUT_EX:
            if (target.smartVsd) return false;
            *result = driveLayout(ctx, target, code == IOCTL_DISK_GET_DRIVE_LAYOUT_EX, static_cast<uint8_t*>(out),
                                  outSize, returned);
            return true;
        case IOCTL_STORAGE_QUERY_PROPERTY:
            if (target.physicalDrive < 0 || target.letter || target.smartVsd) return false;
            *result = storageQuery(ctx, target, static_cast<const uint8_t*>(in), inSize, static_cast<uint8_t*>(out),
                                   outSize, returned);
            return true;
        case SMART_GET_VERSION:
        case SMART_SEND_DRIVE_COMMAND:
        case SMART_RCV_DRIVE_DATA:
            if (target.letter) return fail(ctx, ERROR_INVALID_FUNCTION, result);
            *result = smartRequest(ctx, target, code, static_cast<const uint8_t*>(in), inSize,
                                   static_cast<uint8_t*>(out), outSize, returned);
            return true;
        default:
            return false;
        }
    }

private:
    bool fail(SimContext& ctx, DWORD error, BOOL* result) {
        ctx.setLastError(error);
        *result = FALSE;
        return true;
    }
    BOOL failed(SimContext& ctx, DWORD error, const std::string& why) {
        ctx.note(why);
        ctx.setLastError(error);
        return FALSE;
    }

    void checkReferences() {
        for (const auto& [letter, where] : m_letters)
            if (!m_disks.count(where.disk))
                m_letterReaders.at(letter).child("number").fail("no disk " + std::to_string(where.disk) + " in \"disks\"");
    }

    const SimDisk* diskOf(int number) const {
        auto it = m_disks.find(number);
        return it == m_disks.end() ? nullptr : &it->second;
    }
    SimDisk* mutableDisk(int number) {
        auto it = m_disks.find(number);
        return it == m_disks.end() ? nullptr : &it->second;
    }

    // The older family's S.M.A.R.T. driver reaches the IDE devices 0-3 by number: device i
    // is disk i.
    std::optional<bool> openSmartVsd(SimContext& ctx, const SimDeviceTarget& target, DWORD* error) {
        (void)target;
        bool any = false;
        for (const auto& [n, d] : m_disks) any = any || n < 4;
        if (!any) {
            ctx.note("no IDE disk: the S.M.A.R.T. driver is not installed");
            *error = ERROR_FILE_NOT_FOUND;
            return false;
        }
        return true;
    }

    // ---- device number
    BOOL deviceNumber(SimContext& ctx, const SimDeviceTarget& target, uint8_t* out, DWORD outSize, DWORD* returned) {
        if (outSize < platform::StorageDeviceNumber::Size || !out)
            return failed(ctx, ERROR_INSUFFICIENT_BUFFER, "device number reply buffer below 12 bytes");
        platform::StorageDeviceNumber number;
        if (target.letter) {
            const UINT type = ctx.driveType(target.letter);
            auto it = m_letters.find(target.letter);
            if (it != m_letters.end()) {
                number = {FILE_DEVICE_DISK, DWORD(it->second.disk), it->second.partition};
            } else if (type == DRIVE_CDROM) {
                DWORD index = 0;
                for (char l = 'A'; l < target.letter; ++l)
                    if (ctx.driveType(l) == DRIVE_CDROM) ++index;
                number = {FILE_DEVICE_CD_ROM, index, 0xFFFFFFFFu};
            } else {
                return failed(ctx, ERROR_INVALID_FUNCTION, "the drive lies on no simulated disk");
            }
        } else {
            number = {FILE_DEVICE_DISK, DWORD(target.physicalDrive), 0};
        }
        number.encode(out);
        if (returned) *returned = platform::StorageDeviceNumber::Size;
        return TRUE;
    }

    // ---- drive layout
    const SimDisk* diskOfTarget(SimContext& ctx, const SimDeviceTarget& target, DWORD* error) {
        if (target.letter) {
            auto it = m_letters.find(target.letter);
            if (it == m_letters.end()) {
                *error = ERROR_INVALID_FUNCTION;
                return nullptr;
            }
            if (!ctx.mediumPresent(target.letter)) {
                *error = ERROR_NOT_READY;
                return nullptr;
            }
            return diskOf(it->second.disk);
        }
        return diskOf(target.physicalDrive);
    }

    BOOL driveLayout(SimContext& ctx, const SimDeviceTarget& target, bool extended, uint8_t* out, DWORD outSize,
                     DWORD* returned) {
        DWORD error = 0;
        const SimDisk* disk = diskOfTarget(ctx, target, &error);
        if (!disk) return failed(ctx, error, "no disk answers the layout request");
        if (disk->layout.error) return failed(ctx, disk->layout.error, "layout failure from the machine file");
        if (!extended && disk->layout.style == platform::PARTITION_STYLE_GPT)
            return failed(ctx, ERROR_INVALID_FUNCTION, "a GPT disk answers only the extended layout request");
        const std::vector<uint8_t> reply = extended ? encodeDriveLayoutEx(disk->layout) : encodeDriveLayout(disk->layout);
        if (!out || outSize < reply.size())
            return failed(ctx, ERROR_INSUFFICIENT_BUFFER,
                          "layout of " + std::to_string(reply.size()) + " bytes, buffer " + std::to_string(outSize));
        std::memcpy(out, reply.data(), reply.size());
        if (returned) *returned = DWORD(reply.size());
        return TRUE;
    }

    // ---- storage properties: the device descriptor and NVMe protocol data
    BOOL storageQuery(SimContext& ctx, const SimDeviceTarget& target, const uint8_t* in, DWORD inSize, uint8_t* out,
                      DWORD outSize, DWORD* returned) {
        const SimDisk* disk = diskOf(target.physicalDrive);
        if (!disk) return failed(ctx, ERROR_FILE_NOT_FOUND, "no such disk");
        if (!in || inSize < 8) return failed(ctx, ERROR_INVALID_PARAMETER, "STORAGE_PROPERTY_QUERY shorter than 8 bytes");
        const DWORD propertyId = codec::getLe32(in);
        const DWORD queryType = codec::getLe32(in + 4);
        if (propertyId == platform::StorageDeviceProperty) {
            if (queryType == 1) return TRUE;  // PropertyExistsQuery
            if (queryType != 0) return failed(ctx, ERROR_INVALID_PARAMETER, "unknown query type");
            if (!out || outSize < 8) return failed(ctx, ERROR_INSUFFICIENT_BUFFER, "no room for the descriptor header");
            const std::vector<uint8_t> descriptor = encodeDiskDeviceDescriptor(*disk);
            const DWORD count = DWORD(std::min<size_t>(descriptor.size(), outSize));
            std::memcpy(out, descriptor.data(), count);
            if (returned) *returned = count;
            ctx.note("bus type " + std::to_string(codec::getLe32(&descriptor[28])));
            return TRUE;
        }
        if (propertyId != platform::StorageAdapterProtocolSpecificProperty &&
            propertyId != platform::StorageDeviceProtocolSpecificProperty)
            return failed(ctx, ERROR_NOT_SUPPORTED, "storage property " + std::to_string(propertyId) + " is not offered");
        // The storage driver passes admin commands only on a handle opened for reading and writing.
        if (!(target.access & GENERIC_READ) || !(target.access & GENERIC_WRITE))
            return failed(ctx, ERROR_ACCESS_DENIED, "protocol data needs a read-write handle");
        DWORD error = 0;
        std::string note;
        DWORD count = 0;
        const BOOL ok = answerNvmeProtocolQuery(*disk, in, inSize, out, outSize, &count, &error, &note);
        if (!ok) return failed(ctx, error, note);
        ctx.note(note);
        if (returned) *returned = count;
        return TRUE;
    }

    // ---- S.M.A.R.T.
    struct DeviceView {
        SimDisk* disk = nullptr;
        uint8_t map = 0;
        int device = 0;  // index 0-3 in the map
    };

    uint8_t mapOf(const SimDeviceTarget& target) const {
        if (!target.smartVsd) {
            const SimDisk* d = diskOf(target.physicalDrive);
            return d ? d->deviceMap : 0;
        }
        uint8_t map = 0;
        for (const auto& [n, d] : m_disks)
            if (n < 4) map |= uint8_t((1u << n) | (d.atapi ? 0x10u << n : 0));
        return map;
    }

    SimDisk* diskForDevice(const SimDeviceTarget& target, int device) {
        return target.smartVsd ? mutableDisk(device) : mutableDisk(target.physicalDrive);
    }

    BOOL smartRequest(SimContext& ctx, const SimDeviceTarget& target, DWORD code, const uint8_t* in, DWORD inSize,
                      uint8_t* out, DWORD outSize, DWORD* returned) {
        if (code == SMART_GET_VERSION) return version(ctx, target, out, outSize, returned);
        if (!in || inSize < SendCmdInParams::Size)
            return failed(ctx, ERROR_INVALID_PARAMETER, "SENDCMDINPARAMS shorter than 32 bytes");
        const SendCmdInParams request = SendCmdInParams::decode(in);
        const auto& r = request.regs;
        ctx.note("regs " + hex2(r.features) + " " + hex2(r.sectorCount) + " " + hex2(r.sectorNumber) + " " +
                 hex2(r.cylLow) + " " + hex2(r.cylHigh) + " " + hex2(r.driveHead) + " " + hex2(r.command) +
                 " drive " + std::to_string(request.driveNumber) + " buffer " + std::to_string(request.bufferSize));
        const bool receive = code == SMART_RCV_DRIVE_DATA;
        const DWORD needed = receive ? SendCmdOutLayout::Data + 512 : SendCmdOutLayout::Data;
        if (!out || outSize < needed)
            return failed(ctx, ERROR_INSUFFICIENT_BUFFER, "SENDCMDOUTPARAMS buffer of " + std::to_string(outSize) + " bytes");
        const SmartAnswer answer = execute(ctx, target, receive, request);
        std::memset(out, 0, needed);
        out[SendCmdOutLayout::DriverError] = answer.driverStatus;
        out[SendCmdOutLayout::IdeError] = answer.ideError;
        if (!answer.ok) {
            ctx.setLastError(answer.error);
            return FALSE;
        }
        if (answer.data) {
            codec::putLe32(out, 512);
            std::memcpy(out + SendCmdOutLayout::Data, answer.data->data(), 512);
        }
        if (returned) *returned = answer.data ? SendCmdOutLayout::Data + 512 : SendCmdOutLayout::Data;
        return TRUE;
    }

    BOOL version(SimContext& ctx, const SimDeviceTarget& target, uint8_t* out, DWORD outSize, DWORD* returned) {
        if (!out || outSize < platform::GetVersionOutParams::Size)
            return failed(ctx, ERROR_INSUFFICIENT_BUFFER, "GETVERSIONOUTPARAMS buffer below 24 bytes");
        if (!target.smartVsd) {
            const SimDisk* disk = diskOf(target.physicalDrive);
            if (const SimDiskFailure* f = disk ? disk->failure("version", -1) : nullptr)
                return failed(ctx, f->error, "version failure from the machine file");
        }
        platform::GetVersionOutParams v;
        v.version = 1;
        v.revision = 1;
        v.ideDeviceMap = mapOf(target);
        v.capabilities = platform::CAP_ATA_ID_CMD | platform::CAP_ATAPI_ID_CMD | platform::CAP_SMART_CMD;
        v.encode(out);
        if (returned) *returned = platform::GetVersionOutParams::Size;
        return TRUE;
    }

    static SmartAnswer refuse(DWORD error, uint8_t status, uint8_t ideError = 0) {
        SmartAnswer a;
        a.ok = false;
        a.error = error;
        a.driverStatus = status;
        a.ideError = ideError;
        return a;
    }
    // The device aborts the command (ATA status ERR, error register ABRT).
    static SmartAnswer abort() { return refuse(ERROR_IO_DEVICE, platform::SMART_IDE_ERROR, 0x04); }

    SmartAnswer execute(SimContext& ctx, const SimDeviceTarget& target, bool receive, const SendCmdInParams& request) {
        const auto& r = request.regs;
        const int device = request.driveNumber;
        if (device > 3) return refuse(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_DRIVE);
        const uint8_t map = mapOf(target);
        if (!(map & (1u << device))) {
            ctx.note("bDriveNumber names a device missing from the device map");
            return refuse(ERROR_INVALID_PARAMETER, platform::SMART_NO_IDE_DEVICE);
        }
        if (r.driveHead != ((device & 1) ? 0xB0 : 0xA0)) {
            ctx.note("drive/head register does not select the device");
            return refuse(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_REGISTER);
        }
        SimDisk* disk = diskForDevice(target, device);
        if (!disk) return refuse(ERROR_INVALID_PARAMETER, platform::SMART_NO_IDE_DEVICE);
        const bool atapi = map & (0x10u << device);

        if (r.command == platform::ATA_IDENTIFY_DEVICE || r.command == platform::ATA_IDENTIFY_PACKET_DEVICE) {
            if (!receive || request.bufferSize != 512 || r.sectorCount != 1)
                return refuse(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_BUFFER);
            if (const SimDiskFailure* f = disk->failure("identify", device))
                return refuse(f->error, f->driverStatus, f->ideError);
            const bool packetCommand = r.command == platform::ATA_IDENTIFY_PACKET_DEVICE;
            if (packetCommand != atapi || !disk->hasIdentify) return abort();
            SmartAnswer a;
            a.data = &disk->identify;
            return a;
        }
        if (r.command != platform::ATA_SMART) return refuse(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_COMMAND);
        if (r.cylLow != platform::ATA_SMART_CYL_LOW || r.cylHigh != platform::ATA_SMART_CYL_HIGH) {
            ctx.note("S.M.A.R.T. command without the 4F/C2 signature");
            return refuse(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_REGISTER);
        }
        if (atapi || !disk->hasSmart) return abort();
        if (!receive) {
            if (r.features != platform::ATA_SMART_ENABLE_OPERATIONS && r.features != 0xD9)
                return refuse(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_COMMAND);
            if (const SimDiskFailure* f = disk->failure("enable", device))
                return refuse(f->error, f->driverStatus, f->ideError);
            disk->smartEnabled = r.features == platform::ATA_SMART_ENABLE_OPERATIONS;
            return {};
        }
        if (request.bufferSize != 512 || r.sectorCount != 1)
            return refuse(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_BUFFER);
        const char* kind = r.features == platform::ATA_SMART_READ_DATA         ? "attributes"
                           : r.features == platform::ATA_SMART_READ_THRESHOLDS ? "thresholds"
                                                                            : nullptr;
        if (!kind) return refuse(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_COMMAND);
        if (const SimDiskFailure* f = disk->failure(kind, device)) return refuse(f->error, f->driverStatus, f->ideError);
        if (!disk->smartEnabled) return abort();
        SmartAnswer a;
        a.data = r.features == platform::ATA_SMART_READ_DATA ? &disk->attributes : &disk->thresholds;
        return a;
    }

    SimContext& m_context;
    std::map<int, SimDisk> m_disks;
    std::map<char, SimLetterDisk> m_letters;
    std::map<char, JsonReader> m_letterReaders;
    bool m_machineLoaded = false;
    bool m_drivesLoaded = false;
};

}  // namespace

std::unique_ptr<SimFeature> makeSimDiskFeature(SimContext& context) { return std::make_unique<SimDiskFeature>(context); }

}  // namespace zv::sim
