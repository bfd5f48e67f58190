// Saving and restoring a conversation. Restoring reads the whole blob into
// plain values first and checks it, and only then changes the brain, so a
// blob that cannot be read leaves the brain as it was.
#include "engine/records/session.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/base/random.h"

namespace varnex {

namespace {

constexpr char kMagic[] = "VXSESS";
constexpr std::size_t kMagicSize = 6;
constexpr std::size_t kHeaderSize = kMagicSize + 2 + 8 + 8;

constexpr uint64_t kOffset = 1469598103934665603ull;
constexpr uint64_t kPrime = 1099511628211ull;

// Version 1's checksum: FNV-1a, a byte at a time.
uint64_t ChecksumV1(std::string_view bytes) {
  uint64_t h = kOffset;
  for (unsigned char c : bytes) h = (h ^ c) * kPrime;
  return h;
}

uint64_t RotateLeft(uint64_t x, int n) { return (x << n) | (x >> (64 - n)); }

// Version 2's checksum: the same mixing over eight-byte words, in four
// independent lanes so that the multiplications overlap, then folded
// together with the bytes left over and the length. The rotation carries
// a change in a word's high bits down into the low bits the next
// multiplication spreads. It finds damage; it is not meant to resist
// anyone forging a blob, which the stores do not let clients write.
uint64_t Checksum(std::string_view bytes) {
  uint64_t lane[4] = {kOffset, kOffset ^ 1, kOffset ^ 2, kOffset ^ 3};
  const char* p = bytes.data();
  std::size_t n = bytes.size();
  for (; n >= 32; p += 32, n -= 32)
    for (int k = 0; k < 4; ++k) {
      uint64_t word;
      std::memcpy(&word, p + 8 * k, 8);
      lane[k] = (RotateLeft(lane[k], 29) ^ word) * kPrime;
    }
  uint64_t h = kOffset;
  for (const uint64_t l : lane) h = (RotateLeft(h, 29) ^ l) * kPrime;
  for (; n > 0; ++p, --n) h = (h ^ static_cast<unsigned char>(*p)) * kPrime;
  h = (RotateLeft(h, 29) ^ bytes.size()) * kPrime;
  return h ^ (h >> 32);
}

class Writer {
 public:
  template <class T>
  void Number(T v) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));  // little-endian machines only (checked in text.h)
    out_.append(bytes, sizeof(T));
  }
  void Text(std::string_view s) {
    Number(static_cast<uint32_t>(s.size()));
    out_.append(s);
  }
  template <class List>
  void Texts(const List& list) {
    Number(static_cast<uint32_t>(list.size()));
    for (const auto& s : list) Text(s);
  }
  std::string& Bytes() { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  template <class T>
  T Number() {
    Need(sizeof(T));
    T v;
    std::memcpy(&v, in_.data(), sizeof(T));
    in_.remove_prefix(sizeof(T));
    return v;
  }
  std::string Text() {
    const uint32_t n = Number<uint32_t>();
    Need(n);
    std::string s(in_.substr(0, n));
    in_.remove_prefix(n);
    return s;
  }
  template <class List>
  List Texts() {
    const uint32_t n = Number<uint32_t>();
    // Each text takes at least its length: a count beyond what is left
    // cannot be right, and must not make us reserve for it.
    if (n > in_.size() / 4) throw SessionError("session blob damaged: a list longer than the blob");
    List list;
    for (uint32_t i = 0; i < n; ++i) list.push_back(Text());
    return list;
  }
  uint32_t Count(std::size_t itemBytes) {
    const uint32_t n = Number<uint32_t>();
    if (n > in_.size() / itemBytes) throw SessionError("session blob damaged: a count beyond the blob");
    return n;
  }
  bool AtEnd() const { return in_.empty(); }

 private:
  void Need(std::size_t n) const {
    if (in_.size() < n) throw SessionError("session blob damaged: it ends too soon");
  }
  std::string_view in_;
};

struct Hit {
  uint32_t mode, clause;
  int32_t hits;
  double lastVolition;
};

