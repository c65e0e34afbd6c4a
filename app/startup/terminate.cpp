// libstdc++'s default terminate handler prints the uncaught exception's demangled type name,
// which links the whole C++ demangler (about 46 KB, an eighth of the program) into a GUI
// program that has no console to print to. This one ends the program the same way, silently.
#include <cstdlib>  // also tells which standard library this is

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx
#endif
