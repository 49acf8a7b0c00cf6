// A small XML element tree over pugixml, for the IDE's EnvOptions.proj: load
// with the encoding detected (a byte-order mark, else the declaration's:
// UTF-8, UTF-16 or a single-byte Windows or ISO code page), find children without regard to case (creating
// them when asked), read and set text, save indented by two blanks without a
// declaration.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace xml {

class TXmlElement {
 public:
  TXmlElement() = default;
  explicit TXmlElement(pugi::xml_node node) : FNode(node) {}

  explicit operator bool() const { return static_cast<bool>(FNode); }
  std::string Name() const;
  // The first child element with this name, compared without regard to
  // ASCII case; with `create`, a new last child when there is none. An empty
  // element when absent and not created.
  TXmlElement FindChild(const std::string& name, bool create = false);
  std::vector<TXmlElement> ChildElements() const;
  // The attribute's value (name compared without regard to case); "" when absent.
  std::string Attribute(const std::string& name) const;
  bool HasAttribute(const std::string& name) const;
  // The element's text content; "" when it has none.
  std::string Text() const;
  void SetText(const std::string& text);

 private:
  pugi::xml_node FNode;
};

class TXmlDocument {
 public:
  // Loads a file through the platform layer. Throws Exception naming the file
  // and what is wrong (unreadable, malformed, no root element).
  void LoadFromFile(const std::string& path);
  // Parses text already in memory; `source` names it in error messages.
  void LoadFromText(const std::string& bytes, const std::string& source);
  // Replaces the file whole (a temporary file beside it, then a rename).
  // Throws Exception when it cannot be written.
  void SaveToFile(const std::string& path) const;
  std::string SaveToText() const;
  TXmlElement Root() const;

 private:
  pugi::xml_document FDocument;
};

}  // namespace xml
