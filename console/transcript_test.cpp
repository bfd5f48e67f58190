// varnex test: runs transcripts against brains, each in a fresh brain with
// its seed fixed, and reports what differs; --update writes the answers
// back, --junit writes a report for CI systems, --coverage tells what no
// transcript reached.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "console/commands.h"
#include "console/transcript.h"
#include "engine/varnex.h"

namespace varnex {
namespace {

// A brain that answers in a loop until a run limit stops it may say a great
// deal; only this much of an input's answers is kept.
constexpr std::size_t kMostAnswerLines = 10000;
// A failure report shows this much of each difference.
constexpr std::size_t kMostDiffLines = 40;

void Out(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }
void Err(const std::string& text) {
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

std::string Place(const std::string& file, int line) {
  return line > 0 ? file + ":" + std::to_string(line) + ": " : file + ": ";
}

// ---- coverage ----

// What a brain holds, as coverage counts it, and what was reached of it.
struct ResponseCoverage {
  std::string where;  // empty, "threshold 3 to 999" or "state Sleepy"
  std::string text;
  bool reached = false;
};
struct ClauseCoverage {
  std::string step;  // for a procedure's clause
  int number = 0;
  std::string name;
  bool reached = false;
  std::vector<ResponseCoverage> responses;
};
struct OwnerCoverage {
  bool procedure = false;
  std::string name;
  std::vector<ClauseCoverage> clauses;
};
using BrainShape = std::vector<OwnerCoverage>;

// Walks a brain into its shape: a mode's clause is reached when it has
// hits, a response when it was drawn. Procedure steps show no hits; their
// clauses are known reached from the answering clauses instead.
class ShapeVisitor : public BrainVisitor {
 public:
  BrainShape shape;

  void Procedure(std::string_view name, std::string_view) override {
    shape.push_back({true, std::string(name), {}});
    stack_.push_back(Level::Owner);
  }
  void Step(std::string_view name, std::string_view) override {
    step_ = name;
    stack_.push_back(Level::Step);
  }
  void StepClause(int number, std::string_view name) override { AddClause(step_, number, name, false); }
  void Mode(std::string_view name, std::string_view) override {
    shape.push_back({false, std::string(name), {}});
    stack_.push_back(Level::Owner);
  }
  void Clause(int number, int32_t hits, std::string_view name) override { AddClause("", number, name, hits > 0); }
  void Threshold(int32_t from, int32_t to, std::string_view) override {
    where_ = "threshold " + std::to_string(from) + " to " + std::to_string(to);
    stack_.push_back(Level::Group);
  }
  void StateResponse(std::string_view state, std::string_view) override {
    where_ = "state " + std::string(state);
    stack_.push_back(Level::Group);
  }
  void ResponseRecord(const Response& r) override {
    if (!shape.empty() && !shape.back().clauses.empty()) {
      std::string text = r.text.empty() ? "(" + std::string(r.type) + ")" : std::string(r.text);
      shape.back().clauses.back().responses.push_back({where_, std::move(text), r.uses > 0});
    }
    stack_.push_back(Level::Response);
  }
  void Leave() override {
    if (stack_.empty()) return;
    if (stack_.back() == Level::Group) where_.clear();
    stack_.pop_back();
  }

 private:
  enum class Level { Owner, Step, Clause, Group, Response };
  void AddClause(const std::string& step, int number, std::string_view name, bool reached) {
    if (!shape.empty()) shape.back().clauses.push_back({step, number, std::string(name), reached, {}});
    stack_.push_back(Level::Clause);
  }
  std::vector<Level> stack_;
  std::string step_, where_;
};

BrainShape ShapeOf(const Brain& brain) {
  ShapeVisitor v;
  brain.Visit(v);
  return v.shape;
}

// The clauses that answered by score: mode or procedure, its name, the step, the number.
using AnsweredKey = std::tuple<bool, std::string, std::string, int>;

struct BrainCoverage {
  std::string shown;  // the brain's path as the first transcript named it
  int transcripts = 0;
  BrainShape shape;  // as the brain was read, before it ran
};

// Coverage of every brain the transcripts ran, added up per brain. A brain
// may change itself while it runs (new clauses, new responses); only what
// its file holds is counted, by its place in the brain.
class Coverage {
 public:
  void Add(const std::string& brainPath, const BrainShape& before, const BrainShape& after,
           const std::set<AnsweredKey>& answered) {
    char resolved[PATH_MAX];
    const std::string key = ::realpath(brainPath.c_str(), resolved) ? std::string(resolved) : brainPath;
    auto [it, fresh] = brains_.try_emplace(key);
    BrainCoverage& b = it->second;
    if (fresh) {
      b.shown = brainPath;
      b.shape = before;
      for (OwnerCoverage& o : b.shape)
        for (ClauseCoverage& c : o.clauses) {
          c.reached = false;
          for (ResponseCoverage& r : c.responses) r.reached = false;
        }
      order_.push_back(key);
    }
    ++b.transcripts;
    for (OwnerCoverage& o : b.shape) {
      const OwnerCoverage* ran = nullptr;
      for (const OwnerCoverage& a : after)
        if (a.procedure == o.procedure && a.name == o.name) {
          ran = &a;
          break;
        }
      for (std::size_t k = 0; k < o.clauses.size(); ++k) {
        ClauseCoverage& c = o.clauses[k];
        if (answered.contains({o.procedure, o.name, c.step, c.number})) c.reached = true;
        if (!ran || k >= ran->clauses.size() || ran->clauses[k].step != c.step) continue;
        const ClauseCoverage& r = ran->clauses[k];
        c.reached = c.reached || r.reached;
        for (std::size_t x = 0; x < c.responses.size() && x < r.responses.size(); ++x)
          c.responses[x].reached = c.responses[x].reached || r.responses[x].reached;
      }
    }
  }

  std::string Report() const {
    std::string out;
    for (const std::string& key : order_) {
      const BrainCoverage& b = brains_.at(key);
      out += "Coverage of " + b.shown + " (" + Count(b.transcripts, "transcript") + ")\n";
      int clauses = 0, clausesReached = 0, responses = 0, responsesReached = 0, owners = 0;
      // Modes first: they are what most of a brain is.
      std::vector<const OwnerCoverage*> shown;
      for (const bool procedures : {false, true})
        for (const OwnerCoverage& o : b.shape)
          if (o.procedure == procedures && !o.clauses.empty()) shown.push_back(&o);
      for (const OwnerCoverage* owner : shown) {
        const OwnerCoverage& o = *owner;
        ++owners;
        int c = 0, cr = 0, r = 0, rr = 0;
        std::string missing;
        for (const ClauseCoverage& clause : o.clauses) {
          ++c;
          cr += clause.reached;
          std::string label = clause.step.empty() ? "" : "step " + clause.step + " ";
          label += "clause " + std::to_string(clause.number);
          if (!clause.name.empty()) label += " (" + clause.name + ")";
          if (!clause.reached) missing += "    not reached: " + label + "\n";
          int number = 0;
          std::string group;
          for (const ResponseCoverage& resp : clause.responses) {
            number = resp.where == group ? number + 1 : 1;
            group = resp.where;
            ++r;
            rr += resp.reached;
            // The responses of a clause never reached go without saying.
            if (clause.reached && !resp.reached)
              missing += "    not reached: " + label + (resp.where.empty() ? "" : ", " + resp.where) + ", response " +
                         std::to_string(number) + ": " + resp.text + "\n";
          }
        }
        out += "  " + std::string(o.procedure ? "Procedure " : "Mode ") + o.name + ": " + Share(cr, c, "clauses") +
               ", " + Share(rr, r, "responses") + "\n" + missing;
        clauses += c, clausesReached += cr, responses += r, responsesReached += rr;
      }
      if (owners > 1)
        out += "  All: " + Share(clausesReached, clauses, "clauses") + ", " +
               Share(responsesReached, responses, "responses") + "\n";
    }
    return out;
  }

 private:
  static std::string Count(int n, const std::string& what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  }
  // "12 of 15 clauses (80%)": rounded, but 100% only when all were reached
  // and 0% only when none was.
  static std::string Share(int reached, int total, const std::string& what) {
    std::string s = std::to_string(reached) + " of " + std::to_string(total) + " " + what;
    if (total == 0) return s;
    int percent = (reached * 200 + total) / (total * 2);
    if (percent == 100 && reached < total) percent = 99;
    if (percent == 0 && reached > 0) percent = 1;
    return s + " (" + std::to_string(percent) + "%)";
  }
  std::map<std::string, BrainCoverage> brains_;
  std::vector<std::string> order_;
};

// ---- running one transcript ----

struct ExchangeRun {
  std::vector<std::string> answers;
  std::size_t dropped = 0;  // answer lines past kMostAnswerLines
  std::vector<Brain::AnsweredBy> answeredBy;
  std::vector<std::string> notes;  // errors of tags and tasks, refusals
  std::string stopped;             // why the run did not finish
};

struct TranscriptRun {
  std::vector<ExchangeRun> exchanges;
  std::vector<std::string> readerMessages;
  std::string readStopped;
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The brain is named from the transcript's own folder; for a transcript
// reached through a symbolic link, from the folder of the file it names,
// where the transcript was written.
std::string BrainPathOf(const Transcript& t, const std::string& transcriptPath) {
  if (t.brain.empty()) return DemoBrainPath();
  if (t.brain[0] == '/') return t.brain;
  struct stat st {};
  char resolved[PATH_MAX];
  if (::lstat(transcriptPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(transcriptPath.c_str(), resolved))
    return FolderOf(resolved) + t.brain;
  return FolderOf(transcriptPath) + t.brain;
}

TranscriptRun RunTranscript(const Transcript& t, const std::string& brainPath, const ConsoleOptions& options,
                            Coverage* coverage) {
  TranscriptRun run;
  run.exchanges.resize(t.exchanges.size());
  ExchangeRun* current = nullptr;
  std::vector<std::string> earlyNotes;
  auto note = [&](const std::string& text) { (current ? current->notes : earlyNotes).push_back(text); };

  // The shipped brain asks the shipped word database, as the chat does.
  static bool wordsOpened = false;
  if (t.brain.empty() && !wordsOpened) {
    OpenWordDatabase(ShippedWordDatabasePath());
    wordsOpened = true;
  }

  FixRandomSeed(t.seed);
  Brain brain;
  brain.SetFastPath(!options.reference);
  brain.On().answer = [&](const std::string& text) {
    if (!current) return;
    std::vector<std::string> lines;
    AddAnswerLines(text, lines);
    for (std::string& l : lines) {
      if (current->answers.size() < kMostAnswerLines)
        current->answers.push_back(std::move(l));
      else
        ++current->dropped;
    }
  };
  brain.On().readerMessageAt = [&](const std::string& file, int line, const std::string& text) {
    run.readerMessages.push_back(file.empty() ? text : Place(file, line) + text);
  };
  brain.On().error = [&](const std::string& text) { note("Error: " + text); };
  // Tests run no programs and load no libraries: a brain that needs them
  // is tested in the chat, where the user can allow them.
  brain.On().permission = [&](Permission kind, const std::string& what) {
    note(std::string(kind == Permission::StartProgram ? "refused to start the program "
                                                      : "refused to load the library ") +
         what + " (tests allow neither)");
    return false;
  };

  const RunResult read = brain.ReadFile(brainPath);
  if (!read.Done()) run.readStopped = read.message;
  BrainShape before;
  if (coverage) before = ShapeOf(brain);

  std::set<AnsweredKey> answered;
  auto call = [&](std::size_t x, auto&& f) {
    current = &run.exchanges[x];
    const RunResult r = f();
    if (!r.Done()) current->stopped = r.message.empty() ? "the run stopped" : r.message;
    current->answeredBy = brain.Answered();
    for (const Brain::AnsweredBy& a : current->answeredBy) answered.insert({a.step, a.owner, a.stepName, a.number});
    current = nullptr;
  };
  call(0, [&] { return brain.Start(); });
  for (std::size_t x = 1; x < t.exchanges.size(); ++x) call(x, [&] { return brain.Answer(t.exchanges[x].input); });
  // Finalize clauses run as at the end of a conversation; what they say is
  // not part of any input's answers.
  brain.Stop();

  auto& first = run.exchanges[0].notes;
  first.insert(first.begin(), earlyNotes.begin(), earlyNotes.end());
  if (coverage) coverage->Add(brainPath, before, ShapeOf(brain), answered);
  return run;
}

// ---- what a transcript's run comes to ----

std::string AnsweredByText(const Brain::AnsweredBy& a) {
  std::string s = a.step ? "procedure " + a.owner + " step " + a.stepName : "mode " + a.owner;
  s += " clause " + std::to_string(a.number);
  if (!a.name.empty()) s += " (" + a.name + ")";
  return s + ", score " + std::to_string(a.score);
}

bool ExchangePasses(const Exchange& e, const ExchangeRun& r) {
  return r.stopped.empty() && r.dropped == 0 && Passes(e.expected, r.answers);
}

struct Verdict {
  int failures = 0;
  int firstLine = 0;
  std::string report;  // the failing exchanges, or the notes of a passing run
  bool updatable = true;
};

Verdict Judge(const std::string& path, const Transcript& t, const std::string& brainPath, const TranscriptRun& run) {
  Verdict v;
  if (!run.readerMessages.empty() || !run.readStopped.empty()) {
    ++v.failures;
    v.firstLine = t.brainLine;
    v.updatable = false;
    v.report += Place(path, t.brainLine) + "the brain " + brainPath + " did not read cleanly:\n";
    for (const std::string& m : run.readerMessages) v.report += "  " + m + "\n";
    if (!run.readStopped.empty()) v.report += "  reading stopped: " + run.readStopped + "\n";
  }
  for (std::size_t x = 0; x < t.exchanges.size(); ++x) {
    const Exchange& e = t.exchanges[x];
    const ExchangeRun& r = run.exchanges[x];
    const std::string where = Place(path, e.line) + (e.start ? "when the brain starts" : "> " + e.input) + "\n";
    if (ExchangePasses(e, r)) {
      for (const std::string& n : r.notes) v.report += Place(path, e.line) + "note: " + n + "\n";
      continue;
    }
    ++v.failures;
    if (!v.firstLine) v.firstLine = e.line;
    std::vector<DiffLine> diff = Diff(e.expected, r.answers);
    const std::size_t hidden = (diff.size() > kMostDiffLines ? diff.size() - kMostDiffLines : 0) + r.dropped;
    if (diff.size() > kMostDiffLines) diff.resize(kMostDiffLines);
    v.report += where + DiffText(diff, "  ");
    if (hidden) v.report += "  ... and " + std::to_string(hidden) + " more lines\n";
    if (r.dropped) v.updatable = false;
    if (!r.stopped.empty()) {
      v.report += "  the run stopped: " + r.stopped + "\n";
      v.updatable = false;
    }
    for (const std::string& n : r.notes) v.report += "  " + n + "\n";
    if (!e.start) {
      if (r.answeredBy.empty()) v.report += "  no clause was chosen\n";
      for (const Brain::AnsweredBy& a : r.answeredBy) v.report += "  answered by " + AnsweredByText(a) + "\n";
    }
  }
  return v;
}

// ---- files ----

// The file's bytes; only plain files are read, so a pipe never blocks.
bool ReadWhole(const std::string& path, std::string& text, std::string& error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    error = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "not a plain file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    error = std::strerror(errno);
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in.good() && !in.eof()) {
    error = "cannot be read";
    return false;
  }
  text = bytes.str();
  return true;
}

// Writes a temporary file beside `path` and renames it over `path` once it
// is complete, so a failure never leaves half a file. A symbolic link is
// followed and kept; a file without write permission is left alone.
std::string WriteAtomically(const std::string& path, const std::string& text) {
  std::string target = path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved)) target = resolved;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return path + ": not a plain file";
  if (exists && (st.st_mode & 0222) == 0) return path + ": the file is write-protected";
  std::string temp = target + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return path + ": " + std::strerror(errno);
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  int failure = ::fchmod(fd, mode) == 0 ? 0 : errno;
  for (std::size_t done = 0; !failure && done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      failure = n < 0 ? errno : EIO;
    else
      done += static_cast<std::size_t>(n);
  }
  if (!failure && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && !failure) failure = errno;
  if (!failure && ::rename(temp.c_str(), target.c_str()) != 0) failure = errno;
  if (!failure) return "";
  ::unlink(temp.c_str());
  return path + ": " + std::strerror(failure);
}

struct FileOutcome {
  enum class Status { Passed, Failed, Updated, Error } status = Status::Passed;
  std::string path;
  std::string message;  // one line: why it failed
  std::string report;   // the details
  double seconds = 0;
};

FileOutcome TestFile(const std::string& path, const ConsoleOptions& options, Coverage* coverage) {
  FileOutcome o;
  o.path = path;
  auto error = [&](int line, const std::string& message) {
    o.status = FileOutcome::Status::Error;
    o.message = message;
    o.report = Place(path, line) + message + "\n";
    return o;
  };
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // Given by mistake, a brain would read as a transcript of expected lines,
  // and --update would overwrite it.
  if (lower.ends_with(".vlf")) return error(0, "this is a brain, not a transcript");
  std::string text, why;
  if (!ReadWhole(path, text, why)) return error(0, why);
  auto parsed = ParseTranscript(text);
  if (auto* wrong = std::get_if<TranscriptError>(&parsed)) return error(wrong->line, wrong->message);
  const Transcript& t = std::get<Transcript>(parsed);
  const std::string brainPath = BrainPathOf(t, path);
  if (const auto problem = Brain::CannotOpen(brainPath)) return error(t.brainLine, *problem);

  const TranscriptRun run = RunTranscript(t, brainPath, options, coverage);
  const Verdict v = Judge(path, t, brainPath, run);
  o.report = v.report;
  if (v.failures == 0) return o;
  o.status = FileOutcome::Status::Failed;
  o.message = std::to_string(v.failures) + (v.failures == 1 ? " failure" : " failures") + ", the first at line " +
              std::to_string(v.firstLine);
  if (!options.update) return o;
  if (!v.updatable) {
    o.report += Place(path, 0) + "not updated: the brain did not read cleanly, or a run did not finish\n";
    return o;
  }

  std::vector<std::vector<std::string>> actual;
  for (const ExchangeRun& r : run.exchanges) actual.push_back(r.answers);
  const std::string updated = Rewritten(t, actual);
  if (const std::string failed = WriteAtomically(path, updated); !failed.empty()) {
    o.report += Place(path, 0) + "not updated: " + failed + "\n";
    return o;
  }
  // The same brain, seed and inputs give the same answers; a brain whose
  // answers change from run to run (the time of day, a file it reads)
  // still fails, and is told so.
  auto reparsed = ParseTranscript(updated);
  if (auto* again = std::get_if<Transcript>(&reparsed)) {
    const TranscriptRun rerun = RunTranscript(*again, brainPath, options, nullptr);
    const Verdict after = Judge(path, *again, brainPath, rerun);
    if (after.failures == 0) {
      o.status = FileOutcome::Status::Updated;
      o.report = after.report;
      return o;
    }
    o.report = after.report;
  }
  o.report += Place(path, 0) + "updated, but it still fails: the brain answers differently from run to run\n";
  return o;
}

// ---- JUnit XML ----

std::string Seconds(double s) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", s);
  return buffer;
}

std::string JUnit(const std::vector<FileOutcome>& outcomes, double seconds) {
  int failures = 0, errors = 0;
  for (const FileOutcome& o : outcomes) {
    failures += o.status == FileOutcome::Status::Failed;
    errors += o.status == FileOutcome::Status::Error;
  }
  const std::string counts = " tests=\"" + std::to_string(outcomes.size()) + "\" failures=\"" +
                             std::to_string(failures) + "\" errors=\"" + std::to_string(errors) + "\" time=\"" +
                             Seconds(seconds) + "\"";
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  x += "<testsuites name=\"varnex test\"" + counts + ">\n";
  x += "  <testsuite name=\"varnex test\"" + counts + " skipped=\"0\">\n";
  for (const FileOutcome& o : outcomes) {
    std::string folder = FolderOf(o.path);
    if (folder.size() > 1) folder.pop_back();
    x += "    <testcase name=\"" + XmlEscaped(o.path) + "\" classname=\"" + XmlEscaped(folder.empty() ? "." : folder) +
         "\" time=\"" + Seconds(o.seconds) + "\"";
    const char* element = o.status == FileOutcome::Status::Failed  ? "failure"
                          : o.status == FileOutcome::Status::Error ? "error"
                                                                   : nullptr;
    if (element) {
      x += ">\n      <" + std::string(element) + " message=\"" + XmlEscaped(o.message) + "\" type=\"transcript\">" +
           XmlEscaped(o.report) + "</" + element + ">\n    </testcase>\n";
    } else if (!o.report.empty() || o.status == FileOutcome::Status::Updated) {
      const std::string said = (o.status == FileOutcome::Status::Updated ? "updated\n" : "") + o.report;
      x += ">\n      <system-out>" + XmlEscaped(said) + "</system-out>\n    </testcase>\n";
    } else {
      x += "/>\n";
    }
  }
  x += "  </testsuite>\n</testsuites>\n";
  return x;
}

}  // namespace

