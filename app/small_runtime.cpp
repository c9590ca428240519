// Replacements for the parts of the C++ runtime that would otherwise make up a third of the program:
// - the terminate handler that demangles type names onto a console the program does not have (46 KB
//   with the demangler);
// - the functions that throw the standard library's errors, which pull in a second, reference-counted
//   string implementation and the exception classes built on it (45 KB). These throw an exception of
//   the same base and message instead;
// - the library's ready-made std::string, all of whose members come with any one of them (33 KB): the
//   members the program uses are made here instead.
// The linker takes these before looking into the runtime library. Should the program come to use a
// std::string member not listed below, the library's string comes back whole (no error, but the size
// check of the shipped program, cmake/check_pe32.cmake, fails): add the member to the list.
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>

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

namespace std {
namespace __cxx11 {
template basic_string<char>::basic_string(const basic_string&);
template basic_string<char>::basic_string(basic_string&&);
template basic_string<char>::basic_string(const basic_string&, size_type, size_type);
template basic_string<char>& basic_string<char>::append(const basic_string&);
template basic_string<char>& basic_string<char>::append(const char*);
template basic_string<char>& basic_string<char>::append(const char*, size_type);
template basic_string<char>& basic_string<char>::append(size_type, char);
template basic_string<char>& basic_string<char>::insert(size_type, const char*);
template basic_string<char>& basic_string<char>::insert(size_type, const basic_string&);
template void basic_string<char>::pop_back();
template void basic_string<char>::push_back(char);
template int basic_string<char>::compare(const basic_string&) const;
template int basic_string<char>::compare(const char*) const;
template int basic_string<char>::compare(size_type, size_type, const char*) const;
template basic_string<char>::size_type basic_string<char>::find(char, size_type) const noexcept;
template basic_string<char>& basic_string<char>::replace(size_type, size_type, const char*, size_type);
template basic_string<char> basic_string<char>::substr(size_type, size_type) const;
template void basic_string<char>::reserve(size_type);
template void basic_string<char>::resize(size_type);
template void basic_string<char>::resize(size_type, char);
template basic_string<char>& basic_string<char>::_M_append(const char*, size_type);
template void basic_string<char>::_M_assign(const basic_string&);
template void basic_string<char>::_M_construct(size_type, char);
template char* basic_string<char>::_M_create(size_type&, size_type);
template bool basic_string<char>::_M_disjunct(const char*) const;
template void basic_string<char>::_M_erase(size_type, size_type);
template void basic_string<char>::_M_dispose();
template void basic_string<char>::_M_mutate(size_type, size_type, const char*, size_type);
template basic_string<char>& basic_string<char>::_M_replace(size_type, size_type, const char*, size_type);
template basic_string<char>& basic_string<char>::_M_replace_aux(size_type, size_type, size_type, char);
template void basic_string<char>::_S_assign(char*, size_type, char);
template void basic_string<char>::_S_copy(char*, const char*, size_type);
template void basic_string<char>::_S_move(char*, const char*, size_type);

template basic_string<wchar_t>::basic_string(const basic_string&);
template basic_string<wchar_t>::basic_string(basic_string&&);
template basic_string<wchar_t>& basic_string<wchar_t>::append(const basic_string&);
template basic_string<wchar_t>& basic_string<wchar_t>::append(const wchar_t*);
template basic_string<wchar_t>& basic_string<wchar_t>::insert(size_type, const wchar_t*);
template basic_string<wchar_t>& basic_string<wchar_t>::insert(size_type, const basic_string&);
template wchar_t* basic_string<wchar_t>::_M_create(size_type&, size_type);
template void basic_string<wchar_t>::_M_dispose();
template void basic_string<wchar_t>::_M_set_length(size_type);
template basic_string<wchar_t>& basic_string<wchar_t>::append(const wchar_t*, size_type);
template basic_string<wchar_t>& basic_string<wchar_t>::replace(size_type, size_type, const wchar_t*, size_type);
template basic_string<wchar_t>& basic_string<wchar_t>::_M_append(const wchar_t*, size_type);
template basic_string<wchar_t>& basic_string<wchar_t>::_M_replace(size_type, size_type, const wchar_t*, size_type);
template void basic_string<wchar_t>::_M_mutate(size_type, size_type, const wchar_t*, size_type);
template bool basic_string<wchar_t>::_M_disjunct(const wchar_t*) const;
template void basic_string<wchar_t>::_M_assign(const basic_string&);
template void basic_string<wchar_t>::_S_copy(wchar_t*, const wchar_t*, size_type);
template void basic_string<wchar_t>::_S_move(wchar_t*, const wchar_t*, size_type);
}  // namespace __cxx11
}  // namespace std

// _S_copy_chars(char*, const char*, const char*) and (char*, char*, char*): an explicit instantiation
// cannot name them (a member template of the same name matches too), so they are defined under
// their own names, as one-definition (COMDAT) sections like the library's, which may come along too.
#define MHT_TEXT(x) #x
#define MHT_LABEL(prefix, name) MHT_TEXT(prefix) name
#define MHT_COPY_CHARS(suffix) "_ZNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEE13_S_copy_chars" suffix
#define MHT_COPY_WCHARS(suffix) "_ZNSt7__cxx1112basic_stringIwSt11char_traitsIwESaIwEE13_S_copy_chars" suffix

extern "C" inline __attribute__((used, section(".text$" MHT_COPY_CHARS("EPcPKcS7_")))) void MhtCopyConstChars(
    char* to, const char* first, const char* last) __asm__(MHT_LABEL(__USER_LABEL_PREFIX__, MHT_COPY_CHARS("EPcPKcS7_")));
extern "C" inline void MhtCopyConstChars(char* to, const char* first, const char* last) {
    std::memcpy(to, first, static_cast<size_t>(last - first));
}
extern "C" inline __attribute__((used, section(".text$" MHT_COPY_CHARS("EPcS5_S5_")))) void MhtCopyChars(
    char* to, char* first, char* last) __asm__(MHT_LABEL(__USER_LABEL_PREFIX__, MHT_COPY_CHARS("EPcS5_S5_")));
extern "C" inline void MhtCopyChars(char* to, char* first, char* last) {
    std::memcpy(to, first, static_cast<size_t>(last - first));
}
extern "C" inline __attribute__((used, section(".text$" MHT_COPY_WCHARS("EPwPKwS7_")))) void MhtCopyConstWideChars(
    wchar_t* to, const wchar_t* first, const wchar_t* last) __asm__(MHT_LABEL(__USER_LABEL_PREFIX__, MHT_COPY_WCHARS("EPwPKwS7_")));
extern "C" inline void MhtCopyConstWideChars(wchar_t* to, const wchar_t* first, const wchar_t* last) {
    std::memcpy(to, first, static_cast<size_t>(last - first) * sizeof(wchar_t));
}
extern "C" inline __attribute__((used, section(".text$" MHT_COPY_WCHARS("EPwS5_S5_")))) void MhtCopyWideChars(
    wchar_t* to, wchar_t* first, wchar_t* last) __asm__(MHT_LABEL(__USER_LABEL_PREFIX__, MHT_COPY_WCHARS("EPwS5_S5_")));
extern "C" inline void MhtCopyWideChars(wchar_t* to, wchar_t* first, wchar_t* last) {
    std::memcpy(to, first, static_cast<size_t>(last - first) * sizeof(wchar_t));
}
