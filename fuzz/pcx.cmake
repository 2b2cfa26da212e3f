# PCX files through the image library's own run-length codec.
qlry_add_fuzzer(ximage_pcx
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_pcx_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_pcx)
