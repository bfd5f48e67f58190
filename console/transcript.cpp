// The transcript format of `varnex test` (see transcript.h).
#include "console/transcript.h"

#include <algorithm>
#include <map>
#include <set>

namespace varnex {
namespace {

constexpr const char* kNoAnswer = "(no answer)";

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string WithoutTrailingBlanks(std::string s) {
  while (!s.empty() && Blank(s.back())) s.pop_back();
  return s;
}

// After a marker character: the text, without the one space that usually
// separates it from the marker.
std::string AfterMarker(const std::string& line) {
  std::size_t from = 1;
  if (line.size() > 1 && line[1] == ' ') from = 2;
  return line.substr(from);
}

// "# brain PATH" or "# seed N": the directive's word (lowercase) and value,
// or an empty word for a comment.
std::pair<std::string, std::string> Directive(const std::string& line) {
  std::size_t i = 1;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  std::size_t end = i;
  while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
  std::string word = line.substr(i, end - i);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (word != "brain" && word != "seed") return {};
  while (end < line.size() && (line[end] == ' ' || line[end] == '\t')) ++end;
  return {word, line.substr(end)};
}

bool ReadSeed(const std::string& v, uint64_t& seed) {
  if (v.empty() || v.size() > 20 || v.find_first_not_of("0123456789") != std::string::npos) return false;
  uint64_t n = 0;
  for (char c : v) {
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (n > (UINT64_MAX - digit) / 10) return false;
    n = n * 10 + digit;
  }
  seed = n;
  return true;
}

}  // namespace

std::variant<Transcript, TranscriptError> ParseTranscript(const std::string& text) {
  Transcript t;
  std::size_t pos = 0;
  if (text.starts_with("\xEF\xBB\xBF")) pos = 3;  // a byte-order mark some editors write
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(pos, nl - pos);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      if (t.lines.empty()) t.crlf = true;
    }
    t.lines.push_back(std::move(line));
    pos = nl + 1;
  }

  t.exchanges.emplace_back().start = true;
  int seedLine = 0;
  auto fail = [](int line, std::string message) { return TranscriptError{line, std::move(message)}; };
  for (std::size_t i = 0; i < t.lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const std::string line = WithoutTrailingBlanks(t.lines[i]);
    if (line.empty()) continue;
    Exchange& current = t.exchanges.back();
    if (line[0] == '#') {
      const auto [word, value] = Directive(line);
      if (word.empty()) continue;
      if (!current.start) return fail(number, "# " + word + " must come before the first input");
      int& seen = word == "brain" ? t.brainLine : seedLine;
      if (seen) return fail(number, "a second # " + word + " (the first is on line " + std::to_string(seen) + ")");
      seen = number;
      if (word == "brain") {
        if (value.empty()) return fail(number, "# brain needs the path of a brain file");
        t.brain = value;
      } else if (!ReadSeed(value, t.seed)) {
        return fail(number, "# seed needs a whole number, not \"" + value + "\"");
      }
      continue;
    }
    if (line[0] == '>') {
      Exchange& input = t.exchanges.emplace_back();
      input.input = AfterMarker(line);
      input.line = number;
      continue;
    }
    Expectation e;
    e.line = number;
    if (line[0] == '~') {
      e.kind = Expectation::Kind::Pattern;
      e.text = AfterMarker(line);
      if (e.text.empty()) return fail(number, "~ needs a regular expression");
      try {
        e.pattern = std::make_shared<const std::regex>(e.text, std::regex::ECMAScript);
      } catch (const std::regex_error& error) {
        return fail(number, "bad regular expression \"" + e.text + "\": " + error.what());
      }
    } else if (line == kNoAnswer) {
      e.kind = Expectation::Kind::NoAnswer;
    } else {
      e.text = line[0] == '\\' ? line.substr(1) : line;
    }
    const bool noAnswerBefore = !current.expected.empty() && current.expected[0].kind == Expectation::Kind::NoAnswer;
    if (noAnswerBefore || (e.kind == Expectation::Kind::NoAnswer && !current.expected.empty()))
      return fail(number, std::string(kNoAnswer) + " cannot share an input with expected answers (line " +
                              std::to_string(current.expected[0].line) + ")");
    current.expected.push_back(std::move(e));
  }

  Exchange& start = t.exchanges.front();
  start.line = start.expected.empty() ? 1 : start.expected.front().line;
  if (t.exchanges.size() == 1 && start.expected.empty()) return fail(0, "no inputs and no expected answers");
  return t;
}

