# miniupnpc, the UPnP IGD client of the router code (BSD-3): Debian bookworm's source package, fetched
# with `apt-get source` (the scripts add the deb-src entry it needs) and cross-built with its own CMake
# as a static library, once per version and architecture, into MHT_DEPS_DIR. Its sources stay there,
# never in the repository.
#
# Defines the imported library `miniupnpc` (headers as <miniupnpc/...>), MINIUPNPC_LICENSE (the source
# package's licence, for the release's notices) and `network_delayed`: Windows Sockets and the IP
# helper as delay-loaded imports, so that the router code's network DLLs load on its first call rather
# than at every start (link it instead of ws2_32 and iphlpapi, never beside them). The release takes THIRD-PARTY-NOTICES.txt from the build folder.

# The one pin: the Debian source package's version.
set(MINIUPNPC_DEBIAN_VERSION 2.2.4-1)
string(REGEX REPLACE "-[^-]+$" "" MINIUPNPC_VERSION "${MINIUPNPC_DEBIAN_VERSION}")

set(MHT_DEPS_DIR ${CMAKE_BINARY_DIR}/deps CACHE PATH "Cross-built third-party libraries, kept between builds")
set(_upnp_root ${MHT_DEPS_DIR}/miniupnpc-${MINIUPNPC_DEBIAN_VERSION})
set(_upnp_source ${_upnp_root}/source)
set(_upnp_prefix ${_upnp_root}/${CMAKE_SYSTEM_PROCESSOR})
set(MINIUPNPC_LICENSE ${_upnp_source}/LICENSE)

function(_upnp_run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "miniupnpc: ${what} failed (${rc}):\n${out}")
  endif()
endfunction()

file(MAKE_DIRECTORY ${_upnp_root})
# Trees configured at the same time share the folder: one fetches and builds, the others wait.
file(LOCK ${_upnp_root}/.lock GUARD FILE TIMEOUT 900)

if(NOT EXISTS ${MINIUPNPC_LICENSE})
  message(STATUS "miniupnpc: fetching Debian's source package ${MINIUPNPC_DEBIAN_VERSION}")
  set(_fetch ${_upnp_root}/fetch)
  file(REMOVE_RECURSE ${_fetch} ${_upnp_source})
  file(MAKE_DIRECTORY ${_fetch})
  execute_process(COMMAND apt-get source -q miniupnpc=${MINIUPNPC_DEBIAN_VERSION}
                  WORKING_DIRECTORY ${_fetch} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${_fetch}/miniupnpc-${MINIUPNPC_VERSION}/LICENSE)
    message(FATAL_ERROR "miniupnpc: `apt-get source miniupnpc=${MINIUPNPC_DEBIAN_VERSION}` failed; it needs "
                        "dpkg-dev and a deb-src entry, which the scripts (scripts/common.sh, install_packages) "
                        "set up:\n${out}")
  endif()
  file(RENAME ${_fetch}/miniupnpc-${MINIUPNPC_VERSION} ${_upnp_source})
  file(REMOVE_RECURSE ${_fetch})
endif()

# Each function in a section of its own, so that the program's link keeps only what it calls; the C
# library's own formatted input and output (msvcrt), not MinGW's larger replacements, which would
# add some 100 KB for the library's error messages and two number reads.
set(_cflags "-ffunction-sections -fdata-sections -D__USE_MINGW_ANSI_STDIO=0")
# Its sockets get time limits: its own (3 s for a connect, a read, a write), which its build sets for
# other systems only, made to work on Windows, and the exchange's, through win32/RouterSockets.h, which
# takes its socket calls.
set(_hook ${PROJECT_SOURCE_DIR}/win32/RouterSockets.h)
string(APPEND _cflags " -DMINIUPNPC_SET_SOCKET_TIMEOUT -DMHT_ROUTER_SOCKETS_HOOK -include ${_hook}")
file(SHA256 ${_hook} _hook_hash)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_hook})
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  string(APPEND _cflags " -fno-asynchronous-unwind-tables")
endif()
# How it is built: a library built another way is built again.
set(_recipe "${CMAKE_TOOLCHAIN_FILE} ${_cflags} ${_hook_hash}")
set(_built_recipe "")
if(EXISTS ${_upnp_prefix}/recipe.txt)
  file(READ ${_upnp_prefix}/recipe.txt _built_recipe)
endif()
if(NOT EXISTS ${_upnp_prefix}/lib/libminiupnpc.a OR NOT _built_recipe STREQUAL _recipe)
  message(STATUS "miniupnpc: building ${MINIUPNPC_VERSION} for ${CMAKE_SYSTEM_PROCESSOR}")
  set(_build ${_upnp_root}/build-${CMAKE_SYSTEM_PROCESSOR})
  set(_stage ${_upnp_root}/stage-${CMAKE_SYSTEM_PROCESSOR})
  file(REMOVE_RECURSE ${_build} ${_stage})
  _upnp_run("configuring" ${CMAKE_COMMAND} -S ${_upnp_source} -B ${_build}
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=MinSizeRel
            -DCMAKE_C_FLAGS=${_cflags} -DCMAKE_INSTALL_PREFIX=${_stage}
            -DUPNPC_BUILD_SHARED=OFF -DUPNPC_BUILD_TESTS=OFF -DUPNPC_BUILD_SAMPLE=OFF
            -DMINIUPNPC_VERSION=${MINIUPNPC_VERSION})
  _upnp_run("building" ${CMAKE_COMMAND} --build ${_build} -j 2)
  _upnp_run("installing" ${CMAKE_COMMAND} --install ${_build})
  file(WRITE ${_stage}/recipe.txt "${_recipe}")
  file(REMOVE_RECURSE ${_upnp_prefix})
  file(RENAME ${_stage} ${_upnp_prefix})
  file(REMOVE_RECURSE ${_build})
