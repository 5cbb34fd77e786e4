// Opening a file a show names for reading: a regular file, or a refusal with
// its reason, never a wait on a FIFO or a device that never ends.
#pragma once

#include <cstdio>
#include <string>

#include "core/Text.h"

namespace velmora {

// A descriptor open for reading on the regular file at `path` (blocking reads,
// close-on-exec), or -1 with `outcome` saying what was there instead
// (CannotOpen with errno set, Directory, Device, Pipe, Socket). The open
// itself does not wait for a FIFO's writer.
int openRegularFile(const char* path, FileReadOutcome& outcome);

// The same as a stdio stream; nullptr with the reason in `why` ("is a FIFO,
// not a regular file", or the system's reason it cannot be opened).
std::FILE* openRegularStream(const char* path, std::string* why = nullptr);
// The same with what was there instead in `outcome`.
std::FILE* openRegularStream(const char* path, FileReadOutcome& outcome);

// A FIFO, a device or a socket: a file there that no picture or module can be
// (a missing file and a folder are told by the callers' own words).
inline bool isRefusedKind(FileReadOutcome outcome) {
    return outcome == FileReadOutcome::Pipe || outcome == FileReadOutcome::Device || outcome == FileReadOutcome::Socket;
}

// "is a directory, not a regular file" and the like; empty for Read.
std::string describeNotRegular(FileReadOutcome outcome);

}  // namespace velmora
