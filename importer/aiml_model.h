// What the AIML importer reads and what it tells about it: the categories
// of an AIML file as a small tree of our own (so that the conversion does
// not depend on the XML library), the sets, maps and bot properties that
// categories refer to, and the problems found on the way, each with its
// file and line.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace varnex::aiml {

// An element or a run of text of a pattern or a template. Text is UTF-8.
struct Node {
  bool text = false;
  std::string name;  // element name without namespace prefix, lower case
  std::string value;  // the text of a text node
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<Node> children;
  int line = 0;

  const std::string* Attribute(const std::string& key) const {
    for (const auto& [k, v] : attributes)
      if (k == key) return &v;
    return nullptr;
  }
  static Node Text(std::string value, int line = 0) {
    Node n;
    n.text = true;
    n.value = std::move(value);
    n.line = line;
    return n;
  }
  static Node Element(std::string name, std::vector<Node> children = {}, int line = 0) {
    Node n;
    n.name = std::move(name);
    n.children = std::move(children);
    n.line = line;
    return n;
  }
};

// One category as written: its pattern, that and topic (as their contents),
// and its template.
struct Category {
  std::string file;
  int line = 0;
  Node pattern;
  Node that;       // no children when the category has none
  bool hasThat = false;
  std::string topic;  // the enclosing <topic name> or the category's own <topic>; empty for none
  Node templ;
};

// Sets: name (upper case) to members as written; maps: name (upper case) to
// key and value pairs; bot properties: name (lower case) to value.
struct Resources {
  std::map<std::string, std::vector<std::string>> sets;
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> maps;
  std::map<std::string, std::string> bot;
  // The order in which properties were given, for a stable brain text.
  std::vector<std::string> botOrder;
  void SetBot(std::string name, std::string value);
};

// Something the importer could not do as AIML does, or could not do at all.
struct Problem {
  enum class Kind {
    FileError,     // a file could not be read (malformed XML, unreadable, too large)
    Skipped,       // a category was left out of the brain
    Approximated,  // a category was converted, but answers differently here
    Replaced,      // a category was replaced by a later one with the same pattern, that and topic
    Note,          // a file was read in a way worth knowing (for instance as Latin-1)
  };
  Kind kind = Kind::Skipped;
  std::string file;
  int line = 0;
  std::string element;  // what caused it: an element name, or "pattern", "xml", ...
  std::string message;
};

}  // namespace varnex::aiml
