#pragma once
// The program's modules beside it (the window, the address-book sync): each is loaded only when its
// command runs, so the rest of the command line starts without their libraries.
#include <QTextStream>

namespace cw {

// The named function of the module beside the running program, or null with one line to err.
void* moduleFunction(const char* module, const char* function, QTextStream& err);

template <typename Function>
Function* loadModule(const char* module, const char* function, QTextStream& err) {
    return reinterpret_cast<Function*>(moduleFunction(module, function, err));
}

} // namespace cw
