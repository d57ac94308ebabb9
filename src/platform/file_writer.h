// Replaces files on a thread of its own, so that no frame waits for the disk.
#pragma once

#include <string>

namespace platform {

// Hands `bytes` to the writer thread, which replaces `path` with them through
// platform::fs::writeFileAtomic. Newest content wins: bytes queued for a path
// whose earlier write has not started yet replace that write. Returns at once.
void queueFileReplace(const std::string& path, std::string bytes);
// Waits until every write queued so far has finished (or failed).
void flushFileWrites();

}  // namespace platform
