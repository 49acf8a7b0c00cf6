// Counted faults for whole runs of a program on the simulated machine: every
// registry write and every file operation of this process is numbered, and
// one of them can be made to fail, or the process killed before it. Set by
// host environment variables, which the machine does not pass on to the
// programs it starts, so the stand-in tools are neither counted nor faulted:
//
//   SIMWIN_OPERATIONS_LOG=FILE    one line per operation, appended:
//                                 "<number>\t<class> <number in class>\t<operation>\t<target>"
//   SIMWIN_FAIL_OPERATION=registry:N | file:N
//                                 the Nth registry write or file operation fails
//   SIMWIN_KILL_AT_OPERATION=N    SIGKILL just before the Nth operation (both classes counted)
#pragma once

#include <cstdint>
#include <string>

namespace simwin {

enum class OperationClass { Registry, File };

// Numbers one operation of the class about to be made on `target`. Returns
// the Windows error code it must fail with, or 0 when it goes ahead; does not
// return when the process is to be killed here.
uint32_t CountOperation(OperationClass cls, const char* operation, const std::string& target);

// The environment variables above, which a started program must not inherit.
bool IsOperationFaultVariable(const char* entry);

}  // namespace simwin
