# Icon and cursor files through the ICO codec (PNG entries through libpng).
qlry_add_fuzzer(ximage_ico
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_ico_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_ico)