struct SavedCollection {
  std::string name;
  bool made = false, sorted = true;
  std::vector<std::string> members;
  double cacheTime = 0, subCacheTime = 0;
  std::string cache, subCache;
};

// The session as plain values, between the blob and the brain.
struct Session {
  int32_t mode = -1, state = -1, proc = -1;
  double lastInput = 0;
  std::string last[6];
  std::deque<std::string> inputs, outputs;
  std::vector<std::string> factNames, factValues, states, callNames, callSteps;
  std::vector<std::pair<std::string, std::string>> steps;
  std::vector<Hit> hits;
  RandomState random{};
  std::vector<SavedCollection> collections;
};

std::string* LastNames(BrainClass& b, int i) {
  std::string* names[] = {&b.LastPatternName,  &b.LastStepPatternName, &b.LastFragmentName,
                          &b.LastResponseName, &b.LastTaskName,        &b.LastKnowledgeName};
  return names[i];
}

Session Parse(std::string_view blob) {
  if (blob.size() < kHeaderSize || std::memcmp(blob.data(), kMagic, kMagicSize) != 0)
    throw SessionError("not a session blob");
  Reader header(blob.substr(kMagicSize, kHeaderSize - kMagicSize));
  const uint16_t version = header.Number<uint16_t>();
  if (version != kSessionVersion && version != 1)
    throw SessionError("session blob of format version " + std::to_string(version) +
                       "; this program reads versions 1 to " + std::to_string(kSessionVersion));
  const uint64_t length = header.Number<uint64_t>();
  const uint64_t sum = header.Number<uint64_t>();
  const std::string_view payload = blob.substr(kHeaderSize);
  if (payload.size() != length) throw SessionError("session blob damaged: its length does not hold");
  if ((version == 1 ? ChecksumV1(payload) : Checksum(payload)) != sum)
    throw SessionError("session blob damaged: its checksum does not hold");

  Reader in(payload);
  Session s;
  s.mode = in.Number<int32_t>();
  s.state = in.Number<int32_t>();
  s.proc = in.Number<int32_t>();
  s.lastInput = in.Number<double>();
  for (auto& name : s.last) name = in.Text();
  s.inputs = in.Texts<std::deque<std::string>>();
  s.outputs = in.Texts<std::deque<std::string>>();
  s.factNames = in.Texts<std::vector<std::string>>();
  s.factValues = in.Texts<std::vector<std::string>>();
  if (s.factNames.size() != s.factValues.size()) throw SessionError("session blob damaged: facts without values");
  s.states = in.Texts<std::vector<std::string>>();
  s.callNames = in.Texts<std::vector<std::string>>();
  s.callSteps = in.Texts<std::vector<std::string>>();
  for (uint32_t i = 0, n = in.Count(8); i < n; ++i) {
    std::string name = in.Text();
    s.steps.emplace_back(std::move(name), in.Text());
  }
  for (uint32_t i = 0, n = in.Count(20); i < n; ++i) {
    Hit h;
    h.mode = in.Number<uint32_t>();
    h.clause = in.Number<uint32_t>();
    h.hits = in.Number<int32_t>();
    h.lastVolition = in.Number<double>();
    s.hits.push_back(h);
  }
  for (uint32_t& w : s.random.words) w = in.Number<uint32_t>();
  for (uint32_t i = 0, n = in.Count(30); i < n; ++i) {
    SavedCollection c;
    c.name = in.Text();
    c.made = in.Number<uint8_t>() != 0;
    c.sorted = in.Number<uint8_t>() != 0;
    c.members = in.Texts<std::vector<std::string>>();
    c.cacheTime = in.Number<double>();
    c.cache = in.Text();
    c.subCacheTime = in.Number<double>();
    c.subCache = in.Text();
    s.collections.push_back(std::move(c));
  }
  if (!in.AtEnd()) throw SessionError("session blob damaged: bytes after its end");
  return s;
}

