// Every web address the program opens or shows.
#pragma once

namespace web {

// The IDE maker's component registration pages.
inline constexpr const char* kCBuilderRegistration = "https://www.embarcadero.com/products/cbuilder/registration";
inline constexpr const char* kVersion5Registration = "https://www.embarcadero.com/products/registration/v5";
inline constexpr const char* kDelphiRegistration = "https://www.embarcadero.com/products/delphi/registration";

}  // namespace web
