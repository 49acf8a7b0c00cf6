#include "xml/XmlTree.h"

#include <sstream>

#include "SysUtils.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace xml {

namespace {

// The encoding an XML declaration at the start of the text names, in lower
// case; "" when there is no declaration or it names none.
std::string DeclaredEncoding(const std::string& bytes) {
  if (bytes.compare(0, 5, "<?xml") != 0) return {};
  const size_t end = bytes.find("?>");
  const size_t at = bytes.find("encoding", 5);
  if (end == std::string::npos || at == std::string::npos || at > end) return {};
  const size_t quote = bytes.find_first_of("\"'", at);
  if (quote == std::string::npos || quote > end) return {};
  const size_t close = bytes.find(bytes[quote], quote + 1);
  if (close == std::string::npos || close > end) return {};
  std::string name = bytes.substr(quote + 1, close - quote - 1);
  for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return name;
}

// The Windows code page of a single-byte encoding name ("windows-1252",
// "iso-8859-2", "us-ascii"); 0 for any other name.
uint32_t SingleByteCodePage(const std::string& name) {
  auto number = [&](const std::string& prefix) -> uint32_t {
    if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size() || name.size() > prefix.size() + 4)
      return 0;
    uint32_t value = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
      if (name[i] < '0' || name[i] > '9') return 0;
      value = value * 10 + static_cast<uint32_t>(name[i] - '0');
    }
    return value;
  };
  if (const uint32_t page = number("windows-"); page >= 1250 && page <= 1258) return page;
  if (const uint32_t page = number("cp"); page >= 1250 && page <= 1258) return page;
  if (const uint32_t part = number("iso-8859-"); part >= 1 && part <= 15) return 28590 + part;
  if (name == "us-ascii" || name == "ascii") return 20127;
  return 0;
}

// Deeper than any file the IDE writes. Saving indents each level, so a
// document 100,000 levels deep would be written as 10 GB of blanks.
constexpr size_t kMaxDepth = 1000;

// Whether elements are nested deeper than kMaxDepth, found without recursion.
bool TooDeep(const pugi::xml_node& root) {
  size_t depth = 0;
  pugi::xml_node node = root;
  while (node) {
    if (pugi::xml_node child = node.first_child()) {
      node = child;
      if (++depth > kMaxDepth) return true;
      continue;
    }
    while (node && !node.next_sibling()) {
      node = node.parent();
      if (depth == 0) return false;
      --depth;
    }
    if (node) node = node.next_sibling();
  }
  return false;
}

bool StartsWithByteOrderMark(const std::string& bytes) {
  return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 || bytes.compare(0, 2, "\xFF\xFE") == 0 ||
         bytes.compare(0, 2, "\xFE\xFF") == 0;
}

}  // namespace

std::string TXmlElement::Name() const { return FNode.name(); }

TXmlElement TXmlElement::FindChild(const std::string& name, bool create) {
  for (pugi::xml_node child = FNode.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && platform::SameTextAscii(child.name(), name)) return TXmlElement(child);
  }
  if (!create || !FNode) return TXmlElement();
  return TXmlElement(FNode.append_child(name.c_str()));
}

std::vector<TXmlElement> TXmlElement::ChildElements() const {
  std::vector<TXmlElement> children;
  for (pugi::xml_node child = FNode.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) children.emplace_back(child);
  }
  return children;
}

std::string TXmlElement::Attribute(const std::string& name) const {
  for (pugi::xml_attribute a = FNode.first_attribute(); a; a = a.next_attribute()) {
    if (platform::SameTextAscii(a.name(), name)) return a.value();
  }
  return {};
}

bool TXmlElement::HasAttribute(const std::string& name) const {
  for (pugi::xml_attribute a = FNode.first_attribute(); a; a = a.next_attribute()) {
    if (platform::SameTextAscii(a.name(), name)) return true;
  }
  return false;
}

std::string TXmlElement::Text() const { return FNode.text().get(); }

void TXmlElement::SetText(const std::string& text) {
  if (FNode) FNode.text().set(text.c_str());
}

void TXmlDocument::LoadFromText(const std::string& bytes, const std::string& source) {
  // A single-byte code page named in the declaration is decoded here (the
  // parser knows only Unicode and Latin-1); a byte-order mark wins over it.
  std::string decoded;
  pugi::xml_encoding encoding = pugi::encoding_auto;
  const std::string declared = StartsWithByteOrderMark(bytes) ? std::string() : DeclaredEncoding(bytes);
  if (const uint32_t codePage = SingleByteCodePage(declared); codePage != 0) {
    auto text = platform::DecodeCodePage(codePage, bytes);
    if (!text)
      throw Exception("Cannot read the XML file " + source + ": the encoding " + declared + " is not supported");
    decoded = std::move(*text);
    encoding = pugi::encoding_utf8;
  } else if (!declared.empty() && declared.compare(0, 3, "utf") != 0) {
    throw Exception("Cannot read the XML file " + source + ": the encoding " + declared + " is not supported");
  }
  const std::string& text = encoding == pugi::encoding_utf8 ? decoded : bytes;
  // pugixml reads no DTD: no external entity is fetched and no entity other
  // than the predefined ones and character references is expanded. A
  // document type declaration is refused: the references to its entities
  // would stay as text and be written back escaped, and the declaration lost.
  const pugi::xml_parse_result result =
      FDocument.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_doctype, encoding);
  if (!result) {
    throw Exception("Cannot read the XML file " + source + ": " + result.description() + " at offset " +
                    std::to_string(result.offset));
  }
  for (pugi::xml_node node = FDocument.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_doctype) {
      FDocument.reset();
      throw Exception("Cannot read the XML file " + source + ": a document type declaration (DOCTYPE) is not allowed");
    }
  }
  if (!FDocument.document_element()) throw Exception("Cannot read the XML file " + source + ": no root element");
  if (TooDeep(FDocument)) {
    FDocument.reset();
    throw Exception("Cannot read the XML file " + source + ": elements nested deeper than " +
                    std::to_string(kMaxDepth) + " levels");
  }
}

void TXmlDocument::LoadFromFile(const std::string& path) {
  const auto bytes = platform::ReadFileBytes(path);
  if (!bytes) {
    const uint32_t code = platform::LastErrorCode();
    throw EOSError("Cannot open the XML file " + path + ": " + platform::SystemErrorText(code), code);
  }
  LoadFromText(*bytes, path);
}

std::string TXmlDocument::SaveToText() const {
  std::ostringstream out;
  FDocument.save(out, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  return out.str();
}

void TXmlDocument::SaveToFile(const std::string& path) const {
  if (!platform::WriteFileBytes(path, SaveToText())) {
    const uint32_t code = platform::LastErrorCode();
    throw EOSError("Cannot write the XML file " + path + ": " + platform::SystemErrorText(code), code);
  }
}

TXmlElement TXmlDocument::Root() const { return TXmlElement(FDocument.document_element()); }

}  // namespace xml
