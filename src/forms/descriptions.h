// The fixed descriptions of the main window and the three dialogs: every
// control with its place, texts, tag and initial state. Forms are built from
// these each time they open.
#pragma once
#include "ui/form.h"

namespace tavik::ui {

const FormDesc& MainWindowDesc();
const FormDesc& SettingsDialogDesc();
const FormDesc& TagDialogDesc();     // MP3 tag information
const FormDesc& FilterDialogDesc();

}  // namespace tavik::ui
