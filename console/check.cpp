// varnex check: reports likely mistakes in brains, compiler style
// ("FILE:LINE: warning: message [check]") or as JSON for tools.
//
// Exit status: 0 when nothing but notes and warnings was found (warnings
// count with --strict), 1 when --strict and there are warnings, 2 when
// there is an error.
#include <cstdio>
#include <string>

#include "console/commands.h"
#include "engine/varnex.h"

namespace varnex {
namespace {

// Notes only list what a brain would do, such as the programs it would
// start: they never change the exit status.
const char* Severity(const Finding& f) {
  switch (f.severity) {
    case Finding::Severity::Error: return "error";
    case Finding::Severity::Note: return "note";
    default: return "warning";
  }
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7f) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);  // brains are byte texts: bytes above 127 pass as they are
        }
    }
  }
  return out + "\"";
}

}  // namespace

int RunCheck(const ConsoleOptions& options) {
  const std::vector<Finding> findings = CheckBrains(options.operands);
  int errors = 0, warnings = 0, notes = 0;
  std::string out;
  if (options.json) out += "[";
  for (std::size_t i = 0; i < findings.size(); ++i) {
    const Finding& f = findings[i];
    (f.severity == Finding::Severity::Error  ? errors
     : f.severity == Finding::Severity::Note ? notes
                                             : warnings)++;
    if (options.json) {
      out += i == 0 ? "\n  " : ",\n  ";
      out += "{\"file\": " + JsonString(f.file) + ", \"line\": " + std::to_string(f.line) +
             ", \"severity\": \"" + Severity(f) + "\", \"message\": " + JsonString(f.message) +
             ", \"check\": " + JsonString(f.check) + "}";
    } else {
      out += f.file + ":" + std::to_string(f.line) + ": " + Severity(f) + ": " + f.message + " [" + f.check + "]\n";
    }
  }
  if (options.json) out += findings.empty() ? "]\n" : "\n]\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  if (!options.json && !findings.empty()) {
    auto count = [](int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    std::fprintf(stderr, "%s, %s, %s\n", count(errors, "error").c_str(), count(warnings, "warning").c_str(),
                 count(notes, "note").c_str());
  }
  if (errors > 0) return 2;
  if (warnings > 0 && options.strict) return 1;
  return 0;
}

}  // namespace varnex
