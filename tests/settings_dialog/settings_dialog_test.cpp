#include "settings/dialog/settings_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "settings_dialog/dialog_script.h"
#include "forms/descriptions.h"
#include "ui/headless/headless_shell.h"

namespace tavik::dialogs {
namespace {

using testing::DialogScript;
using ui::Control;
using ui::Form;

bool Same(const Settings& a, const Settings& b) {
  return a.autoPreview == b.autoPreview && a.previewAll == b.previewAll &&
         a.previewCount == b.previewCount && a.textColour == b.textColour &&
         a.backColour == b.backColour && a.fontName == b.fontName && a.fontSize == b.fontSize &&
         a.bold == b.bold && a.italic == b.italic;
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialogTest() { DefaultSettings(settings); }

  // Opens the dialog and plays the script; every step must have run.
  void Open(DialogScript& script) {
    OpenSettingsDialog(shell, owner, settings, [this] {
      ++applied;
      appliedUnderWaitCursor = shell.WaitCursorShown();
    });
    EXPECT_EQ(script.ran(), script.added()) << "the dialog closed before the script ended";
    EXPECT_EQ(shell.waitDepth, 0);
    EXPECT_FALSE(owner.inputBlocked);
  }

  static void Click(Form& d, const char* name) { d.UserClick(d[name]); }
  static bool Enabled(Form& d, const char* name) { return d[name].enabled; }

  ui::HeadlessShell shell;
  Form owner{ui::MainWindowDesc()};
  Settings settings;
  int applied = 0;
  bool appliedUnderWaitCursor = false;
};

TEST_F(SettingsDialogTest, OpensWithTheStoredValuesAndApplyDisabled) {
  settings.autoPreview = 1;
  settings.previewAll = 1;
  settings.previewCount = 25;
  settings.backColour = 0x112233;
  settings.textColour = 0x445566;
  settings.fontName = "黑体";
  settings.fontSize = 14;
  DialogScript script(shell);
  script.Then([](Form& d) {
    EXPECT_TRUE(d["自动预览选择框"].checked);
    EXPECT_TRUE(d["预览全部单选框"].checked);
    EXPECT_FALSE(d["预览指定数量单选框"].checked);
    EXPECT_EQ(d["预览数量编辑框"].text, "25");
    // Loading the count was the box's first change: marked, Apply untouched.
    EXPECT_EQ(d["预览数量编辑框"].tag, "标记");
    EXPECT_FALSE(Enabled(d, "应用按钮"));
    EXPECT_EQ(d["超级列表框背景颜色选择器"].backColour, 0x112233);
    EXPECT_EQ(d["超级列表框字体颜色选择器"].backColour, 0x445566);
    EXPECT_TRUE(Enabled(d, "预览全部单选框"));
    EXPECT_TRUE(Enabled(d, "预览指定数量单选框"));
    EXPECT_FALSE(Enabled(d, "预览数量编辑框"));  // stored previewAll is 1
    Click(d, "字体按钮");  // cancelled: shows what the font dialog opens with
  });
  Open(script);
  ASSERT_EQ(shell.fontRequests.size(), 1u);
  EXPECT_EQ(shell.fontRequests[0].face, "黑体");
  EXPECT_EQ(shell.fontRequests[0].points, 14);
  EXPECT_FALSE(shell.fontRequests[0].bold);
  EXPECT_EQ(applied, 0);
}

TEST_F(SettingsDialogTest, StyleFlagsReachTheFontDialogOnlyWhenOneIsSet) {
  settings.bold = 0;
  settings.italic = 1;
  DialogScript script(shell);
  script.Then([](Form& d) { Click(d, "字体按钮"); });
  Open(script);
  ASSERT_EQ(shell.fontRequests.size(), 1u);
  EXPECT_FALSE(shell.fontRequests[0].bold);
  EXPECT_TRUE(shell.fontRequests[0].italic);
}

TEST_F(SettingsDialogTest, OkWithoutChangesStoresNothingAndDoesNotApply) {
  // Values that a store would rewrite: flags other than 0 and 1.
  settings.autoPreview = 2;
  settings.previewAll = 2;
  settings.previewCount = -3;
  settings.fontSize = 0;
  const Settings before = settings;
  DialogScript script(shell);
  script.Then([](Form& d) { Click(d, "确定按钮"); });
  Open(script);
  EXPECT_EQ(applied, 0);
  EXPECT_TRUE(Same(settings, before));
}

// Every change the user can make turns "应用" on; the cancelled platform
// dialogs do not.
TEST_F(SettingsDialogTest, ApplyButtonFollowsUnappliedChanges) {
  settings.autoPreview = 1;
  struct Case {
    const char* what;
    std::function<void(ui::HeadlessShell&, Form&)> act;
    bool enables;
  };
  const Case cases[] = {
      {"auto preview", [](ui::HeadlessShell&, Form& d) { Click(d, "自动预览选择框"); }, true},
      {"preview all", [](ui::HeadlessShell&, Form& d) { Click(d, "预览全部单选框"); }, true},
      {"preview some", [](ui::HeadlessShell&, Form& d) { Click(d, "预览指定数量单选框"); }, true},
      {"count typed", [](ui::HeadlessShell&, Form& d) { d.UserType(d["预览数量编辑框"], "12"); }, true},
      {"back colour",
       [](ui::HeadlessShell& s, Form& d) {
         s.colourAnswers.push_back(0x0000FF);
         Click(d, "超级列表框背景颜色选择器");
       },
       true},
      {"text colour",
       [](ui::HeadlessShell& s, Form& d) {
         s.colourAnswers.push_back(0x00FF00);
         Click(d, "超级列表框字体颜色选择器");
       },
       true},
      {"colour cancelled",
       [](ui::HeadlessShell& s, Form& d) {
         s.colourAnswers.push_back(std::nullopt);
         Click(d, "超级列表框背景颜色选择器");
       },
       false},
      {"font",
       [](ui::HeadlessShell& s, Form& d) {
         s.fontAnswers.push_back(ui::FontChoice{"楷体", 12, false, false});
         Click(d, "字体按钮");
       },
       true},
      {"font cancelled",
       [](ui::HeadlessShell& s, Form& d) {
         s.fontAnswers.push_back(std::nullopt);
         Click(d, "字体按钮");
       },
       false},
      {"defaults", [](ui::HeadlessShell&, Form& d) { Click(d, "默认按钮"); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings start = settings;
    DialogScript script(shell);
    script.Then([&](Form& d) {
      ASSERT_FALSE(Enabled(d, "应用按钮"));
      c.act(shell, d);
      EXPECT_EQ(Enabled(d, "应用按钮"), c.enables);
      if (!c.enables) return;
      Click(d, "应用按钮");
      EXPECT_FALSE(Enabled(d, "应用按钮"));
    });
    Open(script);
    EXPECT_EQ(applied, c.enables ? 1 : 0);
    applied = 0;
    settings = start;
  }
}

TEST_F(SettingsDialogTest, ApplyThenOkStoresOnce) {
  DialogScript script(shell);
  script.Then([](Form& d) { Click(d, "自动预览选择框"); })
      .Then([](Form& d) { d.UserType(d["预览数量编辑框"], "33"); })
      .Then([this](Form& d) {
        Click(d, "应用按钮");
        EXPECT_EQ(applied, 1);
        EXPECT_EQ(settings.autoPreview, 1);
        EXPECT_EQ(settings.previewCount, 33);
        // A change of Settings behind the dialog's back shows that OK now
        // stores nothing more.
        settings.previewCount = 99;
      })
      .Then([](Form& d) { Click(d, "确定按钮"); });
  Open(script);
  EXPECT_EQ(applied, 1);
  EXPECT_TRUE(appliedUnderWaitCursor);
  EXPECT_EQ(settings.previewCount, 99);
  EXPECT_EQ(shell.waitCalls, 1);
}

TEST_F(SettingsDialogTest, OkAfterAChangeStoresAndApplies) {
  shell.colourAnswers.push_back(0x0A0B0C);
  DialogScript script(shell);
  script.Then([](Form& d) { Click(d, "超级列表框字体颜色选择器"); })
      .Then([](Form& d) { Click(d, "确定按钮"); });
  Open(script);
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(settings.textColour, 0x0A0B0C);
  // The chooser opened on the picker's colour.
  ASSERT_EQ(shell.colourRequests.size(), 1u);
  EXPECT_EQ(shell.colourRequests[0], 8388608);
}

TEST_F(SettingsDialogTest, DefaultsThenOkStoresDefaultsButKeepsStyleFlags) {
  settings.autoPreview = 1;
  settings.previewAll = 1;
  settings.previewCount = 77;
  settings.backColour = 1;
  settings.textColour = 2;
  settings.fontName = "黑体";
  settings.fontSize = 20;
  settings.bold = 1;
  settings.italic = 1;
  DialogScript script(shell);
  script.Then([](Form& d) {
          Click(d, "默认按钮");
          EXPECT_FALSE(d["自动预览选择框"].checked);
          EXPECT_TRUE(d["预览指定数量单选框"].checked);
          EXPECT_FALSE(d["预览全部单选框"].checked);
          EXPECT_EQ(d["预览数量编辑框"].text, "10");
          // Automatic preview is now off in the dialog.
          EXPECT_FALSE(Enabled(d, "预览数量编辑框"));
          EXPECT_FALSE(Enabled(d, "预览全部单选框"));
        })
      .Then([this](Form& d) {
        Click(d, "字体按钮");  // cancelled; shows the font dialog's choice
        EXPECT_EQ(settings.fontName, "黑体") << "defaults must wait for OK";
      })
      .Then([](Form& d) { Click(d, "确定按钮"); });
  Open(script);
  ASSERT_EQ(shell.fontRequests.size(), 1u);
  EXPECT_EQ(shell.fontRequests[0].face, "宋体");
  EXPECT_EQ(shell.fontRequests[0].points, 10);
  EXPECT_FALSE(shell.fontRequests[0].bold);
  EXPECT_FALSE(shell.fontRequests[0].italic);

  EXPECT_EQ(applied, 1);
  Settings expected;
  DefaultSettings(expected);
  expected.bold = 1;
  expected.italic = 1;
  EXPECT_TRUE(Same(settings, expected));
}

TEST_F(SettingsDialogTest, FontFaceIsKeptWhenTheDialogIsCancelled) {
  shell.fontAnswers.push_back(ui::FontChoice{"黑体", 16, true, true});
  DialogScript script(shell);
  script.Then([](Form& d) { Click(d, "字体按钮"); }).Then([](Form& d) { Click(d, "取消按钮"); });
  Open(script);
  EXPECT_EQ(applied, 0);
  EXPECT_EQ(settings.fontName, "黑体");
  EXPECT_EQ(settings.fontSize, 10) << "only the face is taken at once";
  EXPECT_EQ(settings.bold, 0);
  EXPECT_EQ(settings.italic, 0);

  // The next opening starts from the kept face.
  shell.fontAnswers.push_back(std::nullopt);
  DialogScript again(shell);
  again.Then([](Form& d) { Click(d, "字体按钮"); });
  Open(again);
  ASSERT_EQ(shell.fontRequests.size(), 2u);
  EXPECT_EQ(shell.fontRequests[1].face, "黑体");
  EXPECT_EQ(shell.fontRequests[1].points, 10);
}

TEST_F(SettingsDialogTest, FontChoiceIsKeptBetweenFontDialogOpenings) {
  shell.fontAnswers.push_back(ui::FontChoice{"楷体", 18, true, false});
  shell.fontAnswers.push_back(std::nullopt);
  DialogScript script(shell);
  script.Then([](Form& d) { Click(d, "字体按钮"); })
      .Then([](Form& d) { Click(d, "字体按钮"); })
      .Then([](Form& d) { Click(d, "确定按钮"); });
  Open(script);
  ASSERT_EQ(shell.fontRequests.size(), 2u);
  EXPECT_EQ(shell.fontRequests[1].face, "楷体");
  EXPECT_EQ(shell.fontRequests[1].points, 18);
  EXPECT_TRUE(shell.fontRequests[1].bold);
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(settings.fontName, "楷体");
  EXPECT_EQ(settings.fontSize, 18);
  EXPECT_EQ(settings.bold, 0) << "the dialog never sets the style flags";
}

TEST_F(SettingsDialogTest, CountBoxFollowsTheStoredPreviewAll) {
  settings.autoPreview = 1;
  settings.previewAll = 0;
  DialogScript script(shell);
  script.Then([](Form& d) {
          EXPECT_TRUE(Enabled(d, "预览数量编辑框"));
          Click(d, "预览全部单选框");
          EXPECT_FALSE(Enabled(d, "预览数量编辑框"));
        })
      .Then([](Form& d) {
        Click(d, "自动预览选择框");  // off
        EXPECT_FALSE(Enabled(d, "预览数量编辑框"));
        EXPECT_FALSE(Enabled(d, "预览全部单选框"));
        EXPECT_FALSE(Enabled(d, "预览指定数量单选框"));
      })
      .Then([](Form& d) {
        Click(d, "自动预览选择框");  // on again: the stored 0 decides
        EXPECT_TRUE(d["预览全部单选框"].checked);
        EXPECT_TRUE(Enabled(d, "预览数量编辑框"));
      });
  Open(script);

  settings.previewAll = 1;
  settings.autoPreview = 0;
  DialogScript stored(shell);
  stored.Then([](Form& d) {
    EXPECT_FALSE(Enabled(d, "预览数量编辑框"));
    Click(d, "自动预览选择框");
    EXPECT_TRUE(Enabled(d, "预览全部单选框"));
    EXPECT_FALSE(Enabled(d, "预览数量编辑框"));
  });
  Open(stored);
}

TEST_F(SettingsDialogTest, DisabledPreviewOptionsAreStillStored) {
  settings.autoPreview = 1;
  DialogScript script(shell);
  script.Then([](Form& d) { Click(d, "预览全部单选框"); })
      .Then([](Form& d) { Click(d, "预览指定数量单选框"); })
      .Then([](Form& d) { d.UserType(d["预览数量编辑框"], "250"); })
      .Then([](Form& d) { Click(d, "预览全部单选框"); })
      .Then([](Form& d) { Click(d, "自动预览选择框"); })
      .Then([](Form& d) { Click(d, "确定按钮"); });
  Open(script);
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(settings.autoPreview, 0);
  EXPECT_EQ(settings.previewAll, 1);
  EXPECT_EQ(settings.previewCount, 250) << "no range check";
}

TEST_F(SettingsDialogTest, EmptyCountStoresZero) {
  settings.autoPreview = 1;
  DialogScript script(shell);
  script.Then([](Form& d) { d.UserType(d["预览数量编辑框"], ""); })
      .Then([](Form& d) { Click(d, "确定按钮"); });
  Open(script);
  EXPECT_EQ(settings.previewCount, 0);
}

TEST_F(SettingsDialogTest, CancelAndEscStoreNothing) {
  for (bool esc : {false, true}) {
    SCOPED_TRACE(esc ? "esc" : "cancel");
    const Settings before = settings;
    shell.colourAnswers.push_back(0x123456);
    DialogScript script(shell);
    script.Then([](Form& d) { Click(d, "默认按钮"); })
        .Then([](Form& d) { Click(d, "超级列表框背景颜色选择器"); })
        .Then([](Form& d) { Click(d, "自动预览选择框"); })
        .Then([esc](Form& d) {
          if (esc)
            d.UserEscape();
          else
            Click(d, "取消按钮");
          EXPECT_TRUE(d.closing());
        });
    Open(script);
    EXPECT_EQ(applied, 0);
    EXPECT_TRUE(Same(settings, before));
  }
}

}  // namespace
}  // namespace tavik::dialogs
