// AIML through libxml2, and the small text files beside it.
#include "importer/aiml_reader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>

namespace varnex::aiml {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

const char* Str(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

// The encoding an XML declaration names, or empty.
std::string DeclaredEncoding(const std::string& bytes) {
  std::size_t start = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  if (bytes.compare(start, 5, "<?xml") != 0) return "";
  const std::size_t end = bytes.find("?>", start);
  if (end == std::string::npos) return "";
  const std::string decl = bytes.substr(start, end - start);
  const std::size_t at = decl.find("encoding");
  if (at == std::string::npos) return "";
  std::size_t q = decl.find_first_of("\"'", at);
  if (q == std::string::npos) return "";
  const std::size_t close = decl.find(decl[q], q + 1);
  if (close == std::string::npos) return "";
  return decl.substr(q + 1, close - q - 1);
}

// Errors reported by libxml2 while one document is parsed.
struct XmlErrors {
  std::vector<Problem> errors;
  std::string name;
  bool fatal = false;
};

#if LIBXML_VERSION >= 21200
void OnXmlError(void* user, const xmlError* e) {
#else
void OnXmlError(void* user, xmlErrorPtr e) {
#endif
  auto* errors = static_cast<XmlErrors*>(user);
  if (!e || e->level < XML_ERR_ERROR) return;
  if (e->level == XML_ERR_FATAL) errors->fatal = true;
  std::string message = e->message ? e->message : "malformed XML";
  while (!message.empty() && IsSpace(message.back())) message.pop_back();
  // libxml2 goes on reporting what follows from the first fatal error.
  if (errors->fatal && !errors->errors.empty() && errors->errors.back().kind == Problem::Kind::FileError) return;
  errors->errors.push_back({e->level == XML_ERR_FATAL ? Problem::Kind::FileError : Problem::Kind::Note, errors->name,
                            e->line, "xml", message});
}

class TreeBuilder {
 public:
  Node Build(xmlNode* n) {
    Node out;
    out.line = static_cast<int>(xmlGetLineNo(n));
    if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
      out.text = true;
      out.value = n->content ? Str(n->content) : "";
      return out;
    }
    out.name = Lower(n->name ? Str(n->name) : "");
    for (xmlAttr* a = n->properties; a; a = a->next) {
      xmlChar* v = xmlNodeListGetString(n->doc, a->children, 1);
      out.attributes.emplace_back(Lower(Str(a->name)), v ? Str(v) : "");
      xmlFree(v);
    }
    for (xmlNode* c = n->children; c; c = c->next) {
      if (c->type == XML_ELEMENT_NODE || c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
        out.children.push_back(Build(c));
      } else if (c->type == XML_ENTITY_REF_NODE) {
        xmlChar* v = xmlNodeGetContent(c);
        out.children.push_back(Node::Text(v ? Str(v) : "", static_cast<int>(xmlGetLineNo(c))));
        xmlFree(v);
      }
    }
    return out;
  }
};

std::string TextOf(const Node& n) {
  if (n.text) return n.value;
  std::string s;
  for (const auto& c : n.children) s += TextOf(c);
  return s;
}

void ReadCategory(const Node& c, const std::string& topic, const std::string& name, std::vector<Category>& categories,
                  std::vector<Problem>& problems) {
  Category cat;
  cat.file = name;
  cat.line = c.line;
  cat.topic = topic;
  bool pattern = false, templ = false;
  for (const auto& k : c.children) {
    if (k.text) continue;
    if (k.name == "pattern" && !pattern) {
      cat.pattern = k;
      pattern = true;
    } else if (k.name == "template" && !templ) {
      cat.templ = k;
      templ = true;
    } else if (k.name == "that" && !cat.hasThat) {
      cat.that = k;
      cat.hasThat = true;
    } else if (k.name == "topic") {
      cat.topic = Trim(TextOf(k));
    } else {
      problems.push_back({Problem::Kind::Approximated, name, k.line, k.name,
                          "<" + k.name + "> in a category (beside its pattern and template) is left out"});
    }
  }
  if (!pattern || !templ) {
    problems.push_back({Problem::Kind::Skipped, name, c.line, "category",
                        std::string("a category without ") + (pattern ? "<template>" : "<pattern>")});
    return;
  }
  categories.push_back(std::move(cat));
}

// A tiny reader of JSON arrays of texts, as Pandorabots writes sets and
// maps. Anything else is an error.
class JsonArrays {
 public:
  explicit JsonArrays(const std::string& t) : t_(t) {}
  // The top array's items, each a list of texts (a text alone is a list of
  // one).
  bool Read(std::vector<std::vector<std::string>>& items, std::string& error) {
    Skip();
    if (!Eat('[')) return Fail("a JSON array must begin with [", error);
    Skip();
    if (Eat(']')) return true;
    while (true) {
      Skip();
      std::vector<std::string> item;
      if (Peek() == '[') {
        ++i_;
        Skip();
        if (!Eat(']')) {
          while (true) {
            std::string s;
            Skip();
            if (!String(s)) return Fail("expected a text in quotes", error);
            item.push_back(std::move(s));
            Skip();
            if (Eat(']')) break;
            if (!Eat(',')) return Fail("expected , or ]", error);
          }
        }
      } else {
        std::string s;
        if (!String(s)) return Fail("expected a text in quotes or an array", error);
        item.push_back(std::move(s));
      }
      items.push_back(std::move(item));
      Skip();
      if (Eat(']')) break;
      if (!Eat(',')) return Fail("expected , or ]", error);
    }
    Skip();
    if (i_ != t_.size()) return Fail("text after the array", error);
    return true;
  }
  int Line() const {
    int line = 1;
    for (std::size_t k = 0; k < i_ && k < t_.size(); ++k) line += t_[k] == '\n';
    return line;
  }

 private:
  bool Fail(const char* what, std::string& error) {
    error = what;
    return false;
  }
  char Peek() const { return i_ < t_.size() ? t_[i_] : '\0'; }
  bool Eat(char c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  void Skip() {
    while (i_ < t_.size() && IsSpace(t_[i_])) ++i_;
  }
  static void Utf8(unsigned cp, std::string& out) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  bool String(std::string& out) {
    if (!Eat('"')) return false;
    while (i_ < t_.size()) {
      char c = t_[i_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= t_.size()) return false;
      char e = t_[i_++];
      switch (e) {
        case 'n': out += ' '; break;
        case 't': out += ' '; break;
        case 'r': break;
        case 'b': case 'f': break;
        case 'u': {
          if (i_ + 4 > t_.size()) return false;
          unsigned cp = 0;
          for (int k = 0; k < 4; ++k) {
            char h = t_[i_++];
            cp <<= 4;
            if (h >= '0' && h <= '9') cp |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f') cp |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') cp |= static_cast<unsigned>(h - 'A' + 10);
            else return false;
          }
          Utf8(cp, out);
          break;
        }
        default: out += e;
      }
    }
    return false;
  }
  const std::string& t_;
  std::size_t i_ = 0;
};

// The text of a small file, as UTF-8.
bool ReadText(const std::string& path, std::string& text, std::vector<Problem>& problems) {
  std::string error;
  if (!ReadWholeFile(path, text, error)) {
    problems.push_back({Problem::Kind::FileError, path, 0, "file", error});
    return false;
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  if (!IsUtf8(text)) {
    text = Latin1ToUtf8(text);
    problems.push_back({Problem::Kind::Note, path, 0, "encoding", "not UTF-8; read as Latin-1"});
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    error = "cannot be read (no such file)";
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "is not a plain file";
    return false;
  }
  if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) {
    error = "is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB; split it into smaller files";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot be opened";
    return false;
  }
  bytes.assign(static_cast<std::size_t>(st.st_size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) {
    error = "could not be read to its end";
    return false;
  }
  return true;
}

bool IsUtf8(const std::string& s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) len = 2, cp = c & 0x1F;
    else if ((c & 0xF0) == 0xE0) len = 3, cp = c & 0x0F;
    else if ((c & 0xF8) == 0xF0) len = 4, cp = c & 0x07;
    else return false;
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode.
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

std::string Latin1ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool ReadAimlText(const std::string& bytes, const std::string& name, std::vector<Category>& categories,
                  std::vector<Problem>& problems) {
  const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
  const std::string declared = Lower(DeclaredEncoding(bytes));
  const char* encoding = nullptr;
  if (!utf16 && (declared.empty() || declared == "utf-8" || declared == "utf8") && !IsUtf8(bytes)) {
    // Text that is not UTF-8 is most likely Latin-1, the other encoding of
    // AIML sets written before UTF-8 was common.
    encoding = "ISO-8859-1";
    problems.push_back({Problem::Kind::Note, name, 0, "encoding",
                        declared.empty() ? "not UTF-8 and no encoding declared; read as Latin-1"
                                         : "declares UTF-8 but is not; read as Latin-1"});
  }
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
    problems.push_back({Problem::Kind::FileError, name, 0, "file", "too large"});
    return false;
  }
  XmlErrors errors;
  errors.name = name;
  xmlSetStructuredErrorFunc(&errors, OnXmlError);
  // No network, no external entities, CDATA as text, exact line numbers.
  const int options = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_BIG_LINES | XML_PARSE_NOWARNING;
  std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> doc(
      xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), name.c_str(), encoding, options), xmlFreeDoc);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  if (!doc || errors.fatal) {
    bool told = false;
    for (auto& e : errors.errors)
      if (e.kind == Problem::Kind::FileError) {
        problems.push_back(e);
        told = true;
        break;
      }
    if (!told) problems.push_back({Problem::Kind::FileError, name, 0, "xml", "not a readable XML document"});
    return false;
  }
  for (auto& e : errors.errors) problems.push_back(std::move(e));
  xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root || Lower(Str(root->name)) != "aiml") {
    problems.push_back({Problem::Kind::FileError, name, root ? static_cast<int>(xmlGetLineNo(root)) : 0, "xml",
                        std::string("the root element is <") + (root ? Str(root->name) : "") + ">, not <aiml>"});
    return false;
  }
  TreeBuilder builder;
  for (xmlNode* c = root->children; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    const std::string element = Lower(Str(c->name));
    if (element == "category") {
      ReadCategory(builder.Build(c), "", name, categories, problems);
    } else if (element == "topic") {
      const Node topic = builder.Build(c);
      const std::string* topicName = topic.Attribute("name");
      for (const auto& k : topic.children) {
        if (k.text) continue;
        if (k.name == "category")
          ReadCategory(k, topicName ? Trim(*topicName) : "", name, categories, problems);
        else
          problems.push_back({Problem::Kind::Skipped, name, k.line, k.name, "<" + k.name + "> in a <topic> is not a category"});
      }
    } else {
      problems.push_back({Problem::Kind::Skipped, name, static_cast<int>(xmlGetLineNo(c)), element,
                          "<" + element + "> at the top of the file is not a category"});
    }
  }
  return true;
}

