#include "rename/journal.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace tavik::rename {

// What the batch writes is what the next start reads: a failed move is not
// taken for made, the last one begun is in doubt, and a finished batch or a
// name the format cannot hold leaves no journal.
TEST(Journal, ReadsBackWhatABatchWrote) {
  testing::TempDir home;
  const std::string dir = home.path() + "\\";
  BatchJournal journal(SystemAppendFiles(), home.path());
  journal.Begin(BatchKind::Undo);
  journal.Add(2, dir, "a", "x");
  journal.Add(4, dir, "b", "y");
  journal.Add(5, dir, "c", "z");
  ASSERT_TRUE(journal.Open());
  journal.Moving(2);
  journal.Moving(4);
  journal.Failed(4);
  journal.Moving(5);
  std::string bytes;
  ASSERT_TRUE(SystemAppendFiles().ReadAll(JournalPath(home.path()), &bytes));
  JournalReading r = ReadJournal(bytes, home.path());
  ASSERT_EQ(r.state, JournalState::CutOff);
  EXPECT_EQ(r.kind, BatchKind::Undo);
  ASSERT_EQ(r.done.size(), 1u);
  EXPECT_EQ(r.done[0].folder + r.done[0].from + r.done[0].to, dir + "ax");
  EXPECT_TRUE(r.hasInDoubt);
  EXPECT_EQ(r.inDoubt.number, 5);
  journal.Failed(5);
  ASSERT_TRUE(SystemAppendFiles().ReadAll(JournalPath(home.path()), &bytes));
  EXPECT_FALSE(ReadJournal(bytes, home.path()).hasInDoubt);
  EXPECT_EQ(ReadJournal(bytes, dir + "other").state, JournalState::Foreign);
  journal.Finish();
  EXPECT_FALSE(SystemAppendFiles().ReadAll(JournalPath(home.path()), &bytes));
  journal.Begin(BatchKind::Rename);
  journal.Add(1, dir, "a\tb", "c");
  EXPECT_FALSE(journal.Open());
  EXPECT_FALSE(SystemAppendFiles().ReadAll(JournalPath(home.path()), &bytes));
}

}  // namespace tavik::rename
