# GIF codec fuzz targets: the decoder (typed, a later frame, probe mode) and
# the decode -> encode -> decode round trip.
qlry_add_fuzzer(ximage_gif
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_gif_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_gif)
qlry_add_fuzzer(ximage_gif_roundtrip
  SOURCES ${CMAKE_SOURCE_DIR}/fuzz/ximage_gif_roundtrip_fuzzer.cpp
  LIBS qlry_ximage
  CORPUS fuzz/corpus/ximage_gif)
