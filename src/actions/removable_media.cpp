// Not built yet: the commands tell the user so.
#include "actions/removable_media.h"

namespace zv::actions {

namespace {
void notYet() { throw CommandError("Removable media commands are not available yet"); }
}  // namespace

void RemovableMediaCommands::LoadMedia1Click(std::optional<char>) { notYet(); }
void RemovableMediaCommands::EjectMedia1Click(std::optional<char>) { notYet(); }
void RemovableMediaCommands::LockCDDoor1Click(std::optional<char>) { notYet(); }
void RemovableMediaCommands::UnlockCDDoor1Click(std::optional<char>) { notYet(); }
void RemovableMediaCommands::OpendefaultCD1Click() { notYet(); }
void RemovableMediaCommands::CloseDefaultCD1Click() { notYet(); }
void RemovableMediaCommands::InsertedMedia1Click(std::optional<char>) { notYet(); }

}  // namespace zv::actions
