// The system's message texts (FormatMessage with FROM_SYSTEM, English) of the codes the
// program meets.
#include "platform/sim/sim_system.h"

#include <map>

namespace zv::sim {

std::string systemMessage(DWORD code) {
    static const std::map<DWORD, const char*> texts = {
        {0, "The operation completed successfully."},
        {1, "Incorrect function."},
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {4, "The system cannot open the file."},
        {5, "Access is denied."},
        {6, "The handle is invalid."},
        {8, "Not enough storage is available to process this command."},
        {12, "The access code is invalid."},
        {13, "The data is invalid."},
        {14, "Not enough storage is available to complete this operation."},
        {15, "The system cannot find the drive specified."},
        {18, "There are no more files."},
        {19, "The media is write protected."},
        {21, "The device is not ready."},
        {23, "Data error (cyclic redundancy check)."},
        {24, "The program issued a command but the command length is incorrect."},
        {25, "The drive cannot locate a specific area or track on the disk."},
        {29, "The system cannot write to the specified device."},
        {30, "The system cannot read from the specified device."},
        {31, "A device attached to the system is not functioning."},
        {32, "The process cannot access the file because it is being used by another process."},
        {50, "The request is not supported."},
        {53, "The network path was not found."},
        {55, "The specified network resource or device is no longer available."},
        {67, "The network name cannot be found."},
        {80, "The file exists."},
        {85, "The local device name is already in use."},
        {87, "The parameter is incorrect."},
        {112, "There is not enough space on the disk."},
        {121, "The semaphore timeout period has expired."},
        {122, "The data area passed to a system call is too small."},
        {123, "The filename, directory name, or volume label syntax is incorrect."},
        {126, "The specified module could not be found."},
        {127, "The specified procedure could not be found."},
        {131, "An attempt was made to move the file pointer before the beginning of the file."},
        {170, "The requested resource is in use."},
        {183, "Cannot create a file when that file already exists."},
        {206, "The filename or extension is too long."},
        {234, "More data is available."},
        {259, "No more data is available."},
        {998, "Invalid access to memory location."},
        {1005, "The volume does not contain a recognized file system.\r\nPlease make sure that all required file "
               "system drivers are loaded and that the volume is not corrupted."},
        {1008, "An attempt was made to reference a token that does not exist."},
        {1110, "The media in the drive may have changed."},
        {1112, "No media in drive."},
        {1117, "The request could not be performed because of an I/O device error."},
        {1167, "The device is not connected."},
        {1200, "The specified device name is invalid."},
        {1201, "The device is not currently connected but it is a remembered connection."},
        {1222, "The network is not present or not started."},
        {1223, "The operation was canceled by the user."},
        {1314, "A required privilege is not held by the client."},
        {1392, "The file or directory is corrupted and unreadable."},
        {1393, "The disk structure is corrupted and unreadable."},
        {1460, "This operation returned because the timeout period expired."},
        {2250, "This network connection does not exist."},
    };
    auto found = texts.find(code);
    return found == texts.end() ? std::string() : std::string(found->second) + "\r\n";
}

}  // namespace zv::sim