// Where a pattern of `mode` stands in it. The cache is checked on every
// lookup and rebuilt when the pattern is not where it says (the mode has
// changed since), so it is never trusted blindly.
uint32_t PositionOf(KnowledgeClass& mode, const PatternClass* p) {
  auto& cache = mode.PositionCache;
  const auto find = [&]() -> std::optional<uint32_t> {
    const auto it = std::lower_bound(cache.begin(), cache.end(), std::make_pair(p, uint32_t{0}));
    if (it == cache.end() || it->first != p) return std::nullopt;
    if (it->second >= mode.Patterns.size() || mode.Patterns[it->second].get() != p) return std::nullopt;
    return it->second;
  };
  if (const auto at = find()) return *at;
  cache.clear();
  cache.reserve(mode.Patterns.size());
  for (std::size_t i = 0; i < mode.Patterns.size(); ++i)
    cache.emplace_back(mode.Patterns[i].get(), static_cast<uint32_t>(i));
  std::sort(cache.begin(), cache.end());
  if (const auto at = find()) return *at;
  // Marked patterns belong to their mode while they live; one that does
  // not would be a broken mark, and its count is not worth a wrong index.
  return static_cast<uint32_t>(mode.Patterns.size());
}

}  // namespace

void MarkBrainAsRead(BrainClass& brain) {
  brain.KeepsSessions = true;
  for (auto& c : brain.Collections) {
    c.Collection->MarkAsRead();
    c.Collection->MadeWhileRunning = false;
  }
}

std::string SaveSession(const BrainClass& b) {
  Writer w;
  // The header's room first, filled in once the payload is written, so
  // that the blob is made in one buffer.
  w.Bytes().reserve(4096);
  w.Bytes().append(kHeaderSize, '\0');
  w.Number<int32_t>(b.CurrentMode);
  w.Number<int32_t>(b.CurrentState);
  w.Number<int32_t>(b.CurrentProc);
  w.Number<double>(b.LastInput);
  for (int i = 0; i < 6; ++i) w.Text(*LastNames(const_cast<BrainClass&>(b), i));
  w.Texts(b.InputHistory);
  w.Texts(b.OutputHistory);
  w.Texts(b.FactNames);
  w.Texts(b.FactValues);
  w.Texts(b.StateNames);
  w.Texts(b.ProcStackNames);
  w.Texts(b.ProcStackSteps);
  w.Number(static_cast<uint32_t>(b.Procs.size()));
  for (const auto& p : b.Procs) {
    w.Text(p->TheName.view());
    w.Text(p->CurrentStep.view());
  }
  std::vector<Hit> hits;
  for (std::size_t k = 0; k < b.Knowledge.size(); ++k) {
    // Only marked patterns can hold a count or a volition time: a
    // conversation costs what it touched, not the size of the mode.
    KnowledgeClass& mode = *b.Knowledge[k];
    std::vector<PatternClass*> marked(mode.HitMarked);
    marked.insert(marked.end(), mode.VolitionMarked.begin(), mode.VolitionMarked.end());
    std::sort(marked.begin(), marked.end());
    marked.erase(std::unique(marked.begin(), marked.end()), marked.end());
    const std::size_t first = hits.size();
    for (const PatternClass* p : marked) {
      if (p->HitCount == 0 && p->LastVolition == 0) continue;
      const uint32_t at = PositionOf(mode, p);
      if (at < mode.Patterns.size()) hits.push_back({static_cast<uint32_t>(k), at, p->HitCount, p->LastVolition});
    }
    std::sort(hits.begin() + static_cast<std::ptrdiff_t>(first), hits.end(),
              [](const Hit& x, const Hit& y) { return x.clause < y.clause; });
  }
  w.Number(static_cast<uint32_t>(hits.size()));
  for (const Hit& h : hits) {
    w.Number(h.mode);
    w.Number(h.clause);
    w.Number(h.hits);
    w.Number(h.lastVolition);
  }
  const RandomState random = SaveRandomState();
  for (uint32_t word : random.words) w.Number(word);
  std::vector<const CollectionEntry*> changed;
  for (const auto& c : b.Collections)
    if (c.Collection->Changes != 0 || c.Collection->MadeWhileRunning) changed.push_back(&c);
  w.Number(static_cast<uint32_t>(changed.size()));
  for (const CollectionEntry* e : changed) {
    const DataCollectionClass& c = *e->Collection;
    w.Text(e->Name);
    w.Number<uint8_t>(c.MadeWhileRunning);
    w.Number<uint8_t>(c.Sorted());
    w.Texts(c.Members);
    w.Number(c.MemberCacheTime);
    w.Text(c.MemberCache);
    w.Number(c.MemberSubCacheTime);
    w.Text(c.MemberSubCache);
  }
  std::string& blob = w.Bytes();
  const std::string_view payload = std::string_view(blob).substr(kHeaderSize);
  Writer header;
  header.Bytes().append(kMagic, kMagicSize);
  header.Number<uint16_t>(kSessionVersion);
  header.Number<uint64_t>(payload.size());
  header.Number<uint64_t>(Checksum(payload));
  blob.replace(0, kHeaderSize, header.Bytes());
  return std::move(blob);
}