int RunTest(const ConsoleOptions& options) {
  using Clock = std::chrono::steady_clock;
  const auto began = Clock::now();
  Coverage coverage;
  std::vector<FileOutcome> outcomes;
  int passed = 0, failed = 0, updated = 0, errors = 0;
  for (const std::string& path : options.operands) {
    const auto start = Clock::now();
    FileOutcome o = TestFile(path, options, options.coverage ? &coverage : nullptr);
    o.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    switch (o.status) {
      case FileOutcome::Status::Passed: ++passed, Out("PASS " + path + "\n" + o.report); break;
      case FileOutcome::Status::Updated: ++updated, Out("UPDATED " + path + "\n" + o.report); break;
      case FileOutcome::Status::Failed: ++failed, Out("FAIL " + path + "\n" + o.report); break;
      case FileOutcome::Status::Error:
        ++errors;
        Out("ERROR " + path + "\n");
        Err(o.report);
        break;
    }
    outcomes.push_back(std::move(o));
  }
  if (options.coverage) Out(coverage.Report());

  std::string summary = std::to_string(passed) + " passed, " + std::to_string(failed) + " failed";
  if (updated) summary += ", " + std::to_string(updated) + " updated";
  if (errors) summary += ", " + std::to_string(errors) + " could not run";
  Out(summary + "\n");
  std::fflush(stdout);

  int status = errors ? 2 : failed ? 1 : 0;
  if (options.junit) {
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    if (const std::string error = WriteAtomically(*options.junit, JUnit(outcomes, seconds)); !error.empty()) {
      Err("varnex: cannot write the JUnit report: " + error + "\n");
      status = 2;
    }
  }
  return status;
}

}  // namespace varnex