endif()
file(LOCK ${_upnp_root}/.lock RELEASE)

add_library(miniupnpc STATIC IMPORTED GLOBAL)
set_target_properties(miniupnpc PROPERTIES
  IMPORTED_LOCATION ${_upnp_prefix}/lib/libminiupnpc.a
  INTERFACE_INCLUDE_DIRECTORIES ${_upnp_prefix}/include
  INTERFACE_COMPILE_DEFINITIONS MINIUPNP_STATICLIB
  INTERFACE_LINK_LIBRARIES router_sockets)

# Delay-load import libraries of ws2_32 and iphlpapi, made from MinGW's own import libraries: every
# function they import, in the same spelling. Linked before any plain import of the same DLL, they
# take its calls; the DLL then loads on the first of them (the runtime's __delayLoadHelper2).
#
# The i686 linker drops the code section of an import-library member whose function symbol nobody
# names, taking it for a `jmp *__imp_f` thunk that a dllimport call does not need. In a delay-load
# library that section is the stub the table entry points to, so the call would jump to address 0.
# Marked as data (it still goes into .text), the stub is no longer taken for such a thunk.
set(_delay_dir ${CMAKE_BINARY_DIR}/delayimp)
file(MAKE_DIRECTORY ${_delay_dir})
find_program(MHT_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool REQUIRED)
find_program(MHT_OBJCOPY NAMES ${TOOLCHAIN_PREFIX}-objcopy REQUIRED)
find_program(MHT_NM NAMES ${TOOLCHAIN_PREFIX}-nm REQUIRED)
set(_stub_section ".text=.text$delay,alloc,load,readonly,data,contents")
add_library(network_delayed INTERFACE)
foreach(dll ws2_32 iphlpapi)
  set(_delaylib ${_delay_dir}/lib${dll}_delay.a)
  set(_made "")
  if(EXISTS ${_delaylib}.recipe)
    file(READ ${_delaylib}.recipe _made)
  endif()
  if(NOT EXISTS ${_delaylib} OR NOT _made STREQUAL _stub_section)
    find_file(_importlib_${dll} lib${dll}.a PATHS /usr/${TOOLCHAIN_PREFIX}/lib NO_DEFAULT_PATH REQUIRED)
    execute_process(COMMAND ${MHT_NM} -g --defined-only ${_importlib_${dll}} OUTPUT_VARIABLE symbols
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "nm failed on ${_importlib_${dll}}")
    endif()
    # i686: __imp__name@N (stdcall) -> name@N, undecorated by dlltool -k; x86-64: __imp_name -> name.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX MATCHALL " I __imp__[^\n]+" imports "${symbols}")
      set(_strip " I __imp__")
      set(_kill -k)
    else()
      string(REGEX MATCHALL " I __imp_[^\n]+" imports "${symbols}")
      set(_strip " I __imp_")
      set(_kill "")
    endif()
    set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
    foreach(entry ${imports})
      string(REPLACE "${_strip}" "" name "${entry}")
      string(APPEND def "${name}\n")
    endforeach()
    file(WRITE ${_delay_dir}/${dll}.def "${def}")
    _upnp_run("making the delay-load library of ${dll}" ${MHT_DLLTOOL} ${_kill} --def ${_delay_dir}/${dll}.def
              --dllname ${dll}.dll --output-delaylib ${_delaylib})
    _upnp_run("marking the stubs of ${dll}" ${MHT_OBJCOPY} --rename-section ${_stub_section} ${_delaylib})
    file(WRITE ${_delaylib}.recipe "${_stub_section}")
  endif()
  target_link_libraries(network_delayed INTERFACE ${_delaylib})
endforeach()
# After them the plain library, for the data it defines (in6addr_any) and nothing else.
target_link_libraries(network_delayed INTERFACE ws2_32)

# The library's socket calls, with their time limits.
add_library(router_sockets STATIC ${PROJECT_SOURCE_DIR}/win32/RouterSockets.cpp)
target_include_directories(router_sockets PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(router_sockets PRIVATE program_options PUBLIC network_delayed)

# The release's notices: the library's copyright notice and licence as its source package has them.
file(READ ${MINIUPNPC_LICENSE} MINIUPNPC_LICENSE_TEXT)
configure_file(${PROJECT_SOURCE_DIR}/res/third_party_notices.txt.in ${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES.txt @ONLY)
