// Session files on disk: the test hook of saves.
//
// MemSession::Load maps the file and lets the pages the loader has passed
// go as it reads, so a large file does not stay in memory beside the
// session it describes. MemSession::Save streams the text into a temporary
// file beside the target (target + ".tmp" + process id), syncs it and
// renames it over the target; on every failure the temporary file is
// removed and the target is left as it was.
#ifndef KRVWD7_HOST_MEMSESSIONFILEIO_H_
#define KRVWD7_HOST_MEMSESSIONFILEIO_H_

#include <cstddef>

// Called before each block of a save's temporary file is written, with the
// number of bytes already written to it and the context given at
// registration. Answering false makes that write fail as a full disk
// would: the save then fails ("cannot write") and removes its temporary
// file. For tests and fault injection: one hook per process, none by
// default; MemSetSaveWriteHook(nullptr) removes it.
using MemSaveWriteHook = bool (*)(size_t iWritten, void* iContext);
void MemSetSaveWriteHook(MemSaveWriteHook iHook, void* iContext = nullptr);

#endif  // KRVWD7_HOST_MEMSESSIONFILEIO_H_
