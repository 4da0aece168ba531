#include "forms/descriptions.h"

#include "tags/genres.h"

// The window tables are laid out by hand, one control a line.
// clang-format off
namespace tavik::ui {

namespace {

using T = ControlType;

constexpr int32_t Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// Builds one row of a description; the optional columns are added by name so
// each row reads as one line of the window's layout.
struct Row {
  ControlDesc d;
  Row(const char* name, T type, const char* parent, int left, int top, int width, int height,
      const char* text = "") {
    d.name = name;
    d.type = type;
    d.parent = parent;
    d.left = left;
    d.top = top;
    d.width = width;
    d.height = height;
    d.text = text;
  }
  Row& Tag(const char* tag) { d.tag = tag; return *this; }
  Row& Flags(uint32_t flags) { d.flags |= flags; return *this; }
  Row& Focus() { return Flags(kFocus); }
  Row& Max(int n) { d.maxLength = n; return *this; }
  Row& Numeric(int max) { d.maxLength = max; return Flags(kNumeric); }
  Row& Spin(int lo, int hi) { d.spinMin = lo; d.spinMax = hi; return Flags(kSpinner); }
  Row& TextColour(int32_t c) { d.textColour = c; return *this; }
  Row& BackColour(int32_t c) { d.backColour = c; return *this; }
  Row& FontPixels(const char* face, int px) { d.font.face = face; d.font.heightPixels = px; return *this; }
  Row& Items(std::vector<ComboItemDesc> items) { d.items = std::move(items); return *this; }
  operator ControlDesc() const { return d; }
};

// Items whose value is their position in the list.
std::vector<ComboItemDesc> Indexed(std::initializer_list<const char*> texts) {
  std::vector<ComboItemDesc> items;
  int i = 0;
  for (const char* t : texts) items.push_back(ComboItemDesc{t, i++});
  return items;
}

std::vector<ComboItemDesc> GenreItems() {
  std::vector<ComboItemDesc> items;
  for (int16_t number : tags::GenreList) items.push_back(ComboItemDesc{tags::GenreNames[number], number});
  return items;
}

FormDesc MakeMainWindow() {
  FormDesc f;
  f.name = "main";
  f.title = kProgramTitle;
  f.kind = FormKind::MainWindow;
  // The size the controls were laid out for (a client area of about
  // 590 x 375); start-up then gives the window 800 x 600, and the resize
  // rule widens the tab control and the list.
  f.outerWidth = 598;
  f.outerHeight = 429;
  f.showInTaskbar = true;

  const char* general = "常规";
  const char* replace = "替换/删除";
  const char* insert = "插入";
  const char* caseP = "大小写";
  const char* mp3 = "MP3标签";
  const char* boxName = "文件名分组框";
  const char* boxExt = "扩展名分组框";
  const char* fields = "外形框3";

  f.controls = {
      // Docked bars: the model keeps them at the client width (and the status
      // bar at the bottom), so only their heights matter here.
      Row("工具条", T::Toolbar, "", 0, 0, 0, 28),
      Row("选择夹", T::TabControl, "", 0, 29, 590, 130),

      Row(general, T::TabPage, "选择夹", 0, 0, 590, 130, general),
      Row("标签13", T::Label, general, 6, 32, 45, 12, "作用于："),
      Row("分组框3", T::GroupBox, general, 52, 22, 228, 27),
      Row("常规文件名单选框", T::Radio, "分组框3", 12, 10, 56, 12, "文件名").Flags(kChecked),
      Row("常规扩展名单选框", T::Radio, "分组框3", 88, 10, 56, 12, "扩展名"),
      Row("常规全部单选框", T::Radio, "分组框3", 165, 10, 56, 12, "全部"),
      Row("标签1", T::Label, general, 289, 32, 44, 12, "起始量："),
      Row("起始量编辑框", T::Edit, general, 342, 29, 48, 18, "0").Tag("1").Focus().Numeric(8).Spin(0, 9999),
      Row("标签2", T::Label, general, 414, 32, 24, 12, "增量"),
      Row("增量编辑框", T::Edit, general, 446, 29, 48, 18, "1").Tag("9").Focus().Numeric(6).Spin(1, 9999),
      Row("常规清空按钮", T::Button, general, 519, 27, 60, 20, "清空").Focus(),
      Row(boxName, T::GroupBox, general, 6, 50, 578, 37, "文件名"),
      Row("前缀1标签", T::Label, boxName, 6, 17, 32, 12, "前缀"),
      Row("文件名前缀编辑框", T::Edit, boxName, 38, 14, 56, 18).Focus(),
      Row("文件名标签", T::Label, boxName, 100, 17, 48, 12, "主文件名"),
      Row("文件名编辑框", T::Edit, boxName, 153, 14, 125, 18).Tag("2").Focus(),
      Row("文件名位数调节标签", T::Label, boxName, 286, 17, 25, 12, "位数"),
      Row("文件名位数调节编辑框", T::Edit, boxName, 316, 14, 56, 18, "1").Tag("3").Focus().Numeric(3).Spin(1, 255),
      Row("后缀1标签", T::Label, boxName, 396, 17, 32, 12, "后缀"),
      Row("文件名后缀编辑框", T::Edit, boxName, 428, 14, 56, 18).Tag("4").Focus(),
      // Shown inactive at start-up by the program, not here.
      Row(boxExt, T::GroupBox, general, 6, 89, 578, 37, "扩展名"),
      Row("前缀2标签", T::Label, boxExt, 6, 17, 24, 12, "前缀"),
      Row("扩展名前缀编辑框", T::Edit, boxExt, 38, 14, 56, 18).Tag("5").Focus(),
      Row("新扩展名标签", T::Label, boxExt, 100, 17, 54, 12, "新扩展名"),
      Row("新扩展名编辑框", T::Edit, boxExt, 153, 14, 125, 18).Tag("6").Focus().TextColour(Rgb(255, 0, 0)),
      Row("扩展名位数标签", T::Label, boxExt, 286, 17, 24, 12, "位数"),
      Row("扩展名位数调节编辑框", T::Edit, boxExt, 316, 14, 56, 18).Tag("7").Focus().Numeric(3).Spin(0, 100),
      Row("后缀2标签", T::Label, boxExt, 396, 17, 32, 12, "后缀"),
      Row("扩展名后缀编辑框", T::Edit, boxExt, 428, 14, 56, 18).Tag("8").Focus(),

      Row(replace, T::TabPage, "选择夹", 0, 0, 590, 130, replace),
      Row("删除分组框", T::GroupBox, replace, 5, 25, 579, 96, "选项"),
      Row("查找内容标签", T::Label, "删除分组框", 27, 17, 47, 12, "查找内容"),
      Row("查找内容编辑框", T::Edit, "删除分组框", 89, 14, 191, 18).Tag("10").Focus(),
      Row("区分大小写选择框", T::CheckBox, "删除分组框", 291, 17, 88, 12, "区分大小写").Focus(),
      Row("替换为标签", T::Label, "删除分组框", 27, 45, 47, 12, "替换为"),
      Row("替换为编辑框", T::Edit, "删除分组框", 89, 44, 191, 18).Tag("11").Focus(),
      Row("标签5", T::Label, "删除分组框", 291, 47, 216, 12, "（为空时表示删除‘查找内容’的内容）"),
      Row("标签6", T::Label, "删除分组框", 27, 74, 56, 12, "应用于："),
      Row("仅文件名单选框", T::Radio, "删除分组框", 89, 74, 80, 12, "仅文件名").Focus().Flags(kChecked),
      Row("仅扩展名单选框", T::Radio, "删除分组框", 197, 74, 87, 12, "仅扩展名").Tag("20").Focus(),
      Row("替换删除全部单选框", T::Radio, "删除分组框", 313, 74, 56, 12, "全部").Tag("21").Focus(),

      Row(insert, T::TabPage, "选择夹", 0, 0, 590, 130, insert),
      Row("标签3", T::Label, insert, 18, 34, 90, 12, "欲插入的字符："),
      Row("标签8", T::Label, insert, 113, 34, 48, 12, "文件名："),
      Row("插入到文件名的字符编辑框", T::Edit, insert, 168, 31, 96, 18).Focus(),
      Row("插入扩展名标签", T::Label, insert, 273, 34, 48, 12, "扩展名："),
      Row("插入到扩展名的字符编辑框", T::Edit, insert, 321, 31, 96, 18).Focus(),
      Row("保持一致选择框", T::CheckBox, insert, 440, 32, 104, 12, "保持一致").Focus(),
      Row("分组框1", T::GroupBox, insert, 114, 49, 462, 35),
      Row("插入文件名位置单选框", T::Radio, "分组框1", 8, 15, 72, 12, "插入到第").Focus().Flags(kChecked),
      Row("插入文件名位置编辑框", T::Edit, "分组框1", 80, 11, 56, 20, "1").Focus().Numeric(3).Spin(1, 255),
      Row("标签9", T::Label, "分组框1", 160, 15, 39, 12, "个位置"),
      Row("插入文件名尾单选框", T::Radio, "分组框1", 336, 15, 72, 12, "文件名尾").Focus(),
      Row("标签4", T::Label, insert, 18, 64, 82, 16, "插入到文件名："),
      Row("分组框2", T::GroupBox, insert, 114, 87, 462, 35),
      Row("插入扩展名位置单选框", T::Radio, "分组框2", 8, 15, 72, 12, "插入到第").Focus().Flags(kChecked),
      Row("插入扩展名位置编辑框", T::Edit, "分组框2", 80, 11, 56, 20, "1").Focus().Numeric(3).Spin(1, 255),
      Row("标签10", T::Label, "分组框2", 160, 15, 48, 16, "个位置"),
      Row("插入扩展名尾单选框", T::Radio, "分组框2", 336, 15, 80, 12, "扩展名尾").Focus(),
      Row("标签7", T::Label, insert, 18, 99, 82, 16, "插入到扩展名："),

      Row(caseP, T::TabPage, "选择夹", 0, 0, 590, 130, caseP),
      Row("分组框6", T::GroupBox, caseP, 10, 38, 278, 81, "文件名"),
      Row("文件名全部大写单选框", T::Radio, "分组框6", 24, 24, 88, 12, "全部大写").Tag("22").Focus().Flags(kChecked),
      Row("文件名首字母大写单选框", T::Radio, "分组框6", 144, 24, 88, 12, "首字母大写").Tag("24").Focus(),
      Row("文件名全部小写单选框", T::Radio, "分组框6", 24, 50, 88, 12, "全部小写").Tag("23").Focus(),
      Row("文件名首字母小写单选框", T::Radio, "分组框6", 144, 50, 88, 12, "首字母小写").Tag("25").Focus(),
      Row("分组框7", T::GroupBox, caseP, 303, 38, 278, 81, "扩展名"),
      Row("扩展名全部大写单选框", T::Radio, "分组框7", 24, 24, 73, 12, "全部大写").Tag("26").Focus().Flags(kChecked),
      Row("扩展名首字母大写单选框", T::Radio, "分组框7", 144, 24, 106, 12, "首字母大写").Tag("28").Focus(),
      Row("扩展名全部小写单选框", T::Radio, "分组框7", 24, 50, 73, 12, "全部小写").Tag("27").Focus(),
      Row("扩展名首字母小写单选框", T::Radio, "分组框7", 144, 50, 106, 12, "首字母小写").Tag("29").Focus(),

      Row(mp3, T::TabPage, "选择夹", 0, 0, 590, 130, mp3),
      Row("标签11", T::Label, mp3, 10, 32, 70, 12, "预定义方案："),
      Row("预定义方案组合框", T::ComboList, mp3, 87, 28, 224, 22)
          .Focus()
          .Items(Indexed({"艺术家-歌曲名", "艺术家-专辑-歌曲名", "艺术家-专辑-年代-歌曲名",
                          "艺术家-专辑-年代-歌曲名-音轨"})),
      Row("V1优先单选框", T::Radio, mp3, 328, 29, 96, 12, "ID3v1.x优先").Focus(),
      Row("V2优先单选框", T::Radio, mp3, 456, 29, 96, 12, "ID3v2.x优先").Focus().Flags(kChecked),
      Row("标签12", T::Label, mp3, 10, 57, 62, 12, "命名规则："),
      Row("MP3命名规则编辑框", T::Edit, mp3, 87, 52, 495, 20).Focus().Max(50).FontPixels("宋体", 14),
      Row("参照编辑框", T::Edit, mp3, 87, 76, 495, 20)
          .Flags(kReadOnly)
          .TextColour(Rgb(255, 255, 255))
          .BackColour(Rgb(128, 128, 128))
          .FontPixels("宋体", 14),
      Row(fields, T::ShapeRect, mp3, 87, 99, 495, 24),
      Row("艺术家超级按钮", T::FlatButton, fields, 1, 2, 82, 20, "#1-艺术家").Tag("51"),
      Row("歌曲名超级按钮", T::FlatButton, fields, 83, 2, 82, 20, "#2-歌曲名").Tag("52"),
      Row("专辑超级按钮", T::FlatButton, fields, 165, 2, 82, 20, "#3-专辑").Tag("53"),
      Row("音轨超级按钮", T::FlatButton, fields, 247, 2, 82, 20, "#4-音轨").Tag("54"),
      Row("年代超级按钮", T::FlatButton, fields, 329, 2, 82, 20, "#5-年代").Tag("55"),
      Row("流派超级按钮", T::FlatButton, fields, 411, 2, 82, 20, "#6-流派").Tag("56"),

      Row("显示超级列表框", T::ListView, "", 0, 160, 590, 152).Focus(),
      Row("状态条", T::StatusBar, "", 0, 0, 0, 20),
      Row("拖放对象", T::DropTarget, "", 0, 0, 0, 0).Flags(kHidden),
  };

  f.menus = {
      MenuDesc{"文件(&F)",
               {{"选择目录(&D)...", "Ctrl+D"},
                {"添加文件(&N)...", "Ctrl+F"},
                {nullptr},
                {"退出(&X)", "Ctrl+X"}}},
      MenuDesc{"预览设置(&O)", {{"设置(&S)...", "Ctrl+S"}}},
      MenuDesc{"右键菜单",
               {{"预览(&V)"},
                {nullptr},
                {"添加整个目录(&O)"},
                {"加入文件(&F)"},
                {nullptr},
                {"过滤(&L)..."},
                {nullptr},
                {"删除选择的项目(&D)"},
                {"清空列表(&E)"},
                {nullptr},
                {"MP3标签信息(&I)..."},
                {"删除无MP3标签项目(M)"},
                {nullptr},
                {"全选", "Ctrl+A"}},
               true},
  };

  f.toolbar = {
      {0, "选择目录"},     {1, "加入多个文件"}, {-1, ""},
      {2, "撤消", false}, {3, "预览", false},    {4, "开始命名", false},
      {-1, ""},
  };
  f.toolbarHeight = 28;
  f.statusPanes = {{80, "文件个数"}, {327, "进度"}, {407, "自动预览"}};
  f.statusHeight = 20;
  f.columns = {{"旧文件名", 150}, {"新文件名", 150}, {"路径", 200}, {"命名状态", 100, true}, {"MP3标签状态", 100}};
  return f;
}

FormDesc MakeSettingsDialog() {
  FormDesc f;
  f.name = "settings";
  f.title = "设置";
  f.outerWidth = 411;
  f.outerHeight = 180;
  f.controls = {
      Row("自动预览选择框", T::CheckBox, "", 16, 14, 72, 12, "自动预览").Focus(),
      Row("分组框1", T::GroupBox, "", 16, 33, 184, 60),
      Row("预览指定数量单选框", T::Radio, "分组框1", 8, 16, 104, 12, "预览的项目数：")
          .Focus()
          .Flags(kChecked | kDisabled),
      Row("预览数量编辑框", T::Edit, "分组框1", 117, 13, 30, 18, "10")
          .Focus()
          .Flags(kDisabled)
          .Numeric(3)
          .Spin(1, 200),
      Row("预览全部单选框", T::Radio, "分组框1", 8, 40, 72, 12, "预览全部").Focus().Flags(kDisabled),
      Row("标签3", T::Label, "", 214, 16, 100, 12, "预览框背景的颜色"),
      Row("超级列表框背景颜色选择器", T::ColourPicker, "", 330, 13, 60, 20).Focus().BackColour(8429696),
      Row("标签2", T::Label, "", 214, 48, 100, 12, "预览框字体的颜色"),
      Row("超级列表框字体颜色选择器", T::ColourPicker, "", 330, 45, 60, 20).Focus().BackColour(8388608),
      Row("标签1", T::Label, "", 214, 81, 100, 12, "预览框字体的大小"),
      Row("字体按钮", T::Button, "", 330, 77, 60, 22, "字体...").Focus(),
      Row("外形框2", T::ShapeLine, "", 4, 111, 390, 2),
      Row("默认按钮", T::Button, "", 76, 123, 70, 24, "恢复默认").Focus(),
      Row("确定按钮", T::Button, "", 155, 123, 70, 24, "确定").Focus(),
      Row("取消按钮", T::Button, "", 234, 123, 70, 24, "取消").Focus(),
      Row("应用按钮", T::Button, "", 315, 123, 70, 24, "应用").Focus().Flags(kDisabled),
      Row("字体通用对话框", T::FontDialog, "", 0, 0, 0, 0, "宋体").Flags(kHidden),
  };
  f.focusOrder = {"自动预览选择框", "预览指定数量单选框", "预览数量编辑框", "预览全部单选框",
                  "超级列表框背景颜色选择器", "超级列表框字体颜色选择器", "字体按钮", "默认按钮",
                  "确定按钮", "取消按钮", "应用按钮"};
  return f;
}

FormDesc MakeTagDialog() {
  FormDesc f;
  f.name = "tag";
  f.title = "MP3标签信息";
  f.outerWidth = 564;
  f.outerHeight = 384;
  f.showInTaskbar = true;
  const char* v1 = "分组框1";
  const char* v2 = "分组框2";
  f.controls = {
      Row("标签1", T::Label, "", 8, 11, 36, 12, "文件："),
      Row("MP3文件名编辑框", T::Edit, "", 56, 8, 493, 18)
          .Flags(kReadOnly)
          .TextColour(Rgb(128, 0, 0))
          .FontPixels("宋体", 12),
      Row(v1, T::GroupBox, "", 8, 32, 260, 190, "ID3v1"),
      Row("ID3v1选择框", T::CheckBox, v1, 59, 16, 88, 12, "ID3v1 标签").Focus(),
      Row("音轨1标签", T::Label, v1, 178, 16, 36, 12, "音轨 #"),
      // Numeric, but a track such as "-1" must be typeable too.
      Row("音轨1编辑框", T::Edit, v1, 217, 13, 32, 18).Focus().Numeric(2).Flags(kTrackChars),
      Row("歌曲名1标签", T::Label, v1, 13, 39, 36, 12, "歌曲名"),
      Row("歌曲名1编辑框", T::Edit, v1, 59, 37, 190, 18).Tag("1").Focus().Max(30),
      Row("艺术家1标签", T::Label, v1, 13, 64, 36, 12, "艺术家"),
      Row("艺术家1编辑框", T::Edit, v1, 59, 62, 190, 18).Tag("2").Focus().Max(30),
      Row("专辑1标签", T::Label, v1, 13, 89, 24, 12, "专辑"),
      Row("专辑1编辑框", T::Edit, v1, 59, 87, 190, 18).Tag("3").Focus().Max(30),
      Row("年代1标签", T::Label, v1, 13, 114, 24, 12, "年代"),
      Row("年代1编辑框", T::Edit, v1, 59, 112, 48, 18).Tag("4").Focus().Max(4),
      Row("流派1标签", T::Label, v1, 113, 114, 24, 12, "流派"),
      Row("流派1组合框", T::ComboList, v1, 144, 111, 105, 20).Focus().Items(GenreItems()),
      Row("注释1标签", T::Label, v1, 13, 138, 24, 12, "注释"),
      Row("注释1编辑框", T::Edit, v1, 59, 138, 190, 40).Tag("5").Focus().Flags(kMultiline).Max(30),

      Row(v2, T::GroupBox, "", 272, 32, 280, 320, "ID3v2"),
      Row("ID3v2选择框", T::CheckBox, v2, 59, 16, 80, 12, "ID3v2 标签").Focus(),
      Row("音轨2标签", T::Label, v2, 198, 16, 36, 12, "音轨 #"),
      Row("音轨2编辑框", T::Edit, v2, 237, 14, 32, 18).Focus().Max(2),
      Row("歌曲名2标签", T::Label, v2, 13, 39, 36, 12, "歌曲名"),
      Row("歌曲名2编辑框", T::Edit, v2, 59, 37, 210, 18).Tag("10").Focus(),
      Row("艺术家2标签", T::Label, v2, 13, 64, 36, 12, "艺术家"),
      Row("艺术家2编辑框", T::Edit, v2, 59, 62, 210, 18).Tag("11").Focus(),
      Row("专辑2标签", T::Label, v2, 13, 89, 24, 12, "专辑"),
      Row("专辑2编辑框", T::Edit, v2, 59, 87, 210, 18).Tag("12").Focus(),
      Row("年代2标签", T::Label, v2, 13, 114, 24, 12, "年代"),
      Row("年代2编辑框", T::Edit, v2, 59, 112, 48, 18).Tag("13").Focus(),
      Row("流派2标签", T::Label, v2, 131, 114, 24, 12, "流派"),
      Row("流派2组合框", T::ComboEditable, v2, 164, 110, 105, 20).Focus().Items(GenreItems()),
      Row("注释2标签", T::Label, v2, 13, 141, 24, 12, "注释"),
      Row("注释2编辑框", T::Edit, v2, 59, 138, 210, 48).Tag("14").Focus().Flags(kMultiline),
      Row("版权标签", T::Label, v2, 13, 194, 24, 12, "版权"),
      Row("版权编辑框", T::Edit, v2, 59, 192, 210, 18).Tag("15").Focus(),
      Row("作曲家标签", T::Label, v2, 13, 219, 36, 12, "作曲家"),
      Row("作曲家编辑框", T::Edit, v2, 59, 217, 210, 18).Tag("16").Focus(),
      Row("原创者标签", T::Label, v2, 13, 244, 36, 12, "原创者"),
      Row("原创者编辑框", T::Edit, v2, 59, 242, 210, 18).Tag("17").Focus(),
      Row("URL标签", T::Label, v2, 13, 269, 24, 12, "URL"),
      Row("URL编辑框", T::Edit, v2, 59, 267, 210, 18).Tag("18").Focus(),
      Row("编码者标签", T::Label, v2, 13, 296, 36, 12, "编码者"),
      Row("编码者编辑框", T::Edit, v2, 59, 292, 210, 18).Tag("19").Focus(),

      Row("v1复制到v2按钮", T::Button, "", 32, 235, 192, 24, "ID3v1 复制到 ID3v2").Focus(),
      Row("v2复制到v1按钮", T::Button, "", 32, 279, 192, 24, "ID3v2 复制到 ID3v1").Focus(),
      Row("更新按钮", T::Button, "", 32, 323, 88, 25, "更新").Focus(),
      Row("关闭按钮", T::Button, "", 136, 323, 88, 25, "关闭").Focus(),
  };
  f.focusOrder = {"ID3v1选择框", "音轨1编辑框",   "歌曲名1编辑框",  "艺术家1编辑框", "专辑1编辑框",
                  "年代1编辑框", "流派1组合框",   "注释1编辑框",    "ID3v2选择框",   "音轨2编辑框",
                  "歌曲名2编辑框", "艺术家2编辑框", "专辑2编辑框",  "年代2编辑框",   "流派2组合框",
                  "注释2编辑框", "版权编辑框",    "作曲家编辑框",   "原创者编辑框",  "URL编辑框",
                  "编码者编辑框", "v1复制到v2按钮", "v2复制到v1按钮", "更新按钮",      "关闭按钮"};
  return f;
}

FormDesc MakeFilterDialog() {
  FormDesc f;
  f.name = "filter";
  f.title = "过滤设置";
  f.outerWidth = 348;
  f.outerHeight = 189;
  f.controls = {
      Row("标签1", T::Label, "", 27, 16, 61, 12, "操作方式："),
      Row("操作方式组合框", T::ComboEditable, "", 128, 12, 72, 20).Focus().Items(Indexed({"删除", "保留"})),
      Row("扩展名单选框", T::Radio, "", 27, 41, 70, 12, "扩展名").Focus().Flags(kChecked),
      Row("扩展名组合框", T::ComboEditable, "", 128, 39, 72, 20)
          .Focus()
          .Items(Indexed({"txt", "mp3", "jpg", "bmp", "gif", "jpeg", "wav", "wma", "fla", "swf", "rm",
                          "avi", "htm", "html", "doc", "ppt"})),
      Row("包含内容单选框", T::Radio, "", 27, 66, 70, 16, "包含内容").Focus(),
      Row("包含内容编辑框", T::Edit, "", 128, 66, 192, 18).Focus(),
      Row("过滤完成后关闭对话框选择框", T::CheckBox, "", 27, 95, 176, 16, "过滤完成后关闭对话框")
          .Focus()
          .Flags(kChecked),
      Row("确定按钮", T::Button, "", 152, 128, 76, 24, "确定").Focus(),
      Row("取消按钮", T::Button, "", 256, 128, 76, 24, "取消").Focus(),
  };
  f.focusOrder = {"操作方式组合框", "扩展名单选框", "扩展名组合框", "包含内容单选框",
                  "包含内容编辑框", "过滤完成后关闭对话框选择框", "确定按钮", "取消按钮"};
  return f;
}

}  // namespace

const FormDesc& MainWindowDesc() {
  static const FormDesc desc = MakeMainWindow();
  return desc;
}

const FormDesc& SettingsDialogDesc() {
  static const FormDesc desc = MakeSettingsDialog();
  return desc;
}

const FormDesc& TagDialogDesc() {
  static const FormDesc desc = MakeTagDialog();
  return desc;
}

const FormDesc& FilterDialogDesc() {
  static const FormDesc desc = MakeFilterDialog();
  return desc;
}

const FormDesc* DialogTitled(std::string_view title) {
  for (const FormDesc* d : {&SettingsDialogDesc(), &TagDialogDesc(), &FilterDialogDesc()})
    if (title == d->title) return d;
  return nullptr;
}

}  // namespace tavik::ui
// clang-format on
