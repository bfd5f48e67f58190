// Collection members: sorted (ignoring case, without repeats) or kept in
// arrival order. Adding many members at once merges them by one sort,
// which gives exactly what adding them one by one would.
#include "engine/records/collection.h"

#include "engine/records/brain.h"

#include <algorithm>

#include "engine/base/errors.h"
#include "engine/base/random.h"
#include "engine/base/find_word.h"
#include "engine/base/numbers.h"
#include "engine/base/text_search.h"
#include "platform/text_file.h"

namespace varnex {

std::vector<std::string> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::string current;
  for (char c : text) {
    char u = UpperChar(c);
    if (IsUpperLetter(u)) {
      current.push_back(u);
    } else if (!current.empty()) {
      words.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) words.push_back(std::move(current));
  return words;
}

void DataCollectionClass::SortMembers() {
  // A stable sort keeps the first of members that differ only in letter
  // case, as adding them one by one would.
  std::stable_sort(Members.begin(), Members.end(), [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
  Members.erase(std::unique(Members.begin(), Members.end(),
                            [](const std::string& a, const std::string& b) { return EqualsNoCase(a, b); }),
                Members.end());
}

int DataCollectionClass::IndexOf(std::string_view text) const {
  if (Sorted_) {
    auto it = std::lower_bound(Members.begin(), Members.end(), text,
                               [](const std::string& m, std::string_view t) { return LessNoCase(m, t); });
    if (it != Members.end() && EqualsNoCase(*it, text)) return static_cast<int>(it - Members.begin());
    return -1;
  }
  for (std::size_t i = 0; i < Members.size(); ++i)
    if (EqualsNoCase(Members[i], text)) return static_cast<int>(i);
  return -1;
}

void DataCollectionClass::ListAdd(std::string text) {
  if (!Sorted_) {
    Members.push_back(std::move(text));
    return;
  }
  auto it = std::lower_bound(Members.begin(), Members.end(), text,
                             [](const std::string& m, const std::string& t) { return LessNoCase(m, t); });
  if (it != Members.end() && EqualsNoCase(*it, text)) return;
  Members.insert(it, std::move(text));
}

namespace {
[[noreturn]] void RefuseGrowth(const DataCollectionClass& c, std::size_t maxMembers) {
  throw EngineError("Collection too large: " + c.TheName + " may hold at most " + std::to_string(maxMembers) +
                    " members");
}
}  // namespace

void DataCollectionClass::Changing() {
  // Only a brain that keeps conversations apart needs the members as read;
  // a single conversation never pays for the copy.
  if (Changes++ == 0 && Owner && Owner->KeepsSessions) {
    asRead_ = std::make_shared<const std::vector<std::string>>(Members);
    sortedAsRead_ = Sorted_;
  }
}

void DataCollectionClass::RestoreMembers(std::vector<std::string> members, bool sorted) {
  Changing();
  Members = std::move(members);
  Sorted_ = sorted;
}

void DataCollectionClass::AddMember(std::string_view text, std::size_t maxMembers) {
  if (text.empty()) return;
  std::string_view t = TrimView(text);
  if (IndexOf(t) >= 0) return;
  if (Members.size() >= maxMembers) RefuseGrowth(*this, maxMembers);
  Changing();
  ListAdd(std::string(t));
}

void DataCollectionClass::AddAll(std::vector<std::string> texts, std::size_t maxMembers) {
  if (texts.empty()) return;
  Changing();
  if (!Sorted_) {
    if (texts.size() > maxMembers - std::min(maxMembers, Members.size())) RefuseGrowth(*this, maxMembers);
    Members.insert(Members.end(), std::make_move_iterator(texts.begin()), std::make_move_iterator(texts.end()));
    return;
  }
  // A few texts go in one by one; many are merged by one sort, which keeps
  // the first of equal members exactly as adding them in turn would (the
  // members already there come first, then the texts in their order).
  if (texts.size() <= 64 && Members.size() + texts.size() <= maxMembers) {
    for (auto& t : texts) ListAdd(std::move(t));
    return;
  }
  std::vector<std::string> merged;
  merged.reserve(Members.size() + texts.size());
  merged = Members;
  merged.insert(merged.end(), std::make_move_iterator(texts.begin()), std::make_move_iterator(texts.end()));
  std::swap(merged, Members);
  SortMembers();
  if (Members.size() > maxMembers) {
    std::swap(merged, Members);
    RefuseGrowth(*this, maxMembers);
  }
}

void DataCollectionClass::RemoveMember(std::string_view text) {
  if (text.empty()) return;
  int i = IndexOf(TrimView(text));
  if (i < 0) return;
  Changing();
  Members.erase(Members.begin() + i);
}

void DataCollectionClass::LoadMembers(const std::string& path, std::size_t maxMembers) {
  std::vector<std::string> lines;
  // A file that cannot be read in full changes nothing.
  if (!ReadAllLines(path, lines)) return;
  Changing();
  std::swap(Members, lines);
  if (Sorted_) {
    // Sorting once keeps big files fast.
    SortMembers();
  }
  if (Members.size() > maxMembers) {
    std::swap(Members, lines);
    RefuseGrowth(*this, maxMembers);
  }
}

void DataCollectionClass::SaveMembers(const std::string& path) const { WriteLinesAtomically(path, Members); }

void DataCollectionClass::SetSorted(bool on) {
  if (on == Sorted_) return;
  Changing();
  if (on && !Sorted_) {
    SortMembers();
  }
  Sorted_ = on;
}

std::string DataCollectionClass::FindMember(std::string_view context) const {
  if (context.empty()) return "~";
  for (const auto& m : Members) {
    int32_t pos = 0;
    if (FindWord(m, context, pos)) return m;
  }
  return "~";
}

std::string DataCollectionClass::FindMemberAt(std::string_view context, std::string_view index) const {
  if (context.empty()) return {};
  std::vector<std::string> words = SplitWords(context);
  std::vector<const std::string*> kept;
  for (const auto& m : Members) {
    for (const auto& w : words) {
      if (EqualsNoCase(m, w)) {
        kept.push_back(&m);
        break;
      }
    }
  }
  int32_t i = WholeNumberOr(TrimView(index), -1);
  if (i < 0 || static_cast<std::size_t>(i) >= kept.size()) return {};
  return *kept[static_cast<std::size_t>(i)];
}

std::string DataCollectionClass::FindMemberSub(std::string_view context) const {
  if (context.empty()) return "~";
  for (const auto& m : Members)
    if (FindText(m, context) != 0) return m;
  return "~";
}

std::string DataCollectionClass::ListMembers(std::string_view context) const {
  std::string out;
  if (context.empty()) return out;
  for (std::size_t i = 0; i < Members.size(); ++i) {
    if (i) out += ", ";
    out += Members[i];
  }
  return out;
}

std::string DataCollectionClass::PickMember(std::string_view argument) const {
  if (argument.empty() || Members.empty()) return {};
  int64_t index;
  std::size_t bar = argument.find('|');
  if (bar != std::string_view::npos)
    index = WholeNumberOr(TrimView(argument.substr(bar + 1)), 0);
  else
    index = RandomBelow(static_cast<uint32_t>(Members.size()));
  if (index < 0 || static_cast<std::size_t>(index) >= Members.size()) return {};
  return Members[static_cast<std::size_t>(index)];
}

bool DataCollectionClass::HasMemberWord(std::string_view text) const {
  if (text.empty()) return false;
  for (const auto& m : Members) {
    int32_t pos = 0;
    if (FindWord(m, text, pos)) return true;
  }
  return false;
}

bool DataCollectionClass::HasMemberIn(std::string_view text) const {
  if (text.empty()) return false;
  for (const auto& m : Members)
    if (FindText(m, text) != 0) return true;
  return false;
}

}  // namespace varnex
