// std::terminate's handler for MinGW's libstdc++, whose default one names the
// uncaught exception's type on stderr: a GUI program has no stderr, and that
// handler links the whole C++ demangler (about 45 KiB) into the program. This
// definition is an object of every executable (quillmere_runtime), so the
// linker takes it before it would search the library for the default.
#include <cstdlib>
#include <exception>

#include "ui/FatalError.h"

#ifdef __GLIBCXX__
namespace __gnu_cxx {

void __verbose_terminate_handler() {
    // Terminating with an exception in flight (one thrown through noexcept,
    // say) shows it as every other uncaught error is shown.
    if (std::exception_ptr error = std::current_exception())
        ui::FailFast(error);
    std::abort();
}

} // namespace __gnu_cxx
#endif
