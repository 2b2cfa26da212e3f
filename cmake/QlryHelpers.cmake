# Shared helpers: dependency lookup and test registration.

macro(qlry_find_dependencies)
  find_package(ZLIB REQUIRED)
  find_package(PNG REQUIRED)
  find_package(JPEG REQUIRED)
  find_package(TIFF REQUIRED)
  if(WIN32)
    # FindTIFF carries no dependencies; a static link needs them.
    set_property(TARGET TIFF::TIFF APPEND PROPERTY INTERFACE_LINK_LIBRARIES JPEG::JPEG ZLIB::ZLIB)
  endif()
  # OpenJPEG: its own package file for the cross build (the static target
  # needs OPJ_STATIC); pkg-config natively, where Debian's package file
  # names tools that are not installed.
  if(NOT TARGET qlry::openjp2)
    add_library(qlry::openjp2 INTERFACE IMPORTED)
    if(WIN32)
      find_package(OpenJPEG CONFIG REQUIRED)
      target_link_libraries(qlry::openjp2 INTERFACE openjp2)
      target_compile_definitions(qlry::openjp2 INTERFACE OPJ_STATIC)
    else()
      find_package(PkgConfig REQUIRED)
      pkg_check_modules(OPENJP2 REQUIRED IMPORTED_TARGET libopenjp2)
      target_link_libraries(qlry::openjp2 INTERFACE PkgConfig::OPENJP2)
    endif()
  endif()
  # libwebp with its demux (animations): the package file of our cross
  # build, pkg-config natively (Debian ships no package file for it).
  if(NOT TARGET qlry::webp)
    add_library(qlry::webp INTERFACE IMPORTED)
    if(WIN32)
      find_package(WebP CONFIG REQUIRED)
      target_link_libraries(qlry::webp INTERFACE WebP::webpdemux WebP::webp)
    else()
      find_package(PkgConfig REQUIRED)
      pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux)
      target_link_libraries(qlry::webp INTERFACE PkgConfig::WEBP)
    endif()
  endif()
  if(QLRY_TESTS AND NOT QLRY_FUZZ)
    find_package(GTest REQUIRED)
  endif()
  if(QLRY_BENCHMARKS)
    find_package(benchmark REQUIRED)
  endif()
endmacro()

# A GoogleTest program. Natively each case is its own CTest test; under Wine
# the whole program is one test, since every process start costs a few
# milliseconds there.
function(qlry_add_gtest target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} qlry_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
  else()
    include(GoogleTest)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# Where tests find the repository and the third-party corpus it carries
# (tests/corpus), spelt as the test program sees paths (Wine maps / to Z:).
function(qlry_test_paths target)
  if(CMAKE_CROSSCOMPILING)
    set(prefix "Z:")
  else()
    set(prefix "")
  endif()
  target_compile_definitions(${target} PUBLIC
    QLRY_SOURCE_DIR="${prefix}${CMAKE_SOURCE_DIR}"
    QLRY_CORPUS_DIR="${prefix}${CMAKE_SOURCE_DIR}/tests/corpus")
endfunction()

# qlry::<dll>: a system DLL whose functions listed in cmake/delayload/<dll>.def
# are bound through a delay-load import library, so that the DLL is loaded
# at the first call of one of them, not at every start. Its other functions
# bind through the ordinary import library, which follows on the link line.
function(qlry_delay_loaded dll)
  find_program(QLRY_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
  set(def "${CMAKE_SOURCE_DIR}/cmake/delayload/${dll}.def")
  set(lib "${CMAKE_BINARY_DIR}/delayload/lib${dll}_delay.a")
  add_custom_command(OUTPUT "${lib}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/delayload"
    COMMAND "${QLRY_DLLTOOL}" --input-def "${def}" --dllname ${dll}.dll --output-delaylib "${lib}"
    DEPENDS "${def}" VERBATIM)
  add_custom_target(qlry_delay_${dll} DEPENDS "${lib}")
  add_library(qlry::${dll} STATIC IMPORTED GLOBAL)
  set_target_properties(qlry::${dll} PROPERTIES IMPORTED_LOCATION "${lib}" INTERFACE_LINK_LIBRARIES ${dll})
  add_dependencies(qlry::${dll} qlry_delay_${dll})
endfunction()
