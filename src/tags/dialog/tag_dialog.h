// The MP3 tag information dialog: one file's ID3v1 and ID3v2 tags side by
// side, edited, copied between the two and written or removed by "更新".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tags/tag_fields.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::tags {

// The flags and recorded genre positions live for the whole run: the
// changed flags are never cleared once set.
struct TagDialogState {
  int32_t v1Changed = 0, v2Changed = 0;
  int32_t lastGenre1 = 0, lastGenre2 = 0;
};

// Shows the dialog modally over owner for the file at fullPath.
void OpenTagDialog(ui::Shell& shell, ui::Form& owner, FileSystem& fs, const std::string& fullPath,
                   TagDialogState& state);

// The dialog's behaviour on a form made from TagDialogDesc(), without
// running it: for the caller that runs it and for tests.
class TagDialog {
 public:
  TagDialog(ui::Form& form, ui::Shell& shell, FileSystem& fs, std::string fullPath, TagDialogState& state);
  void Load();    // LoadTagDialog: the created handler
  void Update();  // UpdateTags
  void SetV1FieldsEnabled();
  void SetV2FieldsEnabled();
  void CopyV1ToV2();
  void CopyV2ToV1();

 private:
  void Wire();
  void V1Changed();
  void V2Changed();
  void Message(const char* text, ui::MsgIcon icon);
  // group: 0 for ID3v1, 1 for ID3v2.
  void ShowFields(int group, const TagFields& t);
  TagFields ReadFields(int group);
  void SetGroupEnabled(int group);
  void CopyGroup(int from, int to);

  ui::Form& f_;
  ui::Shell& shell_;
  FileSystem& fs_;
  std::string path_;
  TagDialogState& state_;
  // A genre not picked (or copied) in this opening writes back what the
  // file held: the ID3v1 byte (-1 for none) and the TCON frame, or its text
  // where the frame cannot be kept.
  int loadedGenre1_ = -1;
  std::string loadedTcon_;
  bool genrePicked_[2] = {false, false};
  // The ID3v2 fields typed or copied into since loading finished.
  bool loaded_ = false;
  std::vector<std::string TagFields::*> edited_;
};

}  // namespace tavik::tags
