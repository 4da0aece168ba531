// The MP3 page's Chinese texts, kept apart from the parsers so that those
// build with any compiler's execution character set.
#include <array>

#include "tags/mp3.h"
#include "text/gbk.h"

namespace tavik::tags {

const char kNoTagStatus[] = "无标签";
const char kNotMp3Status[] = "非MP3文件";

std::string Mp3ReferenceText(std::string_view rule) {
  static const std::array<const char*, 6> kNames = {"艺术家", "歌曲名", "专辑", "音轨", "年代", "流派"};
  std::string out(rule);
  for (size_t k = 0; k < kNames.size(); ++k) {
    const char placeholder[] = {'#', static_cast<char>('1' + k), 0};
    std::string_view name = kNames[k];
    for (size_t at = text::FindText(out, placeholder, false); at != text::npos;
         at = text::FindText(out, placeholder, false, at + name.size()))
      out.replace(at, 2, name);
  }
  return out;
}

}  // namespace tavik::tags
