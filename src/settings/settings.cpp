#include "settings/settings.h"

#include "text/gbk.h"

namespace tavik {

static const char kPreview[] = "预览选项";
static const char kColour[] = "颜色";
static const char kFont[] = "字体";
static const char kOn[] = "开";
static const char kOff[] = "关";

void DefaultSettings(Settings& s) {
  s.autoPreview = 0;
  s.previewAll = 0;
  s.previewCount = 10;
  s.textColour = 8388608;
  s.backColour = 8429696;
  s.fontName = "宋体";
  s.fontSize = 10;
  s.bold = 0;
  s.italic = 0;
}

std::string ConfigPath(const std::string& exeDir) {
  bool endsInSlash = !exeDir.empty() && text::FindLast(exeDir, '\\') == exeDir.size() - 1;
  return exeDir + (endsInSlash ? "config.ini" : "\\config.ini");
}

void LoadSettings(Settings& s, const std::string& exeDir, FileSystem& fs, Profile& profile) {
  std::string path = ConfigPath(exeDir);
  if (!fs.Exists(path)) {
    DefaultSettings(s);
    return;
  }
  auto get = [&](const char* section, const char* key, const char* fallback) {
    return profile.Get(path, section, key, fallback);
  };
  s.autoPreview = get(kPreview, "自动预览", kOff) == kOn ? 1 : 0;
  s.previewAll = get(kPreview, "全部预览", kOff) == kOn ? 1 : 0;
  s.previewCount = text::TextToInt(get(kPreview, "预览数量", "10"));
  s.backColour = text::TextToInt(get(kColour, "背景颜色", "8429696"));
  s.textColour = text::TextToInt(get(kColour, "字体颜色", "8388608"));
  s.fontName = get(kFont, "字体名称", "宋体");
  s.fontSize = text::TextToInt(get(kFont, "字体大小", "10"));
  // The words the program writes read back as well as the older ones, so a
  // bold or italic setting survives a restart.
  std::string style = get(kFont, "字体样式", "常规");
  s.bold = (style == "加粗" || style == "粗体" || style == "粗斜体") ? 1 : 0;
  s.italic = (style == "倾斜" || style == "斜体" || style == "粗斜体") ? 1 : 0;
}

void SaveSettings(const Settings& s, const std::string& exeDir, Profile& profile) {
  std::string path = ConfigPath(exeDir);
  auto put = [&](const char* section, const char* key, const std::string& value) {
    profile.Put(path, section, key, value);
  };
  put(kPreview, "自动预览", s.autoPreview == 1 ? kOn : kOff);
  put(kPreview, "全部预览", s.previewAll == 1 ? kOn : kOff);
  put(kPreview, "预览数量", text::NumberToText(s.previewCount));
  put(kColour, "背景颜色", text::NumberToText(s.backColour));
  put(kColour, "字体颜色", text::NumberToText(s.textColour));
  put(kFont, "字体名称", s.fontName);
  put(kFont, "字体大小", text::NumberToText(s.fontSize));
  const char* style = "常规";
  if (s.bold == 1 && s.italic == 1)
    style = "粗斜体";
  else if (s.bold == 1)
    style = "粗体";
  else if (s.italic == 1)
    style = "斜体";
  put(kFont, "字体样式", style);
}

}  // namespace tavik
