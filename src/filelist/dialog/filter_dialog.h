// The filter dialog "过滤设置": removes the list items that match an
// extension or a contained text, or keeps only those. Files on disk are
// never touched.
#pragma once
#include <string_view>

#include "filelist/file_list.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::dialogs {

// Runs the dialog modally over owner and returns when it has closed.
void OpenFilterDialog(ui::Shell& shell, ui::Form& owner, filelist::FileList& list);

// The tests of one file name, ASCII letters folded: the text after the last
// "." equals ext (a name without "." never matches); text occurs in the
// name starting on a character.
bool ExtensionMatches(std::string_view name, std::string_view ext);
bool ContainsText(std::string_view name, std::string_view text);

}  // namespace tavik::dialogs
