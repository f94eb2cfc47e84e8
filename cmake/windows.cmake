# The Windows build, included by the top-level list when the toolchain targets
# Windows (cmake/mingw-w64-*.cmake). It builds the same core as the Linux
# build, with the Windows platform layer (src/platform/windows) in place of the
# POSIX clock and file search and the libcurl browser, and on top of it the
# self-registering control library and the programs that test it under Wine.
#
# Inputs (scripts/windows-test.sh sets both):
#   VANTREL_PUGIXML_SOURCE  the unpacked pugixml source tree
#   CMAKE_PREFIX_PATH       a prefix holding a static libxml2 built for the target
if(NOT VANTREL_PUGIXML_SOURCE)
  message(FATAL_ERROR "Set VANTREL_PUGIXML_SOURCE to the unpacked pugixml sources")
endif()

# One self-contained image per target: no mingw runtime DLLs to carry along.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

find_package(Threads REQUIRED)
find_package(libxml2 CONFIG REQUIRED)

add_library(vantrel_pugixml STATIC ${VANTREL_PUGIXML_SOURCE}/src/pugixml.cpp)
target_include_directories(vantrel_pugixml SYSTEM PUBLIC ${VANTREL_PUGIXML_SOURCE}/src)
add_library(pugixml::pugixml ALIAS vantrel_pugixml)
# The Windows platform layer speaks WinHTTP; nothing links libcurl.
add_library(CURL::libcurl INTERFACE IMPORTED)

set(VANTREL_COMMIT "unknown")
execute_process(COMMAND git rev-parse --short HEAD WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                OUTPUT_VARIABLE VANTREL_GIT_COMMIT OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(VANTREL_GIT_COMMIT)
  set(VANTREL_COMMIT ${VANTREL_GIT_COMMIT})
endif()
configure_file(${PROJECT_SOURCE_DIR}/hosts/common/build_info.h.in
               ${PROJECT_BINARY_DIR}/generated/build_info.h @ONLY)
include_directories(${PROJECT_BINARY_DIR}/generated)

add_subdirectory(src)

# The platform library: the portable sources of src/platform, with the
# Windows files in place of the POSIX and libcurl ones.
get_target_property(VANTREL_PLATFORM_SOURCES vantrel_platform SOURCES)
list(FILTER VANTREL_PLATFORM_SOURCES EXCLUDE REGEX "/(env|web_browser_curl|http_get)\\.cc$")
file(GLOB VANTREL_WINDOWS_PLATFORM_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/platform/windows/*.cc)
set_property(TARGET vantrel_platform PROPERTY SOURCES ${VANTREL_PLATFORM_SOURCES}
                                              ${VANTREL_WINDOWS_PLATFORM_SOURCES})
target_link_libraries(vantrel_platform PUBLIC winhttp ole32 oleaut32 uuid)

# The QuickBooks stand-in, as the Linux build has it.
file(GLOB VANTREL_QB_STANDIN_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/tools/qb_standin/*.cc)
add_library(vantrel_qb_standin STATIC ${VANTREL_QB_STANDIN_SOURCES})
target_include_directories(vantrel_qb_standin PUBLIC ${PROJECT_SOURCE_DIR}/tools)
target_link_libraries(vantrel_qb_standin PUBLIC vantrel_platform PRIVATE pugixml::pugixml)

add_subdirectory(hosts/windows)

# The QuickBooks stand-in as the in-process COM server QBXMLRP2.RequestProcessor.
add_library(QBStandinRP SHARED ${PROJECT_SOURCE_DIR}/tools/qb_standin_com/qb_standin_com.cc
                               ${PROJECT_SOURCE_DIR}/tools/qb_standin_com/qb_standin_com.def)
set_target_properties(QBStandinRP PROPERTIES PREFIX "")
target_link_libraries(QBStandinRP PRIVATE vantrel_qb_standin oleaut32 ole32 uuid advapi32)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(QBStandinRP PRIVATE -Wl,--enable-stdcall-fixup)
endif()
