// A data collection: a named list of member texts, kept sorted (ignoring
// case, without duplicates) unless switched to arrival order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/records/object.h"

namespace varnex {

class BrainClass;

class DataCollectionClass final : public ObjectClass {
 public:
  DataCollectionClass() : ObjectClass(ObjectKind::Collection) {}

  std::string TheName;
  std::vector<std::string> Members;
  BrainClass* Owner = nullptr;
  std::string MemberCache;
  double MemberCacheTime = 0;
  std::string MemberSubCache;
  double MemberSubCacheTime = 0;

  bool Sorted() const { return Sorted_; }

  // For conversations kept apart (sessions): how many times the members
  // changed since the brain was read, and the members as read, kept from
  // the first change on so that another conversation can be given them
  // back. Reading itself does not count: MarkAsRead starts the count.
  uint64_t Changes = 0;
  bool MadeWhileRunning = false;  // not read: an action made it
  const std::vector<std::string>* MembersAsRead() const { return asRead_.get(); }
  bool SortedAsRead() const { return sortedAsRead_; }
  void MarkAsRead() {
    Changes = 0;
    asRead_.reset();
  }
  // Puts the members back as a conversation had them.
  void RestoreMembers(std::vector<std::string> members, bool sorted);

  // Position of a member equal to `text` ignoring case, or -1.
  int IndexOf(std::string_view text) const;
  // Adds as the member list adds any entry: a sorted list skips a text it
  // holds already, an unsorted one appends it again.
  void ListAdd(std::string text);

  // The adding operations below refuse to grow the collection past
  // `maxMembers`: they raise EngineError and change nothing.
  void AddMember(std::string_view text, std::size_t maxMembers = SIZE_MAX);  // trimmed, never twice
  // Adds every text as ListAdd would, one after the other.
  void AddAll(std::vector<std::string> texts, std::size_t maxMembers);
  void RemoveMember(std::string_view text);  // trimmed
  void ClearMembers() {
    Changing();
    Members.clear();
  }
  // A file that cannot be read is ignored.
  void LoadMembers(const std::string& path, std::size_t maxMembers = SIZE_MAX);
  void SaveMembers(const std::string& path) const;  // failures are ignored
  void SetSorted(bool on);

  std::string FindMember(std::string_view context) const;
  std::string FindMemberAt(std::string_view context, std::string_view index) const;
  std::string FindMemberSub(std::string_view context) const;
  std::string ListMembers(std::string_view context) const;
  std::string PickMember(std::string_view argument) const;
  bool HasMemberWord(std::string_view text) const;
  bool HasMemberIn(std::string_view text) const;

 private:
  void SortMembers();  // ascending, without repeats (ignoring case)
  // Called before every change of the members or their order.
  void Changing();
  bool Sorted_ = true;
  std::shared_ptr<const std::vector<std::string>> asRead_;
  bool sortedAsRead_ = true;
};

// The words of a text: upper-cased maximal runs of the letters A to Z.
std::vector<std::string> SplitWords(std::string_view text);

}  // namespace varnex
