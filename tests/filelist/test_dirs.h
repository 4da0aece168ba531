// Creating directories with GBK names from tests, on both systems.
#pragma once
#include <string>

#include "platform/platform.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

namespace tavik::testing {

// One level; true when it exists afterwards.
inline bool MakeDirectory(const std::string& path) {
#ifdef _WIN32
  _mkdir(path.c_str());
#else
  mkdir(ToNativePath(path).c_str(), 0777);
#endif
  return SystemFileSystem().IsDirectory(path);
}

}  // namespace tavik::testing
