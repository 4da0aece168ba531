// The fixed descriptions of the main window and the three dialogs: every
// control with its place, texts, tag and initial state. Forms are built from
// these each time they open.
#pragma once
#include "ui/form.h"

namespace tavik::ui {

inline constexpr char kProgramTitle[] = "Tavik批量更名器";  // the main window's, and every message box's

const FormDesc& MainWindowDesc();
// The main window's file list; its toolbar's entries are the file list's
// (filelist::ToolbarEntry).
inline constexpr char kFileList[] = "显示超级列表框";
const FormDesc& SettingsDialogDesc();
const FormDesc& TagDialogDesc();  // MP3 tag information
const FormDesc& FilterDialogDesc();
// The dialog with that title; nullptr when none has it.
const FormDesc* DialogTitled(std::string_view title);

}  // namespace tavik::ui