void AddAnswerLines(const std::string& answer, std::vector<std::string>& lines) {
  std::size_t pos = 0;
  while (pos <= answer.size()) {
    std::size_t nl = answer.find('\n', pos);
    if (nl == std::string::npos) nl = answer.size();
    std::string line = WithoutTrailingBlanks(answer.substr(pos, nl - pos));
    if (!line.empty()) lines.push_back(std::move(line));
    pos = nl + 1;
  }
}

bool Matches(const Expectation& e, const std::string& answer) {
  switch (e.kind) {
    case Expectation::Kind::Text: return WithoutTrailingBlanks(e.text) == answer;
    case Expectation::Kind::NoAnswer: return false;
    case Expectation::Kind::Pattern:
      // A pattern too costly for the library to match (it throws rather
      // than recursing without end) simply does not match.
      try {
        return std::regex_match(answer, *e.pattern);
      } catch (const std::exception&) {
        return false;
      }
  }
  return false;
}

namespace {
bool ExpectsNoAnswer(const std::vector<Expectation>& expected) {
  return !expected.empty() && expected.front().kind == Expectation::Kind::NoAnswer;
}
}  // namespace

bool Passes(const std::vector<Expectation>& expected, const std::vector<std::string>& actual) {
  if (ExpectsNoAnswer(expected)) return actual.empty();
  if (expected.size() != actual.size()) return false;
  for (std::size_t i = 0; i < expected.size(); ++i)
    if (!Matches(expected[i], actual[i])) return false;
  return true;
}

