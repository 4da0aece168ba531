// The four editing rule pages ("常规", "替换/删除", "插入", "大小写") as pure
// functions over GBK names. The UI copies each page's texts and check states
// into these records; numbers stay the boxes' raw texts and are read here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavik::rename {

struct NameParts {
  std::string main, ext;  // ext includes its "."
};
NameParts SplitName(std::string_view name);

struct GeneralPage {      // "常规"
  bool mainScope = true;  // 常规文件名单选框 or 常规全部单选框 selected
  bool extScope = false;  // 常规扩展名单选框 or 常规全部单选框 selected
  std::string prefix, body, digits, suffix;
  std::string extPrefix, extBody, extDigits, extSuffix;
  std::string start, step;
};

struct ReplacePage {  // "替换/删除"
  std::string find, replace;
  bool caseSensitive = false;
  bool mainScope = true, extScope = false;
};

struct InsertPage {  // "插入"
  std::string mainText, extText;
  bool mainAtPosition = true, mainAtEnd = false;
  std::string mainPosition = "1";
  bool extAtPosition = true, extAtEnd = false;
  std::string extPosition = "1";
};

struct CasePage {  // "大小写": the eight radio buttons' checked states
  bool mainUpper = true, mainLower = false, mainFirstUpper = false, mainFirstLower = false;
  bool extUpper = true, extLower = false, extFirstUpper = false, extFirstLower = false;
};

// Each fills newNames[0..n-1] from oldNames[0..n-1]. newNames grows to at
// least oldNames.size(); its entries from n on keep what they held.
void ComputeGeneral(const GeneralPage& page, const std::vector<std::string>& oldNames, size_t n,
                    std::vector<std::string>& newNames);
void ComputeReplace(const ReplacePage& page, const std::vector<std::string>& oldNames, size_t n,
                    std::vector<std::string>& newNames);
void ComputeInsert(const InsertPage& page, const std::vector<std::string>& oldNames, size_t n,
                   std::vector<std::string>& newNames);
void ComputeCase(const CasePage& page, const std::vector<std::string>& oldNames, size_t n,
                 std::vector<std::string>& newNames);

// Every occurrence of find in x from the 1-based startPos on, left to right
// and never overlapping, becomes repl.
std::string ReplaceAll(std::string_view x, std::string_view find, std::string_view repl, size_t startPos,
                       bool caseSensitive);
// t put into x so that it begins at the 1-based position, clamped to x and
// moved back to a character boundary.
std::string InsertAt(std::string_view x, int position, std::string_view t);
// The zeros that widen text(v) to digits bytes (the sign counts).
std::string ZeroFill(int digits, int64_t v);

// A name the rename may use: not empty, not "." or "..", no character
// \ / : * ? " < > |, no byte below 0x20 and no lead byte without its trail.
bool IsPlainFileName(std::string_view name);
// Windows drops a "." or space at the end of a name, so the file would not
// get the name the rename reports.
bool EndsInDotOrSpace(std::string_view name);
// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9, in any letter case, alone or
// before a "." (spaces between count as nothing): Windows opens the device,
// not a file, under such a name.
bool IsDeviceName(std::string_view name);

}  // namespace tavik::rename
