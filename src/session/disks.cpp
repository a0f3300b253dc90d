#include "session/disks.h"

#include <cstdio>

#include "machine/machine.h"

namespace kestrel {

std::string saveChangesQuestion(int drive) {
    return "Disk content in drive :" + std::to_string(drive) + " has changed. Do you want to save your changes?";
}

bool detachDisk(Machine& m, int drive, const DiskPrompts& prompts) {
    if (m.diskChanged(drive) && prompts.saveChanges && prompts.saveChanges(drive)) {
        // A failed save never loses the disk without a second word from the user.
        if (IoResult saved = m.saveDisk(drive); !saved) {
            m.showStatus(saved.message);
            if (!prompts.discardUnsaved || !prompts.discardUnsaved(drive, saved.message)) return false;
        }
    }
    m.removeDisk(drive);
    m.showStatus("Disk detached from drive #" + std::to_string(drive));
    return true;
}

bool detachAllDisks(Machine& m, const DiskPrompts& prompts) {
    bool all = true;
    for (int drive = 0; drive < Machine::kDrives; ++drive) all = detachDisk(m, drive, prompts) && all;
    if (all) m.showStatus("All disks detached.");
    return all;
}

IoResult attachDisk(Machine& m, int drive, const std::string& path, const DiskPrompts& prompts) {
    if (path.empty()) return {};
    if (m.disk(drive) && !detachDisk(m, drive, prompts))
        return IoResult::failure("Disk in drive :" + std::to_string(drive) + " kept: its changes are not saved");
    IoResult attached = m.attachDisk(drive, path);
    if (!attached) {
        m.showStatus(attached.message);
        return attached;
    }
    const DiskImage& d = *m.disk(drive);
    char text[96];
    std::snprintf(text, sizeof text, "Disk: %u side(s), %u tracks, %u sectors, %u kb.", d.sideValue() + 1,
                  d.trackCount(), d.sectorsPerTrack(), (d.imageSize() - d.dataOffset()) / 1024);
    m.showStatus(text);
    return attached;
}

}  // namespace kestrel
