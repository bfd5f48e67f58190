// A brain for expansion tests, with short helpers to expand a text and to
// register collections and fragments.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "engine/template/expand_tags.h"
#include "support/test_support.h"

namespace varnex::test {

class ExpandFixture : public ::testing::Test {
 protected:
  Recorder rec;
  std::unique_ptr<BrainClass> brain = MakeBrain(rec, false);

  std::string X(std::string_view text, std::string_view context = "", PatternClass* p = nullptr,
                StepPatternClass* sp = nullptr) {
    return ExpandTags(*brain, text, context, sp, p);
  }

  DataCollectionClass* Coll(const std::string& name, std::initializer_list<const char*> members) {
    auto c = std::make_unique<DataCollectionClass>();
    for (const char* m : members) c->AddMember(m);
    DataCollectionClass* raw = c.get();
    brain->AddCollection(name, std::move(c));
    return raw;
  }
};

inline void AddFragment(OwnedList<WordFragmentClass>& fragments, int relation, const std::string& text) {
  auto f = std::make_unique<WordFragmentClass>();
  f->Relation = static_cast<uint8_t>(relation);
  f->WordFrag = text;
  fragments.push_back(std::move(f));
}

}  // namespace varnex::test
