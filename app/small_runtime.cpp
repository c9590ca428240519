// Replacements for the parts of the C++ runtime that would otherwise make up a third of the program:
// the terminate handler that demangles type names onto a console the program does not have (46 KB
// with the demangler), and the functions that throw the standard library's errors, which pull in a
// second, reference-counted string implementation and the exception classes built on it (45 KB).
// They throw an exception of the same base and message instead. The linker takes these before
// looking into the runtime library.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

class RuntimeError : public std::exception {
public:
    explicit RuntimeError(const char* what) : m_what(what) {}
    const char* what() const noexcept override { return m_what; }

private:
    const char* m_what;
};

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
void __throw_logic_error(const char* what) { throw RuntimeError(what); }
void __throw_length_error(const char* what) { throw RuntimeError(what); }
void __throw_out_of_range(const char* what) { throw RuntimeError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { throw RuntimeError(what); }
void __throw_invalid_argument(const char* what) { throw RuntimeError(what); }
}  // namespace std
