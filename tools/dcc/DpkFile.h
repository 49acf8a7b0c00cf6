// The source of a Delphi package (.dpk): its name, the packages it requires
// and the units it contains.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

struct DpkReference {
  std::string name;
  std::string file;  // "in 'file'" of a contained unit, else ""
  int line = 0;
};

struct DpkPackage {
  std::string name;
  std::string description;  // {$DESCRIPTION '...'}
  std::vector<DpkReference> required;
  std::vector<DpkReference> contains;
};

class DpkError : public std::runtime_error {
 public:
  DpkError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// Raises DpkError with the line of the first thing that does not fit.
DpkPackage ParseDpk(const std::string& text);
