#include "filelist/dialog/filter_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings_dialog/dialog_script.h"
#include "forms/descriptions.h"
#include "ui/headless/headless_shell.h"

namespace tavik::dialogs {
namespace {

using testing::DialogScript;
using ui::Form;
using Names = std::vector<std::string>;

constexpr int kRemove = 0, kKeep = 1;

class FilterDialogTest : public ::testing::Test {
 protected:
  FilterDialogTest() {
    for (int entry : {3, 4, 5}) main.SetToolbarEnabled(entry, true);
  }

  // Each item gets its own new name "new-<old>", so a row that lost its
  // table entries shows at once.
  void Add(const Names& names) {
    std::vector<std::string> paths;
    for (const std::string& n : names) paths.push_back("D:\\Music\\" + n);
    int first = list.ItemCount();
    list.AddPaths(paths);
    for (int r = first; r < list.ItemCount(); ++r) {
      list.newNames[r] = "new-" + list.oldNames[r];
      main.SetCell(rows(), r, filelist::kNewName, list.newNames[r]);
    }
  }

  ui::Control& rows() { return main[ui::kFileList]; }

  // The names left, checked against the rows and the other tables.
  Names Left() {
    EXPECT_EQ(main.RowCount(rows()), list.ItemCount());
    EXPECT_EQ(list.newNames.size(), list.oldNames.size());
    for (int r = 0; r < list.ItemCount() && r < main.RowCount(rows()); ++r) {
      const ui::ListRow& row = main.Rows(rows())[r];
      EXPECT_EQ(row.cells[filelist::kOldName], list.oldNames[r]);
      EXPECT_EQ(list.newNames[r], "new-" + list.oldNames[r]);
      EXPECT_EQ(row.cells[filelist::kNewName], list.newNames[r]);
    }
    return list.oldNames;
  }

  void Open(DialogScript& script) {
    OpenFilterDialog(shell, main, list);
    EXPECT_EQ(script.ran(), script.added()) << "the dialog closed before the script ended";
    EXPECT_EQ(shell.waitDepth, 0);
  }

  // One run: operation, then extension or contained text, then OK.
  static void Run(Form& d, int operation, const char* radio, const char* input, const std::string& what) {
    d.UserChoose(d["操作方式组合框"], operation);
    d.UserClick(d[radio]);
    d.UserType(d[input], what);
    d.UserClick(d["确定按钮"]);
  }
  static void ByExtension(Form& d, int operation, const std::string& ext) {
    Run(d, operation, "扩展名单选框", "扩展名组合框", ext);
  }
  static void ByText(Form& d, int operation, const std::string& text) {
    Run(d, operation, "包含内容单选框", "包含内容编辑框", text);
  }

  // Runs one filter in a fresh dialog that closes after it.
  void Filter(std::function<void(Form&)> run) {
    DialogScript script(shell);
    script.Then([run](Form& d) {
      run(d);
      EXPECT_TRUE(d.closing()) << "the close box is checked when the dialog opens";
    });
    Open(script);
  }

