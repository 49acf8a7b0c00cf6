#include "dcc/DpkFile.h"

#include <cctype>

#include "common/StandIn.h"

namespace {

struct Token {
  enum Kind { Name, String, Symbol, End } kind = End;
  std::string text;
  int line = 1;
};

// Reads the tokens of Pascal source: names (dotted names included), quoted
// strings and single symbols; comments are skipped, the package description
// directive is kept.
class Lexer {
 public:
  Lexer(const std::string& text, std::string& description) : text_(text), description_(description) {}

  Token Next() {
    SkipSpaceAndComments();
    Token t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    const char c = text_[pos_];
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      t.kind = Token::Name;
      while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_' ||
                                     (text_[pos_] == '.' && pos_ + 1 < text_.size() &&
                                      std::isalpha(static_cast<unsigned char>(text_[pos_ + 1]))))) {
        t.text.push_back(text_[pos_++]);
      }
      return t;
    }
    if (c == '\'') {
      t.kind = Token::String;
      t.text = ReadString();
      return t;
    }
    t.kind = Token::Symbol;
    t.text = std::string(1, c);
    ++pos_;
    return t;
  }

 private:
  void SkipSpaceAndComments() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (c == '{') {
        const size_t end = text_.find('}', pos_);
        const std::string comment = text_.substr(pos_ + 1, (end == std::string::npos ? text_.size() : end) - pos_ - 1);
        Directive(comment);
        Advance(end == std::string::npos ? text_.size() : end + 1);
      } else if (c == '(' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
        const size_t end = text_.find("*)", pos_ + 2);
        Advance(end == std::string::npos ? text_.size() : end + 2);
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        const size_t end = text_.find('\n', pos_);
        Advance(end == std::string::npos ? text_.size() : end);
      } else {
        return;
      }
    }
  }

  void Advance(size_t to) {
    for (; pos_ < to; ++pos_) {
      if (text_[pos_] == '\n') ++line_;
    }
  }

  void Directive(const std::string& comment) {
    const std::string key = "$DESCRIPTION";
    if (!standin::SameName(comment.substr(0, key.size()), key)) return;
    const size_t open = comment.find('\'');
    const size_t close = comment.rfind('\'');
    if (open != std::string::npos && close > open) description_ = comment.substr(open + 1, close - open - 1);
  }

  std::string ReadString() {
    std::string s;
    ++pos_;
    while (pos_ < text_.size()) {
      if (text_[pos_] == '\'') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
          s.push_back('\'');
          pos_ += 2;
          continue;
        }
        ++pos_;
        return s;
      }
      if (text_[pos_] == '\n') break;
      s.push_back(text_[pos_++]);
    }
    throw DpkError(line_, "Unterminated string");
  }

  const std::string& text_;
  std::string& description_;
  size_t pos_ = 0;
  int line_ = 1;
};

bool IsWord(const Token& t, const char* word) { return t.kind == Token::Name && standin::SameName(t.text, word); }

}  // namespace

DpkPackage ParseDpk(const std::string& text) {
  DpkPackage package;
  Lexer lexer(text, package.description);
  auto expect = [](const Token& t, const char* what) {
    throw DpkError(t.line, std::string(what) + " expected but " +
                               (t.kind == Token::End ? std::string("end of file") : "'" + t.text + "'") + " found");
  };
  Token t = lexer.Next();
  if (!IsWord(t, "package")) expect(t, "'package'");
  t = lexer.Next();
  if (t.kind != Token::Name) expect(t, "Identifier");
  package.name = t.text;
  t = lexer.Next();
  if (t.text != ";") expect(t, "';'");
  for (t = lexer.Next(); !IsWord(t, "end"); t = lexer.Next()) {
    const bool inRequires = IsWord(t, "requires");
    if (!inRequires && !IsWord(t, "contains")) expect(t, "'requires', 'contains' or 'end'");
    for (;;) {
      t = lexer.Next();
      if (t.kind != Token::Name) expect(t, "Identifier");
      DpkReference ref{t.text, "", t.line};
      t = lexer.Next();
      if (!inRequires && IsWord(t, "in")) {
        t = lexer.Next();
        if (t.kind != Token::String) expect(t, "String");
        ref.file = t.text;
        t = lexer.Next();
      }
      (inRequires ? package.required : package.contains).push_back(ref);
      if (t.text == ";") break;
      if (t.text != ",") expect(t, "',' or ';'");
    }
  }
  t = lexer.Next();
  if (t.text != ".") expect(t, "'.'");
  return package;
}
