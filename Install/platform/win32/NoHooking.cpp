// The executable exports NoHooking, a function that takes nothing and does nothing.
extern "C" __declspec(dllexport) void NoHooking() {}
