// The kinds of handle the portable platform layer owns, each a UniqueHandle with its close call
// written once here: file descriptors, directory streams and C streams.
#pragma once

#include <cstdio>

#include "base/unique_handle.h"

#ifndef _WIN32
#include <dirent.h>
#include <unistd.h>
#endif

namespace lumo::portable {

// A C stream from fopen or fdopen.
struct StdioFileTraits {
    using Handle = std::FILE*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle f) { std::fclose(f); }
};
using UniqueStdioFile = UniqueHandle<StdioFileTraits>;
// Closes a stream whose close must succeed (buffered data is written there): true when it did;
// the owner is empty either way.
inline bool CloseChecked(UniqueStdioFile& file) { return std::fclose(file.release()) == 0; }

#ifndef _WIN32
// A file descriptor from open, openat or dup.
struct FdTraits {
    using Handle = int;
    static Handle Invalid() { return -1; }
    static void Close(Handle fd) { ::close(fd); }
};
using UniqueFd = UniqueHandle<FdTraits>;
inline bool CloseChecked(UniqueFd& fd) { return ::close(fd.release()) == 0; }

// A directory stream from fdopendir (it owns the descriptor it was made from).
struct DirTraits {
    using Handle = DIR*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle dir) { ::closedir(dir); }
};
using UniqueDir = UniqueHandle<DirTraits>;
#endif

}  // namespace lumo::portable
