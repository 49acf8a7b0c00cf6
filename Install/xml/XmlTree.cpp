#include "xml/XmlTree.h"

#include <sstream>

#include "SysUtils.h"
#include "platform/FileSystem.h"
#include "platform/System.h"
#include "platform/Text.h"

namespace xml {

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
  // pugixml reads no DTD: no external entity is fetched and no entity other
  // than the predefined ones and character references is expanded.
  const pugi::xml_parse_result result =
      FDocument.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  if (!result) {
    throw Exception("Cannot read the XML file " + source + ": " + result.description() + " at offset " +
                    std::to_string(result.offset));
  }
  if (!FDocument.document_element()) throw Exception("Cannot read the XML file " + source + ": no root element");
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
