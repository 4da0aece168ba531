#include "rename/way_back.h"

#include "rename/batch_mover.h"
#include "rename/journal.h"
#include "text/gbk.h"

namespace tavik::rename {

void OfferWayBack(ui::Form& main, ui::Shell& shell, FileSystem& fs, AppendFiles& files,
                  const std::string& exeDir) {
  const std::string path = JournalPath(exeDir);
  std::string bytes;
  if (!files.ReadAll(path, &bytes)) return;
  JournalReading journal = ReadJournal(bytes, exeDir);
  if (journal.state == JournalState::Foreign) return;
  std::vector<JournalMove>& done = journal.done;
  // The move in flight was made when its file is under the new name and the
  // old name is free. (Where names differ in letter case only, Windows sees
  // both at once: that file keeps its new case.)
  if (journal.hasInDoubt) {
    const JournalMove& m = journal.inDoubt;
    if (fs.Exists(m.folder + m.to) && !fs.Exists(m.folder + m.from)) done.push_back(m);
  }
  const int32_t k = static_cast<int32_t>(done.size());
  if (k > 0) {
    const std::string count = text::NumberToText(k);
    std::string question =
        journal.kind == BatchKind::Rename
            ? "上一次更名没有完成，其中 " + count + " 个文件已经改名。\r\n是否把这些文件恢复为原来的名称？"
            : "上一次撤消没有完成，其中 " + count + " 个文件已经恢复。\r\n是否把这些文件改回撤消之前的名称？";
    if (shell.ShowMessage(&main, "询问：", question, ui::MsgIcon::Info, ui::MsgButtons::YesNo) ==
        ui::MsgAnswer::Yes) {
      int32_t restored = 0;
      {
        ui::WaitCursor wait(shell);
        // Latest first, so a chain within the batch unwinds in order; Move
        // never replaces, and finds nothing where the file has gone.
        for (auto it = done.rbegin(); it != done.rend(); ++it)
          if (fs.Move(it->folder + it->to, it->folder + it->from)) ++restored;
      }
      if (restored == k)
        shell.ShowMessage(&main, "Tavik批量更名器", count + " 个文件已恢复原来的名称。", ui::MsgIcon::Info,
                          ui::MsgButtons::Ok);
      else
        shell.ShowMessage(&main, "Tavik批量更名器", RestoreSummary(k, restored), ui::MsgIcon::Warning,
                          ui::MsgButtons::Ok);
    }
  }
  // Asked once, whatever the answer.
  files.Remove(path);
}

}  // namespace tavik::rename