  ui::HeadlessShell shell;
  Settings settings;
  Form main{ui::MainWindowDesc()};
  filelist::FileList list{filelist::ListContext{main, rows(), shell, SystemFileSystem(), settings, "",
                                                [] {}}};
};

TEST_F(FilterDialogTest, OpensWithRemoveSelectedAndCloseChecked) {
  DialogScript script(shell);
  script.Then([](Form& d) {
    EXPECT_EQ(d["操作方式组合框"].selected, 0);
    EXPECT_EQ(d["操作方式组合框"].text, "删除");
    EXPECT_TRUE(d["过滤完成后关闭对话框选择框"].checked);
    EXPECT_TRUE(d["扩展名单选框"].checked);
    EXPECT_TRUE(d["扩展名组合框"].enabled);
    EXPECT_TRUE(d["包含内容编辑框"].enabled);
    d.UserClick(d["包含内容单选框"]);
    EXPECT_FALSE(d["扩展名组合框"].enabled);
    EXPECT_TRUE(d["包含内容编辑框"].enabled);
    d.UserClick(d["扩展名单选框"]);
    EXPECT_TRUE(d["扩展名组合框"].enabled);
    EXPECT_FALSE(d["包含内容编辑框"].enabled);
  });
  Open(script);
}

TEST_F(FilterDialogTest, RemoveByExtensionIgnoresCaseAndNeedsADot) {
  Add({"a.MP3", "c.mp3.txt", "b.mp3", "mp3", "live.set.Mp3"});
  Filter([](Form& d) { ByExtension(d, kRemove, "mp3"); });
  EXPECT_EQ(Left(), (Names{"c.mp3.txt", "mp3"}));
  EXPECT_EQ(main.status()[0].text, "2个文件");
  EXPECT_GT(shell.waitCalls, 0);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(main.toolbar()[5].enabled);
}

TEST_F(FilterDialogTest, KeepByExtensionRemovesEverythingElse) {
  Add({"x.JPG", "y.jpg.bak", "noext", "z.jpg", "w.png", "v.jPg"});
  Filter([](Form& d) {
    d.UserChoose(d["操作方式组合框"], kKeep);
    d.UserChoose(d["扩展名组合框"], 2);  // "jpg" from the list
    d.UserClick(d["确定按钮"]);
  });
  EXPECT_EQ(Left(), (Names{"x.JPG", "z.jpg", "v.jPg"}));
}

TEST_F(FilterDialogTest, LeadingDotMatchesNothing) {
  Add({"a.txt", "b.doc"});
  Filter([](Form& d) { ByExtension(d, kRemove, ".txt"); });
  EXPECT_EQ(Left(), (Names{"a.txt", "b.doc"}));
  Filter([](Form& d) { ByExtension(d, kKeep, ".txt"); });
  EXPECT_EQ(Left(), Names{});
}

TEST_F(FilterDialogTest, NameEndingInADotHasNoExtension) {
  Add({"a.txt.", "b.", "c.txt"});
  Filter([](Form& d) { ByExtension(d, kKeep, "txt"); });
  EXPECT_EQ(Left(), (Names{"c.txt"}));
}

TEST_F(FilterDialogTest, ExtensionComparesDoubleByteCharactersWhole) {
  // 0x81 0x61 and 0x81 0x41 are two different characters whose trail bytes
  // are "a" and "A".
  Add({"x.\x81\x61", "y.\x81\x41", "z.\xB8\xE8"});
  Filter([](Form& d) { ByExtension(d, kRemove, "\x81\x41"); });
  EXPECT_EQ(Left(), (Names{"x.\x81\x61", "z.\xB8\xE8"}));
  Filter([](Form& d) { ByExtension(d, kRemove, "歌"); });
  EXPECT_EQ(Left(), (Names{"x.\x81\x61"}));
}

TEST_F(FilterDialogTest, ContainedTextIsFoldedAndSearchedInTheWholeName) {
  Add({"xABCy.doc", "report.doc", "abd.txt", "notes.txt"});
  Filter([](Form& d) { ByText(d, kRemove, "abc"); });
  EXPECT_EQ(Left(), (Names{"report.doc", "abd.txt", "notes.txt"}));
  Filter([](Form& d) { ByText(d, kKeep, "DOC"); });
  EXPECT_EQ(Left(), (Names{"report.doc"}));
}

TEST_F(FilterDialogTest, ContainedTextNeverStartsInsideACharacter) {
  // The trail byte of 0x81 0x41 equals "A"; 0xB0 0xC7 0xFA 0xA1 holds the
  // bytes of "曲" (0xC7 0xFA) across its two characters.
  Add({"\x81\x41.txt", "a.txt", "歌曲.mp3", "\xB0\xC7\xFA\xA1.txt"});
  Filter([](Form& d) { ByText(d, kRemove, "a"); });
  EXPECT_EQ(Left(), (Names{"\x81\x41.txt", "歌曲.mp3", "\xB0\xC7\xFA\xA1.txt"}));
  Filter([](Form& d) { ByText(d, kKeep, "曲"); });
  EXPECT_EQ(Left(), (Names{"歌曲.mp3"}));
}

TEST_F(FilterDialogTest, WarningsComeInOrderAndLeaveTheDialogOpen) {
  Add({"a.txt"});
  DialogScript script(shell);
  script
      .Then([](Form& d) {
        // Typing into the operation box leaves no item selected.
        d.UserType(d["操作方式组合框"], "删");
        d.UserClick(d["确定按钮"]);  // extension empty too: only the first warning
        EXPECT_FALSE(d.closing());
      })
      .Then([](Form& d) {
        d.UserChoose(d["操作方式组合框"], kRemove);
        d.UserClick(d["确定按钮"]);
        EXPECT_FALSE(d.closing());
      })
      .Then([](Form& d) {
        d.UserClick(d["包含内容单选框"]);
        d.UserClick(d["确定按钮"]);
        EXPECT_FALSE(d.closing());
        EXPECT_EQ(d["操作方式组合框"].selected, kRemove);
        EXPECT_TRUE(d["包含内容单选框"].checked);
      });
  Open(script);
  ASSERT_EQ(shell.messages.size(), 3u);
  const char* texts[] = {"请选择操作方式！", "扩展名不能空！", "'包含内容'不能空！"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(shell.messages[i].text, texts[i]);
    EXPECT_EQ(shell.messages[i].title, "过滤设置");
    EXPECT_EQ(shell.messages[i].icon, ui::MsgIcon::Warning);
    EXPECT_EQ(shell.messages[i].buttons, ui::MsgButtons::Ok);
  }
  EXPECT_EQ(Left(), (Names{"a.txt"}));
  EXPECT_EQ(shell.waitCalls, 0);
}

TEST_F(FilterDialogTest, SecondRunWorksOnThePrunedList) {
  Add({"a.txt", "b.mp3", "c.TXT", "d.doc", "e.mp3"});
  DialogScript script(shell);
  script.Then([](Form& d) { d.UserClick(d["过滤完成后关闭对话框选择框"]); })
      .Then([this](Form& d) {
        ByExtension(d, kRemove, "txt");
        EXPECT_FALSE(d.closing());
        EXPECT_EQ(main.status()[0].text, "3个文件");
      })
      .Then([](Form& d) {
        ByText(d, kKeep, "mp");
        EXPECT_FALSE(d.closing());
      });
  Open(script);
  EXPECT_EQ(Left(), (Names{"b.mp3", "e.mp3"}));
}

TEST_F(FilterDialogTest, EmptyingTheListDisablesTheListButtons) {
  Add({"a.txt", "b.txt"});
  Filter([](Form& d) { ByExtension(d, kRemove, "TXT"); });
  EXPECT_EQ(Left(), Names{});
  EXPECT_EQ(main.status()[0].text, "0个文件");
  for (int entry : {3, 4, 5}) EXPECT_FALSE(main.toolbar()[entry].enabled) << entry;
  EXPECT_TRUE(main.toolbar()[0].enabled);
}

TEST_F(FilterDialogTest, EmptyListOnlyRewritesStatusAndButtons) {
  settings.autoPreview = 1;
  Filter([](Form& d) { ByText(d, kKeep, "x"); });
  EXPECT_EQ(main.status()[0].text, "0个文件");
  EXPECT_EQ(main.status()[2].text, "自动预览－开");
  for (int entry : {3, 4, 5}) EXPECT_FALSE(main.toolbar()[entry].enabled) << entry;
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(FilterDialogTest, CancelAndEscRemoveNothing) {
  Add({"a.txt"});
  for (bool esc : {false, true}) {
    DialogScript script(shell);
    script.Then([esc](Form& d) {
      d.UserType(d["扩展名组合框"], "txt");
      if (esc)
        d.UserEscape();
      else
        d.UserClick(d["取消按钮"]);
      EXPECT_TRUE(d.closing());
    });
    Open(script);
  }
  EXPECT_EQ(Left(), (Names{"a.txt"}));
  EXPECT_TRUE(main.toolbar()[5].enabled);
}

}  // namespace
}  // namespace tavik::dialogs
