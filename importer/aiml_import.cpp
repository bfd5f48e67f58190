// Gathering the input files, reading and converting them one at a time (so
// that only one file's XML is held at once), and the report.
#include "importer/aiml_import.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "importer/aiml_reader.h"

namespace varnex::aiml {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

enum class FileKind { Aiml, Set, Map, Other };

FileKind KindOf(const fs::path& p, bool inFolder) {
  const std::string ext = Lower(p.extension().string());
  if (ext == ".set") return FileKind::Set;
  if (ext == ".map") return FileKind::Map;
  if (ext == ".aiml" || ext == ".xml") return FileKind::Aiml;
  if (ext == ".txt") {
    const std::string parent = Lower(p.parent_path().filename().string());
    if (parent == "sets") return FileKind::Set;
    if (parent == "maps") return FileKind::Map;
  }
  return inFolder ? FileKind::Other : FileKind::Aiml;
}

struct Inputs {
  std::vector<std::string> aiml, sets, maps;
};

bool Gather(const std::vector<std::string>& operands, Inputs& inputs, std::string& fatal) {
  for (const auto& operand : operands) {
    std::error_code ec;
    const fs::file_status st = fs::status(operand, ec);
    if (ec || !fs::exists(st)) {
      fatal = operand + ": no such file or folder";
      return false;
    }
    std::vector<std::pair<std::string, FileKind>> found;
    if (fs::is_directory(st)) {
      fs::recursive_directory_iterator it(operand, fs::directory_options::skip_permission_denied, ec), end;
      if (ec) {
        fatal = operand + ": cannot be read (" + ec.message() + ")";
        return false;
      }
      for (; it != end; it.increment(ec)) {
        if (ec) break;
        std::error_code e2;
        if (!it->is_regular_file(e2)) continue;
        const FileKind k = KindOf(it->path(), true);
        if (k != FileKind::Other) found.emplace_back(it->path().string(), k);
      }
      std::sort(found.begin(), found.end());
    } else {
      found.emplace_back(operand, KindOf(operand, false));
    }
    for (auto& [path, kind] : found) {
      if (kind == FileKind::Set) inputs.sets.push_back(path);
      else if (kind == FileKind::Map) inputs.maps.push_back(path);
      else inputs.aiml.push_back(path);
    }
  }
  return true;
}

std::string Stem(const std::string& path) { return fs::path(path).stem().string(); }

const char* KindWord(Problem::Kind k) {
  switch (k) {
    case Problem::Kind::FileError: return "not read";
    case Problem::Kind::Skipped: return "skipped";
    case Problem::Kind::Approximated: return "differs";
    case Problem::Kind::Replaced: return "replaced";
    case Problem::Kind::Note: return "note";
  }
  return "";
}

// "1 clause", "2 clauses".
std::string Count(std::size_t n, const std::string& thing) {
  return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

std::string Place(const Problem& p) {
  return p.line > 0 ? p.file + ":" + std::to_string(p.line) : p.file;
}

}  // namespace

ImportOutcome ImportAiml(const ImportRequest& request) {
  ImportOutcome out;
  Inputs inputs;
  if (!Gather(request.inputs, inputs, out.fatal)) return out;
  if (inputs.aiml.empty()) {
    out.fatal = "no AIML files among the inputs";
    return out;
  }
  Resources resources;
  if (!request.botProperties.empty()) {
    std::vector<std::pair<std::string, std::string>> pairs;
    if (!ReadPairsFile(request.botProperties, pairs, out.problems)) {
      out.fatal = request.botProperties + ": the bot properties cannot be read";
      return out;
    }
    for (auto& [k, v] : pairs) resources.SetBot(k, v);
  }
  for (const auto& [k, v] : request.bot) resources.SetBot(k, v);
  for (const auto& path : inputs.sets) {
    ++out.setFiles;
    std::vector<std::string> members;
    if (ReadSetFile(path, members, out.problems))
      resources.sets[UpperAscii(Stem(path))] = std::move(members);
    else
      ++out.unreadableFiles;
  }
  for (const auto& path : inputs.maps) {
    ++out.mapFiles;
    std::vector<std::pair<std::string, std::string>> pairs;
    if (ReadPairsFile(path, pairs, out.problems))
      resources.maps[UpperAscii(Stem(path))] = std::move(pairs);
    else
      ++out.unreadableFiles;
  }
  Converter converter(resources);
  for (const auto& path : inputs.aiml) {
    ++out.aimlFiles;
    std::vector<Category> categories;
    if (!ReadAimlFile(path, categories, out.problems)) {
      ++out.unreadableFiles;
      continue;
    }
    converter.Add(categories, out.problems);
  }
  out.counts = converter.Counts();
  if (out.counts.converted == 0) {
    out.fatal = out.counts.categories == 0 ? "no category could be read" : "no category could be converted";
    return out;
  }
  out.lines = BrainText(converter.Brain());
  out.counts = converter.Counts();
  return out;
}

std::string ReportText(const ImportOutcome& o, std::size_t maxDetails) {
  const ConvertCounts& c = o.counts;
  std::string r;
  r += "AIML import: " + Count(o.aimlFiles, "AIML file");
  if (o.setFiles) r += ", " + Count(o.setFiles, "set file");
  if (o.mapFiles) r += ", " + Count(o.mapFiles, "map file");
  if (o.unreadableFiles) r += " (" + std::to_string(o.unreadableFiles) + " not read)";
  r += "\n";
  r += "categories: " + std::to_string(c.categories) + " read, " + std::to_string(c.converted) + " converted (" +
       std::to_string(c.approximated) + " with a difference), " + std::to_string(c.skipped) + " skipped, " +
       std::to_string(c.replaced) + " replaced by a later one; " + Count(c.clauses, "clause") + "\n";
  if (!o.fatal.empty()) r += "no brain was written: " + o.fatal + "\n";
  auto byElement = [&](Problem::Kind kind, const char* title) {
    std::map<std::string, std::size_t> counts;
    for (const auto& p : o.problems)
      if (p.kind == kind) ++counts[p.element];
    if (counts.empty()) return;
    r += title;
    std::vector<std::pair<std::string, std::size_t>> sorted(counts.begin(), counts.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    for (const auto& [element, n] : sorted) {
      std::string name = element;
      if (name.size() < 24) name.resize(24, ' ');
      r += "  " + name + " " + std::to_string(n) + "\n";
    }
  };
  byElement(Problem::Kind::Skipped, "skipped, by element:\n");
  byElement(Problem::Kind::Approximated, "converted with a difference, by element:\n");
  byElement(Problem::Kind::FileError, "files not read, by cause:\n");
  if (o.problems.empty() || maxDetails == 0) return r;
  r += "details:\n";
  std::size_t shown = 0;
  // Files that could not be read first: they matter most.
  std::vector<const Problem*> order;
  for (const auto& p : o.problems)
    if (p.kind == Problem::Kind::FileError) order.push_back(&p);
  for (const auto& p : o.problems)
    if (p.kind != Problem::Kind::FileError) order.push_back(&p);
  for (const Problem* p : order) {
    if (shown == maxDetails) {
      r += "  ... and " + std::to_string(order.size() - shown) + " more\n";
      break;
    }
    r += "  " + Place(*p) + ": " + KindWord(p->kind) + ": " + p->message + "\n";
    ++shown;
  }
  return r;
}

}  // namespace varnex::aiml
