# TGA files through the image library's own decoder.
qlry_add_fuzzer(ximage_tga
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_tga_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_tga)
