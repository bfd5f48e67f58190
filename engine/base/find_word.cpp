// Whole-word search. A candidate occurrence that has a word character on
// either side is not a word: the search deletes it from its copy of the
// text and goes on, so positions are those of the shrunken text, as the
// matcher's order rule expects.
#include "engine/base/find_word.h"

#include <string>

#include "engine/base/text_search.h"

namespace varnex {
namespace {

// The searched text after deletions, held as a built prefix plus an untouched
// suffix of the original, so that each rejected occurrence costs only the
// characters it skips rather than a copy of the whole text.
class ShrinkingText {
 public:
  // The built prefix lives in a buffer of the thread's, so that a search
  // that rejects occurrences does not allocate each time.
  explicit ShrinkingText(std::string_view original) : head_(Scratch()), rest_(original) { head_.clear(); }

  std::size_t Size() const { return head_.size() + rest_.size(); }
  char At(std::size_t i) const { return i < head_.size() ? head_[i] : rest_[i - head_.size()]; }

  // First occurrence of w at or after `from` (0-based), or npos. `from` never
  // lies more than |w|-1 characters inside the built prefix.
  std::size_t Find(std::string_view w, std::size_t from) const {
    const std::size_t L = w.size();
    const std::size_t n = Size();
    if (L > n) return std::string_view::npos;
    // Occurrences that start inside the prefix reach into the suffix: check
    // those few start positions one by one.
    for (std::size_t s = from; s < head_.size() && s + L <= n; ++s) {
      std::size_t k = 0;
      while (k < L && At(s + k) == w[k]) ++k;
      if (k == L) return s;
    }
    std::size_t start = from > head_.size() ? from - head_.size() : 0;
    std::size_t p = rest_.find(w, start);
    return p == std::string_view::npos ? p : head_.size() + p;
  }

  // Deletes L characters at q, where the occurrence ends inside the suffix.
  void Delete(std::size_t q, std::size_t L) {
    if (q <= head_.size()) {
      std::size_t intoRest = q + L - head_.size();
      head_.resize(q);
      rest_.remove_prefix(intoRest);
    } else {
      std::size_t keep = q - head_.size();
      head_.append(rest_.substr(0, keep));
      rest_.remove_prefix(keep + L);
    }
  }

 private:
  static std::string& Scratch() {
    thread_local std::string buffer;
    return buffer;
  }
  std::string& head_;
  std::string_view rest_;
};

}  // namespace

bool FindWord(std::string_view word, std::string_view text, int32_t& position) {
  // Words are short: their upper-case copy rarely leaves the stack.
  const std::string W(TrimView(UpperCase(word)));
  return FindUpperWord(W, UpperCase(text), position);
}

bool FindUpperWord(std::string_view W, std::string_view upper, int32_t& position) {
  if (W.empty()) return false;
  if (W == upper) {
    position = 1;
    return true;
  }
  const std::size_t L = W.size();
  const bool wordFirst = IsWordChar(W.front());
  const bool wordLast = IsWordChar(W.back());
  ShrinkingText T(upper);
  std::size_t from = 0;
  for (;;) {
    std::size_t q = T.Find(W, from);
    if (q == std::string_view::npos) {
      position = 0;
      return false;
    }
    const std::size_t n = T.Size();
    bool accepted;
    if (q == 0) {
      accepted = n <= L || !wordLast || !IsWordChar(T.At(L));
    } else if (q + L == n) {
      accepted = !wordFirst || !IsWordChar(T.At(q - 1));
    } else {
      accepted = (!wordFirst || !IsWordChar(T.At(q - 1))) && (!wordLast || !IsUpperLetter(T.At(q + L)));
    }
    if (accepted) {
      position = static_cast<int32_t>(q + 1);
      return true;
    }
    T.Delete(q, L);
    // Nothing before q held an occurrence; after the deletion a new one can
    // only start within the last L-1 characters before the join.
    from = q >= L - 1 ? q - (L - 1) : 0;
  }
}

}  // namespace varnex
