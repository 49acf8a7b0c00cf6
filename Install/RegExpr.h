// Perl-compatible regular expressions (PCRE2), as the program uses them:
// compiled without regard to case and searched for anywhere in a text.
#pragma once

#include <memory>
#include <string>

class TRegExpr {
 public:
  // Compiles the pattern (UTF-8, case-insensitive). A pattern that does not
  // compile raises an Exception with PCRE2's message and the offset.
  explicit TRegExpr(const std::string& Pattern);
  ~TRegExpr();
  TRegExpr(const TRegExpr&) = delete;
  TRegExpr& operator=(const TRegExpr&) = delete;

  // True if the pattern matches somewhere in the text (not anchored). Bytes
  // that are not valid UTF-8 are never part of a match. An error of the
  // matcher (a limit reached) raises an Exception.
  bool Search(const std::string& Text) const;

 private:
  struct Code;
  std::unique_ptr<Code> fCode;
  std::string fPattern;
};
