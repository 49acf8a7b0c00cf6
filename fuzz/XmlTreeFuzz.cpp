// The XML element tree of EnvOptions.proj: any bytes load or give the
// program's error; a loaded document walked, changed as the program changes
// it, saved and loaded again saves to the same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "SysUtils.h"
#include "xml/XmlTree.h"

namespace {

// Reads every element's name, attributes and text, as far as the program does.
void Walk(const xml::TXmlElement& element, int depth) {
  (void)element.Name();
  (void)element.Attribute("Condition");
  (void)element.HasAttribute("Include");
  (void)element.Text();
  if (depth > 64) return;
  for (const xml::TXmlElement& child : element.ChildElements()) Walk(child, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  xml::TXmlDocument document;
  try {
    document.LoadFromText(bytes, "EnvOptions.proj");
  } catch (const Exception&) {
    return 0;
  }
  xml::TXmlElement root = document.Root();
  FuzzCheck(static_cast<bool>(root), "a loaded document has its root element");
  Walk(root, 0);
  // What the program does to the IDE's file: find or make the property group
  // and set a path list in it.
  xml::TXmlElement group = root.FindChild("PropertyGroup", true);
  group.FindChild("DelphiLibraryPath", true).SetText("$(BDSLIB)\\$(Platform)\\release;C:\\Vexorin\\Lib");
  const std::string saved = document.SaveToText();
  xml::TXmlDocument again;
  try {
    again.LoadFromText(saved, "EnvOptions.proj");
  } catch (const Exception&) {
    FuzzCheck(false, "a saved document loads again");
  }
  FuzzCheck(again.SaveToText() == saved, "a saved document loads and saves to the same text");
  return 0;
}
