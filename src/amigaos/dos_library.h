// dos.library: files and directories of the host, seen by players as AmigaDOS.
// Files are read-only host files (or archive entries); directories are only
// path strings put in front of names.
#pragma once

#include "amigaos/dos_paths.h"
#include "amigaos/host_file_table.h"
#include "amigaos/library.h"

namespace varno {

class CDosLibrary : public CLibrary {
public:
    static constexpr uint32_t kNegativeSize = 996;  // vectors -6 .. -996
    static constexpr size_t kPathSize = kDosPathSize;
    static constexpr uint32_t kMaxReadLength = 0x7FFFF;
    static constexpr uint32_t kModeOldFile = 1005;

    CDosLibrary(const OsParts& parts, uint32_t previousEnd, const char* pluginDirectory);
    // Files a player left open go back to the host with the machine.
    ~CDosLibrary() override;

    uint32_t negativeSize() const override { return kNegativeSize; }
    void dispatch(int16_t lvo) override;

    // Closes every host file a player opened and has not closed; a module's
    // close calls it so that nothing stays open in the host.
    void closeOpenFiles();
    size_t openFileCount() const { return openFiles_.size(); }

    char currentDirectory[kPathSize] = {};  // put in front of names given to Open, Lock, LoadSeg
    char savedDirectory[kPathSize] = {};    // the path remembered by the last Lock
    const char* pluginDirectoryRef;         // with its trailing separator

private:
    struct Call {
        int16_t lvo;
        const char* name;
        void (CDosLibrary::*run)();
    };
    static const Call kCalls[];

    void open();
    void close();
    void read();
    void seek();
    void lock();
    void unLock();
    void currentDir();
    void loadSeg();

    // The zero-terminated name at address, from main or low memory. A name in
    // neither reads as empty (true, out empty); false (and out empty) when it has
    // no terminator within kPathSize - 1 characters or before its region ends.
    bool readName(uint32_t address, char (&out)[kPathSize]) const;
    // currentDirectory followed by the name at address; false when the name is
    // unreadable or the two do not fit in kPathSize.
    bool pathFromName(uint32_t address, char (&out)[kPathSize]) const;
    // The host's file functions, kept from construction so that the files can
    // still be closed while the machine is taken down; null when the host
    // cannot serve files.
    const HostFileFunctions* files_;
    HostFileTable openFiles_;
};

} // namespace varno
