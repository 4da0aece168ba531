#include <gtest/gtest.h>

#include "ui/headless/headless_shell.h"

namespace tavik::ui {
namespace {

const FormDesc& MainDesc() {
  static const FormDesc desc = [] {
    FormDesc f;
    f.name = "main";
    f.title = "主";
    f.kind = FormKind::MainWindow;
    f.outerWidth = 800;
    f.outerHeight = 600;
    ControlDesc button;
    button.name = "按钮";
    button.type = ControlType::Button;
    f.controls = {button};
    return f;
  }();
  return desc;
}

const FormDesc& DialogDesc() {
  static const FormDesc desc = [] {
    FormDesc f;
    f.name = "dialog";
    f.title = "对话框";
    f.outerWidth = 300;
    f.outerHeight = 200;
    ControlDesc button;
    button.name = "按钮";
    button.type = ControlType::Button;
    ControlDesc edit;
    edit.name = "编辑框";
    edit.type = ControlType::Edit;
    f.controls = {button, edit};
    return f;
  }();
  return desc;
}

TEST(HeadlessShell, ClientAreaFollowsTheWindowFrame) {
  HeadlessShell shell;
  Form main(MainDesc());
  int created = 0, sized = 0;
  main.onCreated = [&] {
    ++created;
    EXPECT_EQ(main.clientWidth, 792);  // already known to the created handler
  };
  main.onSized = [&] { ++sized; };
  shell.Show(main);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(sized, 0);
  EXPECT_EQ(main.clientHeight, 546);
  main.SetWindowRect(Rect{10, 10, 1000, 700});
  EXPECT_EQ(main.clientWidth, 992);
  EXPECT_EQ(main.clientHeight, 646);
  EXPECT_EQ(sized, 1);

  shell.metrics.frameWidth = 10;
  shell.metrics.frameHeight = 40;
  main.SetWindowRect(Rect{10, 10, 1000, 700});
  EXPECT_EQ(main.clientWidth, 990);
  EXPECT_EQ(main.clientHeight, 660);
}

TEST(HeadlessShell, ModalDialogBlocksItsOwnerUntilClosed) {
  HeadlessShell shell;
  Form main(MainDesc());
  shell.Show(main);
  Form dialog(DialogDesc());
  int ownerClicks = 0, steps = 0;
  main["按钮"].onClick = [&] { ++ownerClicks; };
  dialog["按钮"].onClick = [&] { dialog.Close(); };
  dialog.onCreated = [&] { dialog.SetText(dialog["编辑框"], "已创建"); };
  shell.modalPump = [&](Form& top) {
    EXPECT_EQ(&top, &dialog);
    EXPECT_EQ(shell.Top(), &dialog);
    EXPECT_EQ(shell.Resolve("按钮"), &dialog["按钮"]);  // the topmost form first
    EXPECT_EQ(top["编辑框"].text, "已创建");
    main.UserClick(main["按钮"]);
    if (++steps == 3) top.UserClick(top["按钮"]);
    return true;
  };
  shell.RunModal(dialog, main);
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(ownerClicks, 0);
  EXPECT_EQ(shell.openForms, (std::vector<Form*>{&main}));
  main.UserClick(main["按钮"]);
  EXPECT_EQ(ownerClicks, 1);
}

TEST(HeadlessShell, DialogClosesWhenThePumpHasNothingMore) {
  HeadlessShell shell;
  Form main(MainDesc());
  shell.Show(main);
  Form dialog(DialogDesc());
  int destroying = 0;
  dialog.onDestroying = [&] { ++destroying; };
  shell.RunModal(dialog, main);  // no pump at all
  EXPECT_TRUE(dialog.closing());
  EXPECT_EQ(destroying, 1);
  shell.Destroy(dialog);  // forgotten already: nothing is raised twice
  EXPECT_EQ(destroying, 1);
  Form second(DialogDesc());
  int calls = 0;
  shell.modalPump = [&](Form&) { return ++calls < 2; };
  shell.RunModal(second, main);
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(second.closing());
  EXPECT_EQ(second.clientWidth, 300 - shell.dialogFrameWidth);
}

TEST(HeadlessShell, DestroyRaisesDestroyingOnce) {
  HeadlessShell shell;
  Form main(MainDesc());
  int destroying = 0;
  main.onDestroying = [&] { ++destroying; };
  shell.Destroy(main);  // never shown
  EXPECT_EQ(destroying, 0);
  shell.Show(main);
  shell.Destroy(main);
  shell.Destroy(main);
  EXPECT_EQ(destroying, 1);
  EXPECT_TRUE(shell.openForms.empty());
  EXPECT_EQ(main.observer(), nullptr);
}

TEST(HeadlessShell, MessageBoxesAreAnsweredFromTheQueueAndRecorded) {
  HeadlessShell shell;
  shell.messageAnswers = {MsgAnswer::Yes};
  EXPECT_EQ(shell.ShowMessage(nullptr, "标题", "确定吗？", MsgIcon::Warning, MsgButtons::YesNo),
            MsgAnswer::Yes);
  EXPECT_EQ(shell.ShowMessage(nullptr, "标题", "再问", MsgIcon::None, MsgButtons::YesNo), MsgAnswer::Ok);
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_EQ(shell.messages[0].text, "确定吗？");
  EXPECT_EQ(shell.messages[0].icon, MsgIcon::Warning);
  EXPECT_EQ(shell.messages[1].answer, MsgAnswer::Ok);
}

TEST(HeadlessShell, CommonDialogsTakeQueuedAnswersAndRecordRequests) {
  HeadlessShell shell;
  shell.openAnswers.push_back(std::vector<std::string>{"C:\\a\\1.mp3", "C:\\a\\2.mp3"});
  shell.openAnswers.push_back(std::nullopt);
  EXPECT_EQ(shell.OpenFiles(nullptr, "打开", "*.*", "C:\\a\\").size(), 2u);
  EXPECT_TRUE(shell.OpenFiles(nullptr, "打开", "*.*", "").empty());
  EXPECT_TRUE(shell.OpenFiles(nullptr, "打开", "*.*", "").empty());  // queue empty: cancel
  ASSERT_EQ(shell.openRequests.size(), 3u);
  EXPECT_EQ(shell.openRequests[0].initialDir, "C:\\a\\");

  shell.folderAnswers = {std::string("C:\\音乐")};
  EXPECT_EQ(shell.BrowseForFolder(nullptr, "选择目录"), std::optional<std::string>("C:\\音乐"));
  EXPECT_EQ(shell.BrowseForFolder(nullptr, "选择目录"), std::nullopt);
  EXPECT_EQ(shell.folderRequests.size(), 2u);

  FontChoice font{"宋体", 10, false, false};
  shell.fontAnswers = {FontChoice{"黑体", 12, true, false}, std::nullopt};
  EXPECT_TRUE(shell.PickFont(nullptr, font));
  EXPECT_EQ(font.face, "黑体");
  EXPECT_TRUE(font.bold);
  EXPECT_FALSE(shell.PickFont(nullptr, font));
  EXPECT_EQ(font.face, "黑体");  // a cancel leaves the choice alone
  ASSERT_EQ(shell.fontRequests.size(), 2u);
  EXPECT_EQ(shell.fontRequests[0].face, "宋体");
  EXPECT_EQ(shell.fontRequests[1].points, 12);

  int32_t colour = 0x808080;
  shell.colourAnswers = {0x0000FF};
  EXPECT_TRUE(shell.ChooseColour(nullptr, colour));
  EXPECT_EQ(colour, 0x0000FF);
  EXPECT_FALSE(shell.ChooseColour(nullptr, colour));
  EXPECT_EQ(shell.colourRequests, (std::vector<int32_t>{0x808080, 0x0000FF}));
}

TEST(HeadlessShell, WaitCursorNestsAndPopupsAreRecorded) {
  HeadlessShell shell;
  {
    WaitCursor outer(shell);
    WaitCursor inner(shell);
    EXPECT_TRUE(shell.WaitCursorShown());
  }
  EXPECT_FALSE(shell.WaitCursorShown());
  shell.EndWaitCursor();  // unbalanced end does not go below zero
  EXPECT_EQ(shell.waitDepth, 0);
  EXPECT_EQ(shell.waitCalls, 2);

  Form main(MainDesc());
  shell.PopupMenu(main, "右键菜单");
  EXPECT_EQ(shell.openPopup, "右键菜单");
  EXPECT_EQ(shell.popups.size(), 1u);
}

}  // namespace
}  // namespace tavik::ui
