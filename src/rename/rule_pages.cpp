#include "rename/rule_pages.h"

#include <algorithm>
#include <iterator>

#include "tags/mp3.h"

namespace tavik::rename {

using filelist::kPath;
using filelist::kTagStatus;

namespace {

constexpr int32_t kGrey = 0x808080;  // RGB 128, 128, 128
constexpr int32_t kBlack = 0;

// The general page's two groups: a group out of the scope has its boxes
// disabled and its labels grey.
struct Group {
  const char* boxes[4];
  const char* labels[5];
};
const Group kMainGroup = {{"文件名前缀编辑框", "文件名编辑框", "文件名位数调节编辑框", "文件名后缀编辑框"},
                          {"文件名分组框", "前缀1标签", "文件名标签", "文件名位数调节标签", "后缀1标签"}};
const Group kExtGroup = {{"扩展名前缀编辑框", "新扩展名编辑框", "扩展名位数调节编辑框", "扩展名后缀编辑框"},
                         {"扩展名分组框", "前缀2标签", "新扩展名标签", "扩展名位数标签", "后缀2标签"}};

void SetGroupActive(ui::Form& f, const Group& group, bool on) {
  for (const char* name : group.boxes) f.SetEnabled(f[name], on);
  for (const char* name : group.labels) f.SetTextColour(f[name], on ? kBlack : kGrey);
}

// The MP3 page's field buttons in the order of the fields they add, #1 to #6.
const char* const kFieldButtons[] = {"艺术家超级按钮", "歌曲名超级按钮", "专辑超级按钮",
                                     "音轨超级按钮",   "年代超级按钮",   "流派超级按钮"};

}  // namespace

RulePages::RulePages(ui::Form& form, FileSystem& fs, Settings& settings, filelist::FileList& list)
    : form_(form), fs_(fs), settings_(settings), list_(list), check_(fs), known_(fs) {
  list_.context().list.markTip = [this](int row) { return MarkText(row); };
  list_.onListed = [this](const std::string& folder, std::span<const std::string> files,
                          std::span<const std::string> directories) {
    check_.NoteListing(folder, files, directories);
  };
  list_.onPicked = [this](const std::string& folder, const std::string& name, bool seen) {
    check_.NotePicked(folder, name, seen);
  };
}

int RulePages::CurrentPage() { return form_["选择夹"].selected; }

GeneralPage RulePages::ReadGeneralPage() {
  ui::Form& f = form_;
  GeneralPage p;
  bool all = f["常规全部单选框"].checked;
  p.mainScope = f["常规文件名单选框"].checked || all;
  p.extScope = f["常规扩展名单选框"].checked || all;
  p.prefix = f["文件名前缀编辑框"].text;
  p.body = f["文件名编辑框"].text;
  p.digits = f["文件名位数调节编辑框"].text;
  p.suffix = f["文件名后缀编辑框"].text;
  p.extPrefix = f["扩展名前缀编辑框"].text;
  p.extBody = f["新扩展名编辑框"].text;
  p.extDigits = f["扩展名位数调节编辑框"].text;
  p.extSuffix = f["扩展名后缀编辑框"].text;
  p.start = f["起始量编辑框"].text;
  p.step = f["增量编辑框"].text;
  return p;
}

ReplacePage RulePages::ReadReplacePage() {
  ui::Form& f = form_;
  ReplacePage p;
  bool all = f["替换删除全部单选框"].checked;
  p.find = f["查找内容编辑框"].text;
  p.replace = f["替换为编辑框"].text;
  p.caseSensitive = f["区分大小写选择框"].checked;
  p.mainScope = f["仅文件名单选框"].checked || all;
  p.extScope = f["仅扩展名单选框"].checked || all;
  return p;
}

InsertPage RulePages::ReadInsertPage() {
  ui::Form& f = form_;
  InsertPage p;
  p.mainText = f["插入到文件名的字符编辑框"].text;
  p.extText = f["插入到扩展名的字符编辑框"].text;
  p.mainAtPosition = f["插入文件名位置单选框"].checked;
  p.mainAtEnd = f["插入文件名尾单选框"].checked;
  p.mainPosition = f["插入文件名位置编辑框"].text;
  p.extAtPosition = f["插入扩展名位置单选框"].checked;
  p.extAtEnd = f["插入扩展名尾单选框"].checked;
  p.extPosition = f["插入扩展名位置编辑框"].text;
  return p;
}

CasePage RulePages::ReadCasePage() {
  ui::Form& f = form_;
  CasePage p;
  p.mainUpper = f["文件名全部大写单选框"].checked;
  p.mainLower = f["文件名全部小写单选框"].checked;
  p.mainFirstUpper = f["文件名首字母大写单选框"].checked;
  p.mainFirstLower = f["文件名首字母小写单选框"].checked;
  p.extUpper = f["扩展名全部大写单选框"].checked;
  p.extLower = f["扩展名全部小写单选框"].checked;
  p.extFirstUpper = f["扩展名首字母大写单选框"].checked;
  p.extFirstLower = f["扩展名首字母小写单选框"].checked;
  return p;
}

void RulePages::ComputeNewNames(int32_t n) {
  const std::vector<std::string>& old = list_.oldNames;
  std::vector<std::string>& out = list_.newNames;
  size_t count = static_cast<size_t>(std::clamp<int32_t>(n, 0, list_.ItemCount()));
  switch (CurrentPage()) {
    case kGeneralPage:
      ComputeGeneral(ReadGeneralPage(), old, count, out);
      break;
    case kReplacePage:
      ComputeReplace(ReadReplacePage(), old, count, out);
      break;
    case kInsertPage:
      ComputeInsert(ReadInsertPage(), old, count, out);
      break;
    case kCasePage:
      ComputeCase(ReadCasePage(), old, count, out);
      break;
    case kMp3Page:
      ComputeMp3Names();
      break;
    default:
      break;
  }
}

void RulePages::ComputeMp3Names() {
  std::vector<std::string>& out = list_.newNames;
  const std::vector<std::string>& old = list_.oldNames;
  out.resize(old.size());
  std::vector<tags::RulePiece> pieces = tags::ParseMp3Rule(form_["MP3命名规则编辑框"].text);
  if (pieces.empty()) {
    for (std::string& name : out) name.clear();
    return;
  }
  const bool v1First = form_["V1优先单选框"].checked;
  ui::Control& list = list_.context().list;
  auto setStatus = [&](size_t i, const char* status) {
    if (form_.Rows(list)[i].cells[kTagStatus] != status)
      form_.SetCell(list, static_cast<int>(i), kTagStatus, status);
  };
  const size_t count = std::min(old.size(), static_cast<size_t>(form_.RowCount(list)));
  const std::vector<ui::ListRow>& rows = form_.Rows(list);
  known_.Bind(
      list_.generation, count, [&rows](size_t i) -> const std::string& { return rows[i].cells[kPath]; }, old);
  tags::Mp3Fields fields;
  for (size_t i = 0; i < count; ++i) {
    out[i].clear();
    if (!tags::IsMp3Name(old[i])) {
      setStatus(i, tags::kNotMp3Status);
      continue;
    }
    switch (known_.Lookup(i, rows[i].cells[kPath], old[i], v1First, fields)) {
      case tags::ReadResult::OpenFailed:
        break;  // the status stays as it was
      case tags::ReadResult::NoTag:
        setStatus(i, tags::kNoTagStatus);
        break;
      case tags::ReadResult::TagRead:
        out[i] = tags::BuildMp3Name(pieces, fields);
        setStatus(i, "");  // a mark from an earlier pass is wrong now
        break;
    }
  }
}

void RulePages::RefreshPreview(PreviewRows rows) {
  if (settings_.autoPreview != 1) return;
  const int32_t items = list_.ItemCount();
  int32_t n = items;
  // A negative count from a hand-edited config.ini previews nothing.
  if (rows == PreviewRows::UpToCount && settings_.previewAll != 1 && CurrentPage() != kMp3Page)
    n = std::min(items, std::max<int32_t>(settings_.previewCount, 0));
  if (items == 0) return;
  // Every row is the explicit preview's. Files may have changed behind the
  // program's back; the user sees them as they are when asking for a
  // preview, and the tags too when coming to the MP3 page.
  const bool asked = rows == PreviewRows::All;
  const int page = CurrentPage();
  if (asked || (page == kMp3Page && refreshedPage_ != kMp3Page)) known_.ReadAllAgain();
  refreshedPage_ = page;
  ComputeNewNames(n);
  list_.FillRows(filelist::kNewNames, 0, n - 1, std::string());
  MarkFailures(n, asked);
}

void RulePages::MarkFailures(int32_t n, bool relist) {
  if (relist) {
    check_.Forget();
  } else if (list_.generation != checkedGeneration_) {
    check_.ItemsChanged();
  }
  checkedGeneration_ = list_.generation;
  ui::Control& list = list_.context().list;
  const std::vector<ui::ListRow>& rows = form_.Rows(list);
  const size_t count = std::min(static_cast<size_t>(std::max(n, 0)), rows.size());
  if (count == 0) {
    forecasts_.clear();
    form_.SetMarks(list, {});
    return;
  }
  check_.Check(
      count, list_.oldNames, list_.newNames,
      [&rows](size_t i) -> const std::string& { return rows[i].cells[kPath]; }, forecasts_);
  std::vector<uint8_t> marked(forecasts_.size());
  for (size_t i = 0; i < marked.size(); ++i) marked[i] = forecasts_[i].failure != Failure::None;
  form_.SetMarks(list, std::move(marked));
}

std::string RulePages::MarkText(int row) {
  if (!form_.Marked(list_.context().list, row) || static_cast<size_t>(row) >= forecasts_.size()) return {};
  return FailureText(forecasts_[row]);
}

// Every box, radio button and check box on the pages changes the rule, so
// it refreshes the preview; a read-only box only shows. The controls named
// below, page by page, do more.
void RulePages::WirePageControls() {
  ui::Form& f = form_;
  auto refresh = [this] { RefreshPreview(); };
  ui::Control& tabs = f["选择夹"];
  tabs.onSelChange = refresh;
  for (auto& c : f.controls()) {
    if (!ui::OnTabPage(*c)) continue;
    if (c->Is(ui::ControlType::Edit) && !(c->desc->flags & ui::kReadOnly))
      c->onChange = refresh;
    else if (c->Is(ui::ControlType::Radio) || c->Is(ui::ControlType::CheckBox))
      c->onClick = refresh;
  }

  auto scope = [this] {
    ApplyGeneralScope();
    RefreshPreview();
  };
  for (const char* name : {"常规文件名单选框", "常规扩展名单选框", "常规全部单选框"}) f[name].onClick = scope;
  f["常规清空按钮"].onClick = [this] { ClearGeneralPage(); };

  f["插入到文件名的字符编辑框"].onChange = [this] { InsertMainTextChanged(); };
  f["保持一致选择框"].onClick = [this] { KeepEqualClicked(); };
  auto insertRadio = [this] {
    InsertRadiosChanged();
    RefreshPreview();
  };
  for (const char* name :
       {"插入文件名位置单选框", "插入文件名尾单选框", "插入扩展名位置单选框", "插入扩展名尾单选框"})
    f[name].onClick = insertRadio;

  f["MP3命名规则编辑框"].onChange = [this] { Mp3RuleChanged(); };
  f["预定义方案组合框"].onSelChange = [this] { SchemeChosen(); };
  for (const char* name : kFieldButtons) {
    ui::Control& button = f[name];
    button.onClick = [this, &button] { FieldButton(button); };
  }
}

// As the window opens only the main name's group is in the scope; its
// labels keep the window's default colour until a scope is chosen.
void RulePages::ShowStartState() { SetGroupActive(form_, kExtGroup, false); }

void RulePages::ApplyGeneralScope() {
  ui::Form& f = form_;
  bool all = f["常规全部单选框"].checked;
  SetGroupActive(f, kMainGroup, all || f["常规文件名单选框"].checked);
  SetGroupActive(f, kExtGroup, all || f["常规扩展名单选框"].checked);
}

void RulePages::ClearGeneralPage() {
  ui::Form& f = form_;
  // Nine changes, one preview.
  const int32_t saved = settings_.autoPreview;
  settings_.autoPreview = 0;
  for (const Group* group : {&kMainGroup, &kExtGroup})
    for (const char* name : group->boxes) f.SetText(f[name], "");
  f.SetText(f["起始量编辑框"], "");
  settings_.autoPreview = saved;
  RefreshPreview();
}

void RulePages::KeepEqualClicked() {
  ui::Form& f = form_;
  ui::Control& extText = f["插入到扩展名的字符编辑框"];
  if (f["保持一致选择框"].checked) {
    f.SetTextColour(f["插入扩展名标签"], kGrey);
    f.SetEnabled(extText, false);
    // The copy's own change event refreshes the preview.
    f.SetText(extText, f["插入到文件名的字符编辑框"].text);
  } else {
    f.SetTextColour(f["插入扩展名标签"], kBlack);
    f.SetEnabled(extText, true);
  }
}

void RulePages::InsertMainTextChanged() {
  ui::Form& f = form_;
  if (f["保持一致选择框"].checked)
    f.SetText(f["插入到扩展名的字符编辑框"], f["插入到文件名的字符编辑框"].text);
  RefreshPreview();
}

void RulePages::InsertRadiosChanged() {
  ui::Form& f = form_;
  f.SetEnabled(f["插入文件名位置编辑框"], f["插入文件名位置单选框"].checked);
  f.SetEnabled(f["插入扩展名位置编辑框"], f["插入扩展名位置单选框"].checked);
}

void RulePages::Mp3RuleChanged() {
  ui::Form& f = form_;
  ui::Control& rule = f["MP3命名规则编辑框"];
  if (rule.text.size() > tags::kMp3RuleMaxBytes) {
    // The shorter text raises this handler again, which does the rest.
    f.SetText(rule, tags::CutMp3Rule(rule.text));
    return;
  }
  f.SetText(f["参照编辑框"], tags::Mp3ReferenceText(rule.text));
  RefreshPreview();
}

void RulePages::SchemeChosen() {
  ui::Form& f = form_;
  ui::Control& combo = f["预定义方案组合框"];
  int index = combo.selected;
  if (index < 0 || index >= static_cast<int>(tags::kPredefinedMp3Rules.size())) return;
  ui::Control& rule = f["MP3命名规则编辑框"];
  // Setting the rule raises its change event: reference text and preview.
  f.SetText(rule, std::string(tags::kPredefinedMp3Rules[index]));
  f.SetSelected(combo, -1);
  f.SetFocus(rule);
}

void RulePages::FieldButton(ui::Control& button) {
  auto* found = std::find(std::begin(kFieldButtons), std::end(kFieldButtons), button.name);
  if (found == std::end(kFieldButtons)) return;
  ui::Control& rule = form_["MP3命名规则编辑框"];
  char field = static_cast<char>('1' + (found - std::begin(kFieldButtons)));
  form_.SetText(rule, tags::FieldButtonAppend(rule.text, field));
}

}  // namespace tavik::rename