bool ReadAimlFile(const std::string& path, std::vector<Category>& categories, std::vector<Problem>& problems) {
  std::string bytes, error;
  if (!ReadWholeFile(path, bytes, error)) {
    problems.push_back({Problem::Kind::FileError, path, 0, "file", error});
    return false;
  }
  return ReadAimlText(bytes, path, categories, problems);
}

namespace {

// Set and map files come as JSON (an array of arrays of texts) or as plain
// lines. True when `text` is the JSON kind, its items read into `items`;
// `ok` is false when it could not be read, the reason added to `problems`.
bool JsonItems(const std::string& text, const std::string& name, const char* kind, const char* what,
               std::vector<std::vector<std::string>>& items, bool& ok, std::vector<Problem>& problems) {
  std::size_t first = 0;
  while (first < text.size() && IsSpace(text[first])) ++first;
  if (first == text.size() || text[first] != '[') return false;
  JsonArrays json(text);
  std::string error;
  ok = json.Read(items, error);
  if (!ok)
    problems.push_back({Problem::Kind::FileError, name, json.Line(), kind, std::string(what) + error});
  return true;
}

}  // namespace

bool ParseSet(const std::string& text, const std::string& name, std::vector<std::string>& members,
              std::vector<Problem>& problems) {
  std::vector<std::vector<std::string>> items;
  bool ok = true;
  if (JsonItems(text, name, "set", "not a JSON array of members: ", items, ok, problems)) {
    if (!ok) return false;
    for (const auto& item : items) {
      std::string m;
      for (const auto& s : item) m += (m.empty() ? "" : " ") + s;
      if (!Trim(m).empty()) members.push_back(Trim(m));
    }
    return true;
  }
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(at, end - at));
    if (!line.empty()) members.push_back(line);
    at = end + 1;
  }
  return true;
}

