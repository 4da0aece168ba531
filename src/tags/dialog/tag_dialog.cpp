#include "tags/dialog/tag_dialog.h"

#include <algorithm>
#include <functional>

#include "forms/descriptions.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "text/gbk.h"

namespace tavik::tags {
namespace {

using ui::Control;

constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kSilver = 0xC0C0C0;

constexpr int kV1 = 0, kV2 = 1;

// The text fields of a tag and their edit boxes in the two groups (nullptr:
// ID3v1 has no such field). v1Bytes is the ID3v1 width a text copied there
// is cut to, 0 for none.
struct FieldBoxes {
  std::string TagFields::*field;
  const char* box[2];
  size_t v1Bytes;
};

constexpr FieldBoxes kFieldBoxes[] = {
    {&TagFields::track, {"音轨1编辑框", "音轨2编辑框"}, 0},
    {&TagFields::title, {"歌曲名1编辑框", "歌曲名2编辑框"}, 30},
    {&TagFields::artist, {"艺术家1编辑框", "艺术家2编辑框"}, 30},
    {&TagFields::album, {"专辑1编辑框", "专辑2编辑框"}, 30},
    {&TagFields::year, {"年代1编辑框", "年代2编辑框"}, 0},
    {&TagFields::comment, {"注释1编辑框", "注释2编辑框"}, 30},
    {&TagFields::rights, {nullptr, "版权编辑框"}, 0},
    {&TagFields::composer, {nullptr, "作曲家编辑框"}, 0},
    {&TagFields::origArtist, {nullptr, "原创者编辑框"}, 0},
    {&TagFields::url, {nullptr, "URL编辑框"}, 0},
    {&TagFields::encodedBy, {nullptr, "编码者编辑框"}, 0},
};

// The controls of a group besides its edit boxes.
struct GroupControls {
  const char* checkBox;
  const char* genre;
  const char* copyButton;
};

constexpr GroupControls kGroups[2] = {{"ID3v1选择框", "流派1组合框", "v1复制到v2按钮"},
                                      {"ID3v2选择框", "流派2组合框", "v2复制到v1按钮"}};

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
  shell_.ShowMessage(&f_, ui::kProgramTitle, text, icon, ui::MsgButtons::Ok);
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
  // Every edit box of a group shares one change handler.
  const std::function<void()> changed[2] = {[this] { V1Changed(); }, [this] { V2Changed(); }};
  for (const FieldBoxes& row : kFieldBoxes) {
    if (row.box[kV1]) f_[row.box[kV1]].onChange = changed[kV1];
    if (row.box[kV2])
      f_[row.box[kV2]].onChange = [this, field = row.field] {
        if (loaded_ && std::find(edited_.begin(), edited_.end(), field) == edited_.end())
          edited_.push_back(field);
        V2Changed();
      };
  }
  f_["流派2组合框"].onChange = changed[kV2];  // its text typed
  f_["流派1组合框"].onSelChange = [this] {
    int sel = f_["流派1组合框"].selected;
    if (sel == state_.lastGenre1) return;
    state_.lastGenre1 = sel;
    genrePicked_[kV1] = true;
    V1Changed();
  };
  f_["流派2组合框"].onSelChange = [this] {
    int sel = f_["流派2组合框"].selected;
    if (sel == state_.lastGenre2) return;
    state_.lastGenre2 = sel;
    genrePicked_[kV2] = true;
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
    shell_.ShowMessage(&f_, "错误", "打开文件：" + path_ + "失败！", ui::MsgIcon::Error, ui::MsgButtons::Ok);
    f_.Close();
    return;
  }
  TagFields v1;
  if (ReadId3v1(*file, v1)) {
    f_.SetChecked(f_["ID3v1选择框"], true);
    ShowFields(kV1, v1);
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
    ShowFields(kV2, v2);
    f_.SetText(f_["流派2组合框"], v2.genre);
  } else {
    f_.SetChecked(f_["ID3v2选择框"], false);
    SetV2FieldsEnabled();
  }
  file.reset();
  state_.lastGenre1 = f_["流派1组合框"].selected;
  state_.lastGenre2 = f_["流派2组合框"].selected;
  f_.SetEnabled(f_["更新按钮"], false);
  loaded_ = true;
}

void TagDialog::ShowFields(int group, const TagFields& t) {
  for (const FieldBoxes& row : kFieldBoxes)
    if (row.box[group]) f_.SetText(f_[row.box[group]], t.*row.field);
}

TagFields TagDialog::ReadFields(int group) {
  TagFields t;
  for (const FieldBoxes& row : kFieldBoxes)
    if (row.box[group]) t.*row.field = f_[row.box[group]].text;
  return t;
}

// A group's boxes follow its check box: white and enabled, or silver and
// disabled. Update becomes available either way.
void TagDialog::SetGroupEnabled(int group) {
  const GroupControls& g = kGroups[group];
  bool on = f_[g.checkBox].checked;
  for (const FieldBoxes& row : kFieldBoxes) {
    if (!row.box[group]) continue;
    Control& box = f_[row.box[group]];
    f_.SetBackColour(box, on ? kWhite : kSilver);
    f_.SetEnabled(box, on);
  }
  f_.SetEnabled(f_[g.genre], on);
  f_.SetEnabled(f_[g.copyButton], on);
  f_.SetEnabled(f_["更新按钮"], true);
}

void TagDialog::SetV1FieldsEnabled() { SetGroupEnabled(kV1); }

void TagDialog::SetV2FieldsEnabled() { SetGroupEnabled(kV2); }

// The ID3v1 fields are 30 bytes wide; a cut never leaves half a character.
void TagDialog::CopyGroup(int from, int to) {
  f_.SetChecked(f_[kGroups[to].checkBox], true);
  SetGroupEnabled(to);
  for (const FieldBoxes& row : kFieldBoxes) {
    if (!row.box[from] || !row.box[to]) continue;
    const std::string& text = f_[row.box[from]].text;
    f_.SetText(f_[row.box[to]], to == kV1 && row.v1Bytes ? text::CutBytes(text, row.v1Bytes) : text);
  }
  f_.SetSelected(f_[kGroups[to].genre], f_[kGroups[from].genre].selected);
  genrePicked_[to] = true;
}

void TagDialog::CopyV1ToV2() { CopyGroup(kV1, kV2); }

void TagDialog::CopyV2ToV1() { CopyGroup(kV2, kV1); }

void TagDialog::Update() {
  // Others may read the file meanwhile, but not write it. A file that
  // cannot be opened makes each tag operation fail with its message.
  auto file = fs_.Open(path_, FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenExisting);
  if (state_.v1Changed) {
    if (f_["ID3v1选择框"].checked) {
      const Control& genre = f_["流派1组合框"];
      int number =
          genrePicked_[kV1] && genre.selected >= 0 ? genre.items[genre.selected].value : loadedGenre1_;
      bool ok = file && WriteId3v1(*file, ReadFields(kV1), number);
      if (ok)
        Message("ID3v1标签更新成功！", ui::MsgIcon::None);
      else
        Message("ID3v1标签更新失败！", ui::MsgIcon::Error);
    } else if (!file || !DeleteId3v1(*file)) {
      Message("删除ID3v1标签失败！", ui::MsgIcon::Error);
    }
  }
  if (state_.v2Changed) {
    if (f_["ID3v2选择框"].checked) {
      TagFields t = ReadFields(kV2);
      // A field not edited in this opening keeps its frame as other readers
      // read it; its text here may have lost characters GBK lacks.
      KeptSlots keep;
      for (const FieldBoxes& row : kFieldBoxes)
        if (row.box[kV2] && std::find(edited_.begin(), edited_.end(), row.field) == edited_.end())
          keep.push_back(row.field);
      const Control& genre = f_["流派2组合框"];
      if (genrePicked_[kV2] && genre.selected >= 0) {
        const ui::ComboItem& item = genre.items[genre.selected];
        t.genre = "(" + text::NumberToText(item.value) + ")" + item.text;
      } else {
        t.genre = loadedTcon_;
        keep.push_back(&TagFields::genre);
      }
      if (file && WriteId3v2(*file, t, keep))
        Message("ID3v2标签更新成功！", ui::MsgIcon::None);
      else
        Message("ID3v2标签更新失败！", ui::MsgIcon::Error);
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
