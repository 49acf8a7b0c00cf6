// The licence agreement shown on the licence page.
#pragma once

inline constexpr const char* kLicenseText =
    "VEXORIN VCL EDITION - LICENSE AGREEMENT\r\n"
    "\r\n"
    "This agreement is between you (the developer who installs the software) and Orlenta Software, the author of "
    "Vexorin. By checking \"Yes, I accept this agreement\" you agree to its terms.\r\n"
    "\r\n"
    "1. Licence. Orlenta Software grants you a non-exclusive licence to install Vexorin on the computers you use for "
    "development and to use it in the applications you build. Each licence is for one developer.\r\n"
    "\r\n"
    "2. Distribution. You may distribute the compiled Vexorin code as part of your applications without further "
    "fees. You may not distribute the source code, the packages or the installer, nor offer Vexorin as a component "
    "library of your own.\r\n"
    "\r\n"
    "3. Trial version. A trial version may be used for evaluation only, for thirty days.\r\n"
    "\r\n"
    "4. Ownership. Vexorin is protected by copyright law and international treaties. Orlenta Software keeps all "
    "rights not expressly granted here.\r\n"
    "\r\n"
    "5. No warranty. Vexorin is provided \"as is\", without warranty of any kind. Orlenta Software is not liable for "
    "any damages arising from its use, to the extent the law allows.\r\n"
    "\r\n"
    "6. Termination. This licence ends if you break its terms; you must then remove every copy of Vexorin.\r\n";