bool ParsePairs(const std::string& text, const std::string& name, std::vector<std::pair<std::string, std::string>>& pairs,
                std::vector<Problem>& problems) {
  std::vector<std::vector<std::string>> items;
  bool ok = true;
  if (JsonItems(text, name, "map", "not a JSON array of pairs: ", items, ok, problems)) {
    if (!ok) return false;
    for (const auto& item : items) {
      if (item.size() != 2) {
        problems.push_back({Problem::Kind::FileError, name, 0, "map", "an entry that is not a pair of texts"});
        return false;
      }
      pairs.emplace_back(Trim(item[0]), Trim(item[1]));
    }
    return true;
  }
  std::size_t at = 0;
  int lineNo = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    ++lineNo;
    const std::string line = Trim(text.substr(at, end - at));
    at = end + 1;
    if (line.empty() || line[0] == '#') continue;
    std::size_t sep = line.find(':');
    if (sep == std::string::npos) sep = line.find('=');
    if (sep == std::string::npos) {
      problems.push_back({Problem::Kind::Note, name, lineNo, "map", "a line without \":\" is left out"});
      continue;
    }
    pairs.emplace_back(Trim(line.substr(0, sep)), Trim(line.substr(sep + 1)));
  }
  return true;
}

bool ReadSetFile(const std::string& path, std::vector<std::string>& members, std::vector<Problem>& problems) {
  std::string text;
  return ReadText(path, text, problems) && ParseSet(text, path, members, problems);
}

bool ReadPairsFile(const std::string& path, std::vector<std::pair<std::string, std::string>>& pairs,
                   std::vector<Problem>& problems) {
  std::string text;
  return ReadText(path, text, problems) && ParsePairs(text, path, pairs, problems);
}

void Resources::SetBot(std::string name, std::string value) {
  name = Lower(Trim(name));
  if (bot.find(name) == bot.end()) botOrder.push_back(name);
  bot[name] = std::move(value);
}

}  // namespace varnex::aiml
