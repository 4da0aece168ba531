// The preview options and the list's colours and font, kept in config.ini
// beside the executable.
#pragma once
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tavik {

struct Settings {
  int32_t autoPreview = 0;
  int32_t previewAll = 0;
  int32_t previewCount = 0;
  int32_t textColour = 0;  // 0x00BBGGRR
  int32_t backColour = 0;
  std::string fontName;
  int32_t fontSize = 0;
  int32_t bold = 0;
  int32_t italic = 0;
};

void DefaultSettings(Settings& s);
// exeDir + "config.ini", with one "\" between them.
std::string ConfigPath(const std::string& exeDir);
// Defaults when the file does not exist; nothing is created.
void LoadSettings(Settings& s, const std::string& exeDir, FileSystem& fs, Profile& profile);
// All eight keys, every time; a failed write is ignored.
void SaveSettings(const Settings& s, const std::string& exeDir, Profile& profile);

}  // namespace tavik
