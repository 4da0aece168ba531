#include "filelist/dialog/filter_dialog.h"

#include <functional>
#include <optional>

#include "text/gbk.h"
#include "forms/descriptions.h"

namespace tavik::dialogs {

bool ExtensionMatches(std::string_view name, std::string_view ext) {
  size_t dot = text::FindLast(name, '.');
  if (dot == text::npos) return false;
  return text::EqualsIgnoreAsciiCase(name.substr(dot + 1), ext);
}

bool ContainsText(std::string_view name, std::string_view text) {
  return text::FindText(name, text, true) != text::npos;
}

namespace {

using ui::Control;
using ui::Form;

constexpr const char* kTitle = "过滤设置";
constexpr int kOperationRemove = 0;

class FilterDialog {
 public:
  FilterDialog(ui::Shell& shell, Form& owner, filelist::FileList& list)
      : shell_(shell),
        owner_(owner),
        list_(list),
        form_(ui::FilterDialogDesc()),
        operation_(form_["操作方式组合框"]),
        byExtension_(form_["扩展名单选框"]),
        extension_(form_["扩展名组合框"]),
        byText_(form_["包含内容单选框"]),
        text_(form_["包含内容编辑框"]),
        closeAfter_(form_["过滤完成后关闭对话框选择框"]) {
    Wire();
  }

  void Run() { shell_.RunModal(form_, owner_); }

 private:
  void Wire() {
    form_.onCreated = [this] {
      form_.SetSelected(operation_, 0);
      form_.SetChecked(closeAfter_, true);
    };
    byExtension_.onClick = [this] {
      form_.SetEnabled(text_, false);
      form_.SetEnabled(extension_, true);
    };
    byText_.onClick = [this] {
      form_.SetEnabled(extension_, false);
      form_.SetEnabled(text_, true);
    };
    form_["确定按钮"].onClick = [this] { FilterList(); };
    form_["取消按钮"].onClick = [this] { form_.Close(); };
    form_.onEscape = [this] { form_.Close(); };
  }

  void Warn(const char* text) {
    shell_.ShowMessage(&form_, kTitle, text, ui::MsgIcon::Warning, ui::MsgButtons::Ok);
  }

  // Last item first, so the rows still to be visited keep their indices
  // while earlier ones go.
  void RemoveWhere(const std::function<bool(const std::string&)>& matches, int operation) {
    for (int row = list_.ItemCount() - 1; row >= 0; --row) {
      bool match = matches(list_.oldNames[row]);
      if (match == (operation == kOperationRemove)) list_.RemoveItem(row);
    }
  }

  void FilterList() {
    int operation = operation_.selected;
    if (operation < 0) {
      Warn("请选择操作方式！");
      return;
    }
    std::optional<ui::WaitCursor> wait;
    if (byExtension_.checked) {
      std::string ext = extension_.text;
      if (ext.empty()) {
        Warn("扩展名不能空！");
        return;
      }
      wait.emplace(shell_);
      RemoveWhere([&](const std::string& name) { return ExtensionMatches(name, ext); }, operation);
    } else if (byText_.checked) {
      std::string text = text_.text;
      if (text.empty()) {
        Warn("'包含内容'不能空！");
        return;
      }
      wait.emplace(shell_);
      RemoveWhere([&](const std::string& name) { return ContainsText(name, text); }, operation);
    }
    list_.UpdateStatusBar();
    // As with every removal that empties the list, undo goes too: on an
    // empty list it would restore nothing and still report success.
    if (list_.ItemCount() == 0) {
      Form& main = list_.context().form;
      for (int entry : {filelist::kRenameButton, filelist::kPreviewButton, filelist::kUndoButton})
        main.SetToolbarEnabled(entry, false);
    }
    wait.reset();
    if (closeAfter_.checked) form_.Close();
  }

  ui::Shell& shell_;
  Form& owner_;
  filelist::FileList& list_;
  Form form_;
  Control& operation_;
  Control& byExtension_;
  Control& extension_;
  Control& byText_;
  Control& text_;
  Control& closeAfter_;
};

}  // namespace

void OpenFilterDialog(ui::Shell& shell, ui::Form& owner, filelist::FileList& list) {
  FilterDialog dialog(shell, owner, list);
  dialog.Run();
}

}  // namespace tavik::dialogs
