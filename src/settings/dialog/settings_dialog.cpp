#include "settings/dialog/settings_dialog.h"

#include "text/gbk.h"
#include "forms/descriptions.h"

namespace tavik::dialogs {

namespace {

using ui::Control;
using ui::Form;

constexpr const char* kCountMark = "标记";

class SettingsDialog {
 public:
  SettingsDialog(ui::Shell& shell, Form& owner, Settings& settings, std::function<void()> apply)
      : shell_(shell),
        owner_(owner),
        settings_(settings),
        apply_(std::move(apply)),
        form_(ui::SettingsDialogDesc()),
        autoPreview_(form_["自动预览选择框"]),
        previewSome_(form_["预览指定数量单选框"]),
        previewAll_(form_["预览全部单选框"]),
        count_(form_["预览数量编辑框"]),
        backPicker_(form_["超级列表框背景颜色选择器"]),
        textPicker_(form_["超级列表框字体颜色选择器"]),
        fontHolder_(form_["字体通用对话框"]),
        applyButton_(form_["应用按钮"]) {
    font_.face = fontHolder_.desc->text;
    Wire();
  }

  void Run() { shell_.RunModal(form_, owner_); }

 private:
  void Wire() {
    form_.onCreated = [this] {
      LoadSettingsDialog();
      UpdatePreviewOptionStates();
      SetApplyEnabled(false);
    };
    autoPreview_.onClick = [this] {
      UpdatePreviewOptionStates();
      SetApplyEnabled(true);
    };
    previewAll_.onClick = [this] {
      SetApplyEnabled(true);
      form_.SetEnabled(count_, false);
    };
    previewSome_.onClick = [this] {
      SetApplyEnabled(true);
      form_.SetEnabled(count_, true);
    };
    // The first change is the program loading the count, which is not a
    // change of the user's.
    count_.onChange = [this] {
      if (count_.tag == kCountMark) SetApplyEnabled(true);
      form_.SetTag(count_, kCountMark);
    };
    for (Control* picker : {&backPicker_, &textPicker_}) {
      picker->onClick = [this, picker] {
        int32_t colour = picker->backColour;
        if (shell_.ChooseColour(&form_, colour)) form_.UserPickColour(*picker, colour);
      };
      picker->onSelChange = [this] { SetApplyEnabled(true); };
    }
    form_["字体按钮"].onClick = [this] { PickFont(); };
    form_["默认按钮"].onClick = [this] { RestoreDefaults(); };
    applyButton_.onClick = [this] {
      SetApplyEnabled(false);
      ui::WaitCursor wait(shell_);
      StoreSettingsDialog();
      apply_();
    };
    form_["确定按钮"].onClick = [this] {
      if (applyButton_.enabled) {
        StoreSettingsDialog();
        apply_();
      }
      form_.Close();
    };
    form_["取消按钮"].onClick = [this] { form_.Close(); };
    form_.onEscape = [this] { form_.Close(); };
  }

  void SetApplyEnabled(bool enabled) { form_.SetEnabled(applyButton_, enabled); }

  // The holder control shows what the font dialog will open with.
  void SetFontChoice(const ui::FontChoice& font) {
    font_ = font;
    ui::Font shown;
    shown.face = font.face;
    shown.points = font.points;
    shown.bold = font.bold;
    shown.italic = font.italic;
    form_.SetFont(fontHolder_, shown);
  }

  void LoadSettingsDialog() {
    form_.SetChecked(autoPreview_, settings_.autoPreview == 1);
    form_.SetChecked(settings_.previewAll == 0 ? previewSome_ : previewAll_, true);
    form_.SetText(count_, text::NumberToText(settings_.previewCount));
    form_.SetBackColour(backPicker_, settings_.backColour);
    form_.SetBackColour(textPicker_, settings_.textColour);
    ui::FontChoice font = font_;
    font.face = settings_.fontName;
    font.points = settings_.fontSize;
    if (settings_.bold == 1 || settings_.italic == 1) {
      font.bold = settings_.bold != 0;
      font.italic = settings_.italic != 0;
    }
    SetFontChoice(font);
  }

  // The stored previewAll decides the count box, not the radio button the
  // user may have moved since.
  void UpdatePreviewOptionStates() {
    bool on = autoPreview_.checked;
    form_.SetEnabled(previewAll_, on);
    form_.SetEnabled(previewSome_, on);
    form_.SetEnabled(count_, on && settings_.previewAll != 1);
  }

  void StoreSettingsDialog() {
    settings_.autoPreview = autoPreview_.checked ? 1 : 0;
    settings_.previewAll = previewAll_.checked ? 1 : 0;
    settings_.previewCount = text::TextToInt(count_.text);
    settings_.backColour = backPicker_.backColour;
    settings_.textColour = textPicker_.backColour;
    settings_.fontName = font_.face;
    settings_.fontSize = font_.points;
    // bold and italic belong to the file alone; the dialog never sets them.
  }

  // Defaults go into the controls only; Settings waits for Apply or OK.
  void RestoreDefaults() {
    SetApplyEnabled(true);
    Settings d;
    DefaultSettings(d);
    form_.SetChecked(autoPreview_, d.autoPreview == 1);
    form_.SetChecked(previewSome_, true);
    form_.SetText(count_, text::NumberToText(d.previewCount));
    form_.SetChecked(previewAll_, false);
    form_.SetBackColour(backPicker_, d.backColour);
    form_.SetBackColour(textPicker_, d.textColour);
    ui::FontChoice font;
    font.face = d.fontName;
    font.points = d.fontSize;
    SetFontChoice(font);
    UpdatePreviewOptionStates();
  }

  // A confirmed face reaches Settings at once, even if the dialog is then
  // cancelled; the size waits for Apply or OK.
  void PickFont() {
    ui::FontChoice font = font_;
    if (!shell_.PickFont(&form_, font)) return;
    SetFontChoice(font);
    SetApplyEnabled(true);
    settings_.fontName = font_.face;
  }

  ui::Shell& shell_;
  Form& owner_;
  Settings& settings_;
  std::function<void()> apply_;
  Form form_;
  Control& autoPreview_;
  Control& previewSome_;
  Control& previewAll_;
  Control& count_;
  Control& backPicker_;
  Control& textPicker_;
  Control& fontHolder_;
  Control& applyButton_;
  // What the font dialog opens with and what it last confirmed; kept while
  // the dialog is open.
  ui::FontChoice font_;
};

}  // namespace

void OpenSettingsDialog(ui::Shell& shell, ui::Form& owner, Settings& settings,
                        std::function<void()> applySettings) {
  SettingsDialog dialog(shell, owner, settings, std::move(applySettings));
  dialog.Run();
}

}  // namespace tavik::dialogs