std::vector<DiffLine> Diff(const std::vector<Expectation>& expected, const std::vector<std::string>& actual) {
  std::vector<DiffLine> out;
  if (ExpectsNoAnswer(expected)) {
    if (actual.empty()) return out;
    out.push_back({'-', kNoAnswer, 0, -1});
    for (std::size_t j = 0; j < actual.size(); ++j) out.push_back({'+', actual[j], -1, static_cast<int>(j)});
    return out;
  }
  const std::size_t n = expected.size(), m = actual.size();
  // Longest common subsequence, with a pattern taken as equal to the
  // answers it matches. Past a million cells (a brain that answers
  // thousands of lines) the lists are shown whole instead.
  std::vector<int> common;
  const bool align = n * m <= 1'000'000;
  if (align) {
    common.assign((n + 1) * (m + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> int& { return common[i * (m + 1) + j]; };
    for (std::size_t i = n; i-- > 0;)
      for (std::size_t j = m; j-- > 0;)
        at(i, j) = Matches(expected[i], actual[j]) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
  }
  auto cell = [&](std::size_t i, std::size_t j) { return common[i * (m + 1) + j]; };
  std::size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (align && i < n && j < m && Matches(expected[i], actual[j]) && cell(i, j) == cell(i + 1, j + 1) + 1) {
      out.push_back({' ', actual[j], static_cast<int>(i), static_cast<int>(j)});
      ++i, ++j;
    } else if (i < n && (j == m || !align || cell(i + 1, j) >= cell(i, j + 1))) {
      out.push_back({'-', Written(expected[i]), static_cast<int>(i), -1});
      ++i;
    } else {
      out.push_back({'+', actual[j], -1, static_cast<int>(j)});
      ++j;
    }
  }
  if (m == 0 && n > 0) out.push_back({'+', kNoAnswer, -1, -1});
  return out;
}

std::string DiffText(const std::vector<DiffLine>& diff, const std::string& indent) {
  std::string out;
  for (const DiffLine& d : diff) {
    out += indent;
    out += d.sign;
    out += ' ';
    out += d.text;
    out += '\n';
  }
  return out;
}

std::string Written(const Expectation& e) {
  switch (e.kind) {
    case Expectation::Kind::Pattern: return "~ " + e.text;
    case Expectation::Kind::NoAnswer: return kNoAnswer;
    case Expectation::Kind::Text: return Escaped(e.text);
  }
  return e.text;
}

std::string Escaped(const std::string& answer) {
  if (answer == kNoAnswer || (!answer.empty() && std::string_view("#>~\\").find(answer[0]) != std::string_view::npos))
    return "\\" + answer;
  return answer;
}

std::string Rewritten(const Transcript& t, const std::vector<std::vector<std::string>>& actual) {
  std::map<std::size_t, std::vector<std::string>> insertBefore;  // by 0-based line
  std::set<std::size_t> dropped;
  for (std::size_t x = 0; x < t.exchanges.size() && x < actual.size(); ++x) {
    const Exchange& ex = t.exchanges[x];
    if (Passes(ex.expected, actual[x])) continue;
    std::vector<std::string> lines;
    for (const DiffLine& d : Diff(ex.expected, actual[x])) {
      if (d.sign == ' ')
        lines.push_back(t.lines[static_cast<std::size_t>(ex.expected[static_cast<std::size_t>(d.expected)].line - 1)]);
      else if (d.sign == '+' && d.actual >= 0)
        lines.push_back(Escaped(actual[x][static_cast<std::size_t>(d.actual)]));
    }
    // A start that says nothing needs no line, unless it is all there is.
    if (lines.empty() && (!ex.start || t.exchanges.size() == 1)) lines.push_back(kNoAnswer);
    for (const Expectation& e : ex.expected) dropped.insert(static_cast<std::size_t>(e.line - 1));

    std::size_t where;
    if (!ex.expected.empty()) {
      where = static_cast<std::size_t>(ex.expected.front().line - 1);
    } else if (!ex.start) {
      where = static_cast<std::size_t>(ex.line);  // right after the input
    } else if (t.exchanges.size() > 1) {
      // Before the first input, and before the comments written just above it.
      where = static_cast<std::size_t>(t.exchanges[1].line - 1);
      while (where > 0 && t.lines[where - 1].starts_with('#') && Directive(t.lines[where - 1]).first.empty()) --where;
    } else {
      where = t.lines.size();
    }
    auto& slot = insertBefore[where];
    slot.insert(slot.end(), lines.begin(), lines.end());
  }

  const char* end = t.crlf ? "\r\n" : "\n";
  std::string out;
  for (std::size_t i = 0; i <= t.lines.size(); ++i) {
    if (const auto found = insertBefore.find(i); found != insertBefore.end())
      for (const std::string& l : found->second) out += l + end;
    if (i < t.lines.size() && !dropped.contains(i)) out += t.lines[i] + end;
  }
  return out;
}

std::string XmlEscaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  auto put = [&out](uint32_t c) {
    const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    if (!allowed) c = 0xFFFD;
    switch (c) {
      case '&': out += "&amp;"; return;
      case '<': out += "&lt;"; return;
      case '>': out += "&gt;"; return;
      case '"': out += "&quot;"; return;
      case '\'': out += "&apos;"; return;
      default: break;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    // A well-formed UTF-8 sequence (no overlong forms, no surrogates) is one
    // character; any other byte is a Latin-1 character.
    std::size_t length = b < 0x80                 ? 1
                         : b >= 0xC2 && b <= 0xDF ? 2
                         : b >= 0xE0 && b <= 0xEF ? 3
                         : b >= 0xF0 && b <= 0xF4 ? 4
                                                  : 0;
    uint32_t c = length == 1 ? b : length == 2 ? b & 0x1Fu : length == 3 ? b & 0x0Fu : b & 0x07u;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
      if ((next & 0xC0) != 0x80) {
        length = 0;
        break;
      }
      c = (c << 6) | (next & 0x3Fu);
    }
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)))
      length = 0;
    if (length == 0) {
      put(b);
      ++i;
    } else {
      put(c);
      i += length;
    }
  }
  return out;
}

}  // namespace varnex
