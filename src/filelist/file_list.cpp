#include "filelist/file_list.h"

#include "text/gbk.h"

namespace tavik::filelist {

FileList::FileList(ListContext ctx) : ctx_(std::move(ctx)) {}

void FileList::UpdateStatusBar() {
  ctx_.form.SetStatusText(0, text::NumberToText(ItemCount()) + "个文件");
  ctx_.form.SetStatusText(2, ctx_.settings.autoPreview == 1 ? "自动预览－开" : "自动预览－关");
}

}  // namespace tavik::filelist
