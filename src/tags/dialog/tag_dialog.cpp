#include "tags/dialog/tag_dialog.h"

#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "text/gbk.h"
#include "forms/descriptions.h"

namespace tavik::tags {
namespace {

using ui::Control;

constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kSilver = 0xC0C0C0;
const char kTitle[] = "Tavik批量更名器";

const char* const kV1Edits[] = {"歌曲名1编辑框", "艺术家1编辑框", "专辑1编辑框",
                                "年代1编辑框",   "音轨1编辑框",   "注释1编辑框"};
const char* const kV2Edits[] = {"音轨2编辑框", "歌曲名2编辑框", "艺术家2编辑框", "专辑2编辑框",
                                "年代2编辑框", "注释2编辑框",   "版权编辑框",    "作曲家编辑框",
                                "原创者编辑框", "URL编辑框",    "编码者编辑框"};

int ItemWithValue(const Control& combo, int value) {
  for (size_t i = 0; i < combo.items.size(); ++i)
    if (combo.items[i].value == value) return static_cast<int>(i);
  return -1;
}

}  // namespace

TagDialog::TagDialog(ui::Form& form, ui::Shell& shell, FileSystem& fs, std::string fullPath,
                     TagDialogState& state)
    : f_(form), shell_(shell), fs_(fs), path_(std::move(fullPath)), state_(state) {
  Wire();
}

void TagDialog::Message(const char* text, ui::MsgIcon icon) {
  shell_.ShowMessage(&f_, kTitle, text, icon, ui::MsgButtons::Ok);
}

void TagDialog::V1Changed() {
  if (!f_["更新按钮"].enabled) f_.SetEnabled(f_["更新按钮"], true);
  state_.v1Changed = 1;
}

void TagDialog::V2Changed() {
  f_.SetEnabled(f_["更新按钮"], true);
  state_.v2Changed = 1;
}

void TagDialog::Wire() {
  // Every edit box of a group shares its track box's change handler.
  f_["音轨1编辑框"].onChange = [this] { V1Changed(); };
  f_["音轨2编辑框"].onChange = [this] { V2Changed(); };
  for (const char* name : kV1Edits) f_[name].onChange = f_["音轨1编辑框"].onChange;
  for (const char* name : kV2Edits) f_[name].onChange = f_["音轨2编辑框"].onChange;
  f_["流派2组合框"].onChange = f_["音轨2编辑框"].onChange;  // its text typed
  f_["流派1组合框"].onSelChange = [this] {
    int sel = f_["流派1组合框"].selected;
    if (sel == state_.lastGenre1) return;
    state_.lastGenre1 = sel;
    genrePicked1_ = true;
    V1Changed();
  };
  f_["流派2组合框"].onSelChange = [this] {
    int sel = f_["流派2组合框"].selected;
    if (sel == state_.lastGenre2) return;
    state_.lastGenre2 = sel;
    genrePicked2_ = true;
    V2Changed();
  };
  f_["ID3v1选择框"].onClick = [this] { SetV1FieldsEnabled(); };
  f_["ID3v2选择框"].onClick = [this] { SetV2FieldsEnabled(); };
  f_["v1复制到v2按钮"].onClick = [this] { CopyV1ToV2(); };
  f_["v2复制到v1按钮"].onClick = [this] { CopyV2ToV1(); };
  f_["更新按钮"].onClick = [this] { Update(); };
  f_["关闭按钮"].onClick = [this] { f_.Close(); };
  f_.onEscape = [this] { f_.Close(); };
  f_.onCreated = [this] { Load(); };
}

void TagDialog::Load() {
  f_.SetText(f_["MP3文件名编辑框"], path_);
  auto file = fs_.Open(path_, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  if (!file) {
    shell_.ShowMessage(&f_, "错误", "打开文件：" + path_ + "失败！", ui::MsgIcon::Error,
                      ui::MsgButtons::Ok);
    f_.Close();
    return;
  }
  TagFields v1;
  if (ReadId3v1(*file, v1)) {
    f_.SetChecked(f_["ID3v1选择框"], true);
    f_.SetText(f_["歌曲名1编辑框"], v1.title);
    f_.SetText(f_["艺术家1编辑框"], v1.artist);
    f_.SetText(f_["专辑1编辑框"], v1.album);
    f_.SetText(f_["年代1编辑框"], v1.year);
    f_.SetText(f_["音轨1编辑框"], v1.track);
    f_.SetText(f_["注释1编辑框"], v1.comment);
    loadedGenre1_ = text::TextToInt(v1.genre);
    if (loadedGenre1_ >= 0 && loadedGenre1_ < kGenreCount)
      f_.SetSelected(f_["流派1组合框"], ItemWithValue(f_["流派1组合框"], loadedGenre1_));
  } else {
    f_.SetChecked(f_["ID3v1选择框"], false);
    SetV1FieldsEnabled();
  }
  TagFields v2;
  if (ReadId3v2(*file, v2, &loadedTcon_)) {
    f_.SetChecked(f_["ID3v2选择框"], true);
    f_.SetText(f_["音轨2编辑框"], v2.track);
    f_.SetText(f_["歌曲名2编辑框"], v2.title);
    f_.SetText(f_["艺术家2编辑框"], v2.artist);
    f_.SetText(f_["专辑2编辑框"], v2.album);
    f_.SetText(f_["年代2编辑框"], v2.year);
    f_.SetText(f_["注释2编辑框"], v2.comment);
    f_.SetText(f_["版权编辑框"], v2.rights);
    f_.SetText(f_["作曲家编辑框"], v2.composer);
    f_.SetText(f_["原创者编辑框"], v2.origArtist);
    f_.SetText(f_["URL编辑框"], v2.url);
    f_.SetText(f_["编码者编辑框"], v2.encodedBy);
    f_.SetText(f_["流派2组合框"], v2.genre);
  } else {
    f_.SetChecked(f_["ID3v2选择框"], false);
    SetV2FieldsEnabled();
  }
  file.reset();
  state_.lastGenre1 = f_["流派1组合框"].selected;
  state_.lastGenre2 = f_["流派2组合框"].selected;
  f_.SetEnabled(f_["更新按钮"], false);
}

// A group's boxes follow its check box: white and enabled, or silver and
// disabled. Update becomes available either way.
template <size_t N>
static void SetGroupEnabled(ui::Form& f, const char* box, const char* const (&edits)[N],
                            const char* genre, const char* copyButton) {
  bool on = f[box].checked;
  for (const char* name : edits) {
    f.SetBackColour(f[name], on ? kWhite : kSilver);
    f.SetEnabled(f[name], on);
  }
  f.SetEnabled(f[genre], on);
  f.SetEnabled(f[copyButton], on);
  f.SetEnabled(f["更新按钮"], true);
}

void TagDialog::SetV1FieldsEnabled() {
  SetGroupEnabled(f_, "ID3v1选择框", kV1Edits, "流派1组合框", "v1复制到v2按钮");
}

void TagDialog::SetV2FieldsEnabled() {
  SetGroupEnabled(f_, "ID3v2选择框", kV2Edits, "流派2组合框", "v2复制到v1按钮");
}

void TagDialog::CopyV1ToV2() {
  f_.SetChecked(f_["ID3v2选择框"], true);
  SetV2FieldsEnabled();
  f_.SetText(f_["音轨2编辑框"], f_["音轨1编辑框"].text);
  f_.SetText(f_["歌曲名2编辑框"], f_["歌曲名1编辑框"].text);
  f_.SetText(f_["艺术家2编辑框"], f_["艺术家1编辑框"].text);
  f_.SetText(f_["专辑2编辑框"], f_["专辑1编辑框"].text);
  f_.SetText(f_["年代2编辑框"], f_["年代1编辑框"].text);
  f_.SetSelected(f_["流派2组合框"], f_["流派1组合框"].selected);
  genrePicked2_ = true;
  f_.SetText(f_["注释2编辑框"], f_["注释1编辑框"].text);
}

void TagDialog::CopyV2ToV1() {
  // The ID3v1 fields are 30 bytes wide; a cut never leaves half a character.
  f_.SetChecked(f_["ID3v1选择框"], true);
  SetV1FieldsEnabled();
  f_.SetText(f_["音轨1编辑框"], f_["音轨2编辑框"].text);
  f_.SetText(f_["歌曲名1编辑框"], text::CutBytes(f_["歌曲名2编辑框"].text, 30));
  f_.SetText(f_["艺术家1编辑框"], text::CutBytes(f_["艺术家2编辑框"].text, 30));
  f_.SetText(f_["专辑1编辑框"], text::CutBytes(f_["专辑2编辑框"].text, 30));
  f_.SetText(f_["年代1编辑框"], f_["年代2编辑框"].text);
  f_.SetSelected(f_["流派1组合框"], f_["流派2组合框"].selected);
  genrePicked1_ = true;
  f_.SetText(f_["注释1编辑框"], text::CutBytes(f_["注释2编辑框"].text, 30));
}

void TagDialog::Update() {
  // Others may read the file meanwhile, but not write it. A file that
  // cannot be opened makes each tag operation fail with its message.
  auto file = fs_.Open(path_, FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenExisting);
  if (state_.v1Changed) {
    if (f_["ID3v1选择框"].checked) {
      const Control& genre = f_["流派1组合框"];
      int number = genrePicked1_ && genre.selected >= 0 ? genre.items[genre.selected].value
                                                        : loadedGenre1_;
      bool ok = file && WriteId3v1(*file, f_["歌曲名1编辑框"].text, f_["艺术家1编辑框"].text,
                                   f_["专辑1编辑框"].text, f_["年代1编辑框"].text,
                                   f_["注释1编辑框"].text, f_["音轨1编辑框"].text, number);
      if (ok) Message("ID3v1标签更新成功！", ui::MsgIcon::None);
      else Message("ID3v1标签更新失败！", ui::MsgIcon::Error);
    } else if (!file || !DeleteId3v1(*file)) {
      Message("删除ID3v1标签失败！", ui::MsgIcon::Error);
    }
  }
  if (state_.v2Changed) {
    if (f_["ID3v2选择框"].checked) {
      TagFields t;
      t.track = f_["音轨2编辑框"].text;
      t.title = f_["歌曲名2编辑框"].text;
      t.artist = f_["艺术家2编辑框"].text;
      t.album = f_["专辑2编辑框"].text;
      t.year = f_["年代2编辑框"].text;
      t.comment = f_["注释2编辑框"].text;
      t.rights = f_["版权编辑框"].text;
      t.composer = f_["作曲家编辑框"].text;
      t.origArtist = f_["原创者编辑框"].text;
      t.url = f_["URL编辑框"].text;
      t.encodedBy = f_["编码者编辑框"].text;
      const Control& genre = f_["流派2组合框"];
      if (genrePicked2_ && genre.selected >= 0) {
        const ui::ComboItem& item = genre.items[genre.selected];
        t.genre = "(" + text::NumberToText(item.value) + ")" + item.text;
      } else {
        t.genre = loadedTcon_;
      }
      if (file && WriteId3v2(*file, t)) Message("ID3v2标签更新成功！", ui::MsgIcon::None);
      else Message("ID3v2标签更新失败！", ui::MsgIcon::Error);
    } else if (!file || !DeleteId3v2(*file)) {
      Message("删除ID3v2标签失败！", ui::MsgIcon::Error);
    }
  }
}

void OpenTagDialog(ui::Shell& shell, ui::Form& owner, FileSystem& fs, const std::string& fullPath,
                   TagDialogState& state) {
  ui::Form form(ui::TagDialogDesc());
  TagDialog dialog(form, shell, fs, fullPath, state);
  shell.RunModal(form, owner);
}

}  // namespace tavik::tags