void RestoreSession(BrainClass& b, std::string_view blob) {
  Session s = Parse(blob);
  b.CurrentMode = s.mode;
  b.CurrentState = s.state;
  b.CurrentProc = s.proc;
  b.LastInput = s.lastInput;
  for (int i = 0; i < 6; ++i) *LastNames(b, i) = std::move(s.last[i]);
  b.InputHistory = std::move(s.inputs);
  b.OutputHistory = std::move(s.outputs);
  b.ReplaceFacts(std::move(s.factNames), std::move(s.factValues));
  b.StateNames = std::move(s.states);
  b.ProcStackNames = std::move(s.callNames);
  b.ProcStackSteps = std::move(s.callSteps);
  // A procedure the session does not name (the brain gained it since) is
  // at its first step as read: its step stays as it is.
  for (const auto& [name, step] : s.steps) {
    const int i = b.IndexOfProc(name);
    if (i >= 0) b.Procs[static_cast<std::size_t>(i)]->CurrentStep = step;
  }
  // Every clause's count is the session's: the others' counts go back to 0.
  for (auto& k : b.Knowledge) {
    ClearHitCounts(*k);
    for (PatternClass* p : k->VolitionMarked) p->LastVolition = 0;
    k->VolitionMarked.clear();
  }
  for (const Hit& h : s.hits) {
    // A clause the brain no longer has (it changed since) is passed over.
    if (h.mode >= b.Knowledge.size() || h.clause >= b.Knowledge[h.mode]->Patterns.size()) continue;
    PatternClass& p = *b.Knowledge[h.mode]->Patterns[h.clause];
    SetHitCount(p, h.hits);
    SetLastVolition(p, h.lastVolition);
  }
  RestoreRandomState(s.random);

  // Collections: those another conversation changed go back to the brain's
  // members as read, those another made go away, and this one's are put
  // back as it left them.
  std::vector<DataCollectionClass*> gone;
  for (auto& e : b.Collections) {
    DataCollectionClass& c = *e.Collection;
    if (c.MadeWhileRunning) {
      gone.push_back(&c);
    } else if (c.Changes != 0 && c.MembersAsRead()) {
      c.RestoreMembers(*c.MembersAsRead(), c.SortedAsRead());
      c.MarkAsRead();
    }
    c.MemberCacheTime = c.MemberSubCacheTime = 0;
    c.MemberCache.clear();
    c.MemberSubCache.clear();
  }
  for (DataCollectionClass* c : gone) b.Retire(b.TakeCollection(c));
  for (SavedCollection& saved : s.collections) {
    DataCollectionClass* c = b.FindCollection(saved.name);
    if (!c) {
      auto made = std::make_unique<DataCollectionClass>();
      c = made.get();
      b.AddCollection(saved.name, std::move(made));
    }
    c->RestoreMembers(std::move(saved.members), saved.sorted);
    c->MadeWhileRunning = saved.made;
    c->MemberCacheTime = saved.cacheTime;
    c->MemberCache = std::move(saved.cache);
    c->MemberSubCacheTime = saved.subCacheTime;
    c->MemberSubCache = std::move(saved.subCache);
  }
}

}  // namespace varnex
