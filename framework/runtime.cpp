// The program is built without exceptions. What would otherwise throw ends the program through
// AfxFatalError: an allocation the heap cannot satisfy, an error check of the standard library (an
// index out of range, a length beyond the largest), and a call of a pure virtual function. Defined
// here, these also keep the runtime's exception machinery and its console handlers out of the
// program.
#include <cstdlib>
#include <new>

#include "framework/dialog.h"

void* operator new(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) return p;
    AfxFatalError(FatalError::OutOfMemory);
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace std {
void __throw_bad_alloc() { AfxFatalError(FatalError::OutOfMemory); }
void __throw_bad_array_new_length() { AfxFatalError(FatalError::OutOfMemory); }
void __throw_length_error(const char*) { AfxFatalError(FatalError::Internal); }
void __throw_logic_error(const char*) { AfxFatalError(FatalError::Internal); }
void __throw_out_of_range(const char*) { AfxFatalError(FatalError::Internal); }
void __throw_out_of_range_fmt(const char*, ...) { AfxFatalError(FatalError::Internal); }
void __throw_invalid_argument(const char*) { AfxFatalError(FatalError::Internal); }
void __throw_bad_function_call() { AfxFatalError(FatalError::Internal); }
}  // namespace std

extern "C" void __cxa_pure_virtual() { AfxFatalError(FatalError::Internal); }
extern "C" void __cxa_deleted_virtual() { AfxFatalError(FatalError::Internal); }
