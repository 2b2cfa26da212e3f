# WBMP files through detection and the typed codec.
qlry_add_fuzzer(ximage_wbmp
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_wbmp_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_wbmp)
