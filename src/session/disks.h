// Putting disks in and taking them out the way the user does it: a changed
// disk is offered for saving first, and what happened goes to the status bar.
#pragma once

#include <functional>
#include <string>

#include "io/file_io.h"

namespace kestrel {

class Machine;

// The questions a changed disk raises; the window asks the user, the runner
// answers from its options. Unset questions are answered No.
struct DiskPrompts {
    // "Disk content in drive :%u has changed. Do you want to save your changes?"
    std::function<bool(int drive)> saveChanges;
    // Saving failed for `reason`: take the disk out unsaved all the same?
    std::function<bool(int drive, const std::string& reason)> discardUnsaved;
};

// The question the window shows, for drive `drive`.
std::string saveChangesQuestion(int drive);

// Takes the disk out of `drive`, offering to save a changed one. False (and
// the disk stays, still changed) when saving failed and the user keeps it.
// Posts "Disk detached from drive #%u" otherwise, also for an empty drive.
bool detachDisk(Machine& machine, int drive, const DiskPrompts& prompts);
// All four drives in turn, then "All disks detached."; false when a disk stayed.
bool detachAllDisks(Machine& machine, const DiskPrompts& prompts);

// Puts the image in `path` into `drive`; a disk there is detached first as
// above (the new one is not attached when the old one stays). Posts the
// geometry ("Disk: %u side(s), %u tracks, %u sectors, %u kb.") or why not.
IoResult attachDisk(Machine& machine, int drive, const std::string& path, const DiskPrompts& prompts);

}  // namespace kestrel
